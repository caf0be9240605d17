#include "imaging/display/interactor/isInteractorImage.h"

#include <cmath>
#include <cstdio>

#include "base/Touch.h"
#include "imaging/core/geometry/Geometry.h"
#include "imaging/core/roi/ROIData.h"
#include "imaging/display/roi/isActorROI.h"
#include "imaging/display/roi/isActorROIAngle.h"
#include "imaging/display/roi/isActorROIPolygon.h"
#include "imaging/display/window/isRenderWindow.h"
#include "json/UIJson.h"
#include "notify/NSNotificationCenter.h"
#include "notify/NSNotificationData.h"

namespace isImageSDK {

using cocos2d::Touch;
using cocos2d::Vec2;
using cocos2d::Vec3;

namespace {

const float kZoomIn = 1.05f;
const float kZoomOut = 0.95f;
// Zooming stops at these displayed ratios, in the direction that would pass them.
const float kMinZoomRatio = 0.1f;
const float kMaxZoomRatio = 10.0f;
const float kGestureEpsilon = 0.001f;
// A drag of this many points turns the view a quarter turn.
const double kQuarterTurnPoints = 122.0;
const double kHalfPi = 1.5707963267948966;

/// A flat JSON object of numbered values, each written with the format.
std::string jsonNumbers(std::initializer_list<std::pair<const char*, float>> values, const char* format)
{
    std::string json;
    char buffer[64];
    for (const auto& [key, value] : values) {
        std::snprintf(buffer, sizeof buffer, format, value);
        NSUI::UIJson::setJsonString(json, key, buffer);
    }
    return json;
}

bool isMeasurementMode(int mode)
{
    return mode >= isInteractorImage::kModeLine && mode <= isInteractorImage::kModePolygon;
}

bool zoomBlocked(float ratio, float factor)
{
    return (ratio < kMinZoomRatio && factor < 1.0f) || (ratio > kMaxZoomRatio && factor > 1.0f);
}

bool isPolygon(const isActorROIBase* actor)
{
    return actor && actor->getData() && actor->getData()->type == ROIData::kPolygon;
}

} // namespace

isInteractorImage* isInteractorImage::create() { return createObject<isInteractorImage>(); }

isInteractorImage::~isInteractorImage() { isInteractorImage::cleanup(); }

bool isInteractorImage::init()
{
    if (!isInteractorBase::init()) return false;
    typeTag = 1;
    mode = kModePan;
    setCurrentROI(nullptr);
    accumulatedZoom = 1.0f;
    accumulatedPan = Vec2::ZERO;
    windowChanged = pickedExisting = false;
    return true;
}

void isInteractorImage::cleanup()
{
    NSUI::NSNotificationCenter::getInstance()->removeObserver(this);
    setCurrentROI(nullptr);
    isInteractorBase::cleanup();
}

void isInteractorImage::setRenderWindow(isRenderWindow* newWindow)
{
    isInteractorBase::setRenderWindow(newWindow);
    NSUI::NSNotificationCenter* centre = NSUI::NSNotificationCenter::getInstance();
    centre->removeObserver(this);
    if (!newWindow) return;
    auto callback = [this](cocos2d::Ref* sender, unsigned int id, NSUI::NSNotificationData* data) {
        onWindowNotification(sender, id, data);
    };
    centre->addObserver(this, newWindow, callback, kOrientationChangedId);
    centre->addObserver(this, newWindow, callback, kSliceChangedId);
}

void isInteractorImage::onWindowNotification(cocos2d::Ref*, unsigned int id, NSUI::NSNotificationData*)
{
    // Another slice or orientation: the measurement in hand belongs to the old view.
    if (id == kSliceChangedId || id == kOrientationChangedId) detachCurrentROI();
}

// --- current measurement -----------------------------------------------------------------------------

void isInteractorImage::setCurrentROI(isActorROIBase* actor)
{
    // Retained: the container may drop its actors (new slice, new data) while one is in hand.
    CC_SAFE_RETAIN(actor);
    CC_SAFE_RELEASE(currentROI);
    currentROI = actor;
}

isActorROIBase* isInteractorImage::detachCurrentROI()
{
    isActorROIBase* actor = currentROI;
    if (!actor) return nullptr;
    actor->endPointEdit();
    currentROI = nullptr;
    actor->autorelease();
    return actor;
}

void isInteractorImage::setInteractionMode(int newMode)
{
    if (newMode == mode) {
        if (isPolygon(currentROI) && currentROI->hasAllPoints())
            static_cast<isActorROIPolygon*>(currentROI)->setClosed(true);
        return;
    }
    mode = newMode;
    if (window && currentROI) {
        if (currentROI->hasAllPoints() && currentROI->isDrawingDone()) {
            // A finished measurement stays as it is.
        } else if (isPolygon(currentROI) && currentROI->hasAllPoints()) {
            static_cast<isActorROIPolygon*>(currentROI)->setClosed(true);
        } else if (isActorROI* container = window->getROIActor()) {
            container->removeROI(currentROI);
        }
    }
    detachCurrentROI();
}

// --- readouts ----------------------------------------------------------------------------------------

bool isInteractorImage::worldAt(Touch* touch, Vec3& world) const
{
    return window && touch && window->screenToWorld(touch->getLocation(), world);
}

void isInteractorImage::postPosition(unsigned int id, const Vec3& world, bool withdrawFirst)
{
    NSUI::NSNotificationCenter* centre = NSUI::NSNotificationCenter::getInstance();
    if (withdrawFirst) centre->cancelNotificationOfThisFrame(this, id, window);
    centre->postNotificationWithString(this, id, jsonNumbers({{"x", world.x}, {"y", world.y}, {"z", world.z}}, "%.2f"),
                                       window, true);
}

// --- one finger --------------------------------------------------------------------------------------

void isInteractorImage::singleTouchBegan(Touch* touch)
{
    if (!window) return;
    if (mode == kModeProbe || mode == kModeProbeQuiet) {
        Vec3 world;
        if (!worldAt(touch, world)) return;
        postPosition(kProbeId, world, true);
        postPosition(kPositionId, world, true);
    } else if (isMeasurementMode(mode)) {
        beginMeasurement(touch);
    }
}

void isInteractorImage::beginMeasurement(Touch* touch)
{
    pickedExisting = false;
    isActorROI* container = window->getROIActor();
    isActorROIBase* candidate = currentROI && !currentROI->isDrawingDone() ? currentROI : nullptr;
    if (!candidate && container) {
        Vec3 origin, direction;
        window->screenPointToWorldRay(touch->getLocation(), origin, direction);
        candidate = container->pickROI(origin, direction);
        pickedExisting = candidate != nullptr;
    }
    if (candidate) {
        if (candidate != currentROI && currentROI) currentROI->endPointEdit();
        setCurrentROI(candidate);
        return;
    }
    if (currentROI) currentROI->endPointEdit();
    setCurrentROI(nullptr);
    Vec3 world;
    if (!container || !worldAt(touch, world)) return;
    isActorROIBase* created = nullptr;
    switch (mode) {
    case kModeLine: created = container->newTwoPoint(ROIData::kLine, world); break;
    case kModeCircle: created = container->newTwoPoint(ROIData::kCircle, world); break;
    case kModePoint: created = container->newPoint(world); break;
    case kModeAngle: created = container->newAngle(world); break;
    case kModePolygon: created = container->newPolygon(world, world); break;
    default: break;
    }
    setCurrentROI(created);
}

void isInteractorImage::singleTouchMoved(Touch* touch)
{
    isInteractorBase::singleTouchMoved(touch);
    if (mode != kModeProbe && mode != kModePosition && mode != kModeProbeQuiet && !isMeasurementMode(mode)) return;
    Vec3 world;
    if (!worldAt(touch, world)) return;
    switch (mode) {
    case kModeProbe:
        postPosition(kPositionId, world, true);
        postPosition(kProbeId, world, true);
        break;
    case kModePosition: postPosition(kPositionId, world, false); break;
    case kModeProbeQuiet: postPosition(kProbeId, world, true); break;
    default:
        if (currentROI) currentROI->movePoint(world);
        break;
    }
}

void isInteractorImage::singleTouchEnded(Touch* touch)
{
    isInteractorBase::singleTouchEnded(touch);
    if (isOneFingerMode() && (mode == kModeProbe || mode == kModeProbeQuiet)) {
        commitLinkedGesture();
        return;
    }
    if ((mode == kModeAngle || mode == kModePolygon) && currentROI && !currentROI->isDrawingDone()) {
        Vec3 world;
        if (worldAt(touch, world)) currentROI->movePoint(world);
        // By what the measurement is, not by the tool: one picked up again may be of the other kind.
        if (auto* angle = dynamic_cast<isActorROIAngle*>(currentROI))
            angle->advancePoint();
        else if (auto* polygon = dynamic_cast<isActorROIPolygon*>(currentROI))
            polygon->addVertex();
        commitLinkedGesture();
        return;
    }
    if (isMeasurementMode(mode)) endMeasurement();
    commitLinkedGesture();
}

void isInteractorImage::endMeasurement()
{
    if (!currentROI) return;
    const bool createdByTap = isTapCandidate() && !pickedExisting;
    // A tap draws no line or circle: what it made would be too small to see or to measure.
    const bool tapOnly = createdByTap && (mode == kModeLine || mode == kModeCircle);
    if (!currentROI->hasAllPoints() || tapOnly) {
        if (isActorROI* container = window ? window->getROIActor() : nullptr) container->removeROI(currentROI);
        detachCurrentROI();
    } else if (createdByTap) {
        detachCurrentROI();
    }
}

void isInteractorImage::singleTouchCancelled(Touch*) { commitLinkedGesture(); }

void isInteractorImage::multiTouchEnded(const std::vector<Touch*>& touches)
{
    isInteractorBase::multiTouchEnded(touches);
    commitLinkedGesture();
}

void isInteractorImage::multiTouchCancelled(const std::vector<Touch*>& touches)
{
    isInteractorBase::multiTouchCancelled(touches);
    commitLinkedGesture();
}

void isInteractorImage::onDoubleTap(const Vec2&)
{
    if (!isPolygon(currentROI) || !currentROI->hasAllPoints() || currentROI->getData()->getPointCount() <= 4) return;
    auto* polygon = static_cast<isActorROIPolygon*>(currentROI);
    polygon->finishPolygon();
    polygon->setClosed(true);
    detachCurrentROI();
}

// --- gestures ----------------------------------------------------------------------------------------

void isInteractorImage::postPan(const Vec2& delta)
{
    accumulatedPan += Vec2(-delta.x, delta.y);
    NSUI::NSNotificationCenter::getInstance()->postNotificationWithString(
        this, kPanStepId, jsonNumbers({{"x", -delta.x}, {"y", delta.y}}, "%.4f"), window, true);
}

void isInteractorImage::postZoom(unsigned int id, float factor)
{
    if (!window || zoomBlocked(window->getZoomRatio(), factor)) return;
    accumulatedZoom *= factor;
    NSUI::NSNotificationCenter::getInstance()->postNotificationWithFloat(this, id, factor, window, true);
}

void isInteractorImage::onDrag(const Vec2& delta, float)
{
    switch (mode) {
    case kModePan: postPan(delta); break;
    case kModeZoom:
        if (std::fabs(delta.y) > std::fabs(delta.x)) postZoom(kZoomStepId, delta.y > 0.0f ? kZoomIn : kZoomOut);
        break;
    case kModeWindowLevel:
        windowChanged = true;
        NSUI::NSNotificationCenter::getInstance()->postNotificationWithString(
            this, kWindowStepId, jsonNumbers({{"ww", delta.x}, {"wl", delta.y}}, "%.2f"), window, true);
        break;
    case kModeRotate: orbit(delta); break;
    default: break;
    }
}

void isInteractorImage::orbit(const Vec2& delta)
{
    if (!window || !window->getSceneCamera()) return;
    isCameraState state;
    window->getCameraState(state);
    const Vec3 focal(state.focalPoint[0], state.focalPoint[1], state.focalPoint[2]);
    const Vec3 up(state.viewUp[0], state.viewUp[1], state.viewUp[2]);
    const Vec3 dop(state.directionOfProjection[0], state.directionOfProjection[1], state.directionOfProjection[2]);
    const Vec3 right(state.rightAxis[0], state.rightAxis[1], state.rightAxis[2]);
    // The camera frame: right, up and back towards the eye as the columns.
    cocos2d::Mat4 frame;
    const Vec3 columns[3] = {right, up, -dop};
    for (int c = 0; c < 3; ++c) {
        frame.m[4 * c] = columns[c].x;
        frame.m[4 * c + 1] = columns[c].y;
        frame.m[4 * c + 2] = columns[c].z;
    }
    const Vec2 d = -delta;
    rotateY(frame, d.x * kHalfPi / kQuarterTurnPoints);
    rotateX(frame, d.y * -kHalfPi / kQuarterTurnPoints);
    const Vec3 back(frame.m[8], frame.m[9], frame.m[10]);
    const Vec3 newUp(frame.m[4], frame.m[5], frame.m[6]);
    window->setCameraPosition(focal + back * state.focalDistance);
    window->setCameraFocalAndUp(focal, newUp);
}

void isInteractorImage::onTwoFingerPan(const Vec2& delta) { postPan(delta); }

void isInteractorImage::onPinch(float, float factor) { postZoom(kPinchStepId, factor); }

void isInteractorImage::onSwipe(const Vec2&, const Vec2& move)
{
    if (!(std::fabs(move.x) > std::fabs(move.y))) return;
    NSUI::NSNotificationCenter::getInstance()->postNotification(this, move.x >= 0.0f ? kSwipeRightId : kSwipeLeftId,
                                                                nullptr, window, true);
}

void isInteractorImage::commitLinkedGesture()
{
    NSUI::NSNotificationCenter* centre = NSUI::NSNotificationCenter::getInstance();
    switch (mode) {
    case kModePan:
        if (std::fabs(accumulatedPan.x) > kGestureEpsilon || std::fabs(accumulatedPan.y) > kGestureEpsilon)
            centre->postNotificationWithString(
                this, kPanEndId, jsonNumbers({{"x", accumulatedPan.x}, {"y", accumulatedPan.y}}, "%.4f"), window,
                false);
        break;
    case kModeZoom:
        if (std::fabs(accumulatedZoom - 1.0f) > kGestureEpsilon)
            centre->postNotificationWithFloat(this, kZoomEndId, accumulatedZoom, window, false);
        break;
    case kModeWindowLevel:
        if (windowChanged) centre->postNotification(this, kWindowEndId, nullptr, window, false);
        break;
    case kModeProbe:
    case kModeProbeQuiet: centre->postNotification(this, kProbeEndId, nullptr, window, false); break;
    default: break;
    }
    accumulatedZoom = 1.0f;
    accumulatedPan = Vec2::ZERO;
    windowChanged = false;
}

} // namespace isImageSDK
