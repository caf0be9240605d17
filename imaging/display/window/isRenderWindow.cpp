#include "imaging/display/window/isRenderWindow.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "base/EventDispatcher.h"
#include "base/EventListenerTouchAllAtOnce.h"
#include "base/Touch.h"
#include "imaging/core/data/isImageData.h"
#include "imaging/display/interactor/isInteractorBase.h"
#include "imaging/display/roi/isActorROI.h"
#include "imaging/display/window/OrientationLabels.h"
#include "json/UIJson.h"
#include "notify/NSNotificationCenter.h"

namespace isImageSDK {

using cocos2d::Vec2;
using cocos2d::Vec3;

namespace {

const int kLayoutType = 5;
const int kTouchPriority = 100;
// Mouse zoom stops at these displayed ratios, in the direction that would pass them.
const float kMinZoomRatio = 0.1f;
const float kMaxZoomRatio = 10.0f;
const float kGestureEpsilon = 0.001f;

std::string formatPan(float x, float y)
{
    char buffer[64];
    std::string json;
    std::snprintf(buffer, sizeof buffer, "%.4f", x);
    NSUI::UIJson::setJsonString(json, "x", buffer);
    std::snprintf(buffer, sizeof buffer, "%.4f", y);
    NSUI::UIJson::setJsonString(json, "y", buffer);
    return json;
}

// An empty message for the handler; the autorelease pool frees it.
NSUI::NSNotificationData* newData()
{
    auto* data = new NSUI::NSNotificationData();
    data->autorelease();
    return data;
}

} // namespace

isRenderWindow* isRenderWindow::create()
{
    auto* window = new (std::nothrow) isRenderWindow();
    if (window && window->init()) {
        window->autorelease();
        return window;
    }
    delete window;
    return nullptr;
}

isRenderWindow::~isRenderWindow() { releaseLinks(); }

bool isRenderWindow::init()
{
    if (!isRenderWindowBase::init()) return false;
    linkedWindow = nullptr;
    interactor = nullptr;
    touchListener = cocos2d::EventListenerTouchAllAtOnce::create();
    touchListener->onTouchesBegan = [this](const std::vector<cocos2d::Touch*>& t, cocos2d::Event* e) {
        onTouchesBegan(t, e);
    };
    touchListener->onTouchesMoved = [this](const std::vector<cocos2d::Touch*>& t, cocos2d::Event* e) {
        onTouchesMoved(t, e);
    };
    touchListener->onTouchesEnded = [this](const std::vector<cocos2d::Touch*>& t, cocos2d::Event* e) {
        onTouchesEnded(t, e);
    };
    touchListener->onTouchesCancelled = [this](const std::vector<cocos2d::Touch*>& t, cocos2d::Event* e) {
        onTouchesCancelled(t, e);
    };
    touchListener->retain();
    cocos2d::Director::getInstance()->getEventDispatcher()->addEventListenerWithFixedPriority(touchListener,
                                                                                             kTouchPriority);
    panAccumulated = Vec2::ZERO;
    zoomAccumulated = 1.0f;
    setLayoutType(kLayoutType);
    actorManager = isActorManager::create();
    if (!actorManager) return false;
    actorManager->retain();
    actorManager->setWindow(this);
    imageData = nullptr;
    fillObservedIds();
    NSUI::NSNotificationCenter* centre = NSUI::NSNotificationCenter::getInstance();
    auto callback = [this](cocos2d::Ref* sender, unsigned int id, NSUI::NSNotificationData* data) {
        onNotification(sender, id, data);
    };
    for (unsigned int id : observedIds)
        centre->addObserver(this, this, callback, id);
    for (unsigned int id : kViewerBroadcastIds)
        centre->addObserver(this, nullptr, callback, id);
    return true;
}

void isRenderWindow::cleanup()
{
    isRenderWindowBase::cleanup();
    releaseLinks();
}

void isRenderWindow::releaseLinks()
{
    NSUI::NSNotificationCenter::getInstance()->removeObserver(this);
    if (touchListener) {
        cocos2d::Director::getInstance()->getEventDispatcher()->removeEventListener(touchListener);
        CC_SAFE_RELEASE_NULL(touchListener);
    }
    CC_SAFE_RELEASE_NULL(interactor);
    if (actorManager) {
        // The manager and its actors hold this window: their clean-up lets it go.
        isActorManager* manager = actorManager;
        actorManager = nullptr;
        manager->cleanup();
        manager->release();
    }
    CC_SAFE_RELEASE_NULL(imageData);
}

void isRenderWindow::resetNodeLinks()
{
    isRenderWindowBase::resetNodeLinks();
    actorManager = nullptr;
    imageData = nullptr;
    linkedWindow = nullptr;
}

void isRenderWindow::setInteractor(isInteractorBase* newInteractor)
{
    CC_SAFE_RETAIN(newInteractor);
    CC_SAFE_RELEASE(interactor);
    interactor = newInteractor;
}

bool isRenderWindow::isShownToUser() const
{
    return isRunning() && backgroundBehind && cocos2d::ui::Widget::isAncestorsVisible(this);
}

// --- state ------------------------------------------------------------------------------------------

void isRenderWindow::setContentSize(const cocos2d::Size& size)
{
    isRenderWindowBase::setContentSize(size);
    flushCameraUpdates();
}

void isRenderWindow::setVisible(bool visible)
{
    isRenderWindowBase::setVisible(visible);
    if (actorManager)
        if (isActorObject* overlay = actorManager->peekOverlay()) overlay->setVisible(visible);
}

void isRenderWindow::flushCameraUpdates()
{
    NSUI::NSNotificationCenter::getInstance()->postNotification(this, kCameraMovedId, nullptr, this, false);
}

void isRenderWindow::setImageData(isImageData* data)
{
    if (data == imageData) return;
    CC_SAFE_RETAIN(data);
    CC_SAFE_RELEASE(imageData);
    imageData = data;
    if (actorManager) actorManager->releaseActors();
    // The measurements shown belong to the new series.
    if (imageData)
        if (isActorROI* measurements = getROIActor()) measurements->setImageText(imageData->getSeriesKey());
    refreshOverlay(false);
    onCameraChanged();
}

void isRenderWindow::onCameraChanged()
{
    if (!imageData || !sceneCamera) return;
    imageData->updateInformation();
    char labels[4][3];
    computeOrientationLabels(sceneCamera->rightAxis, -sceneCamera->storedViewUp, labels, imageData->headFeet,
                             imageData->facing);
    std::string json;
    NSUI::UIJson::setJsonString(json, "t", labels[kEdgeUp]);
    NSUI::UIJson::setJsonString(json, "r", labels[kEdgeRight]);
    NSUI::UIJson::setJsonString(json, "b", labels[kEdgeDown]);
    NSUI::UIJson::setJsonString(json, "l", labels[kEdgeLeft]);
    NSUI::NSNotificationCenter::getInstance()->postNotificationWithString(this, kOrientationLabelsId, json, this,
                                                                        true);
}

int isRenderWindow::getSliceOrientation(int orientation)
{
    if (!imageData) return 0;
    static const int kSums[3] = {303, 301, 314};
    if (orientation < 0 || orientation > 2) return 0;
    const cocos2d::Mat4& m = imageData->volumeMatrix;
    const Vec3 axes[3] = {Vec3(m.m[0], m.m[1], m.m[2]), Vec3(m.m[4], m.m[5], m.m[6]),
                          Vec3(m.m[8], m.m[9], m.m[10])};
    const int pairs[3][2] = {{0, 1}, {1, 2}, {0, 2}};
    for (int answer = 0; answer < 3; ++answer) {
        char labels[4][3];
        computeOrientationLabels(axes[pairs[answer][0]], axes[pairs[answer][1]], labels, imageData->headFeet,
                                 imageData->facing);
        if (orientationLabelSum(labels) == kSums[orientation]) return answer;
    }
    return 0;
}

// --- commands -----------------------------------------------------------------------------------------

void isRenderWindow::onNotification(cocos2d::Ref* sender, unsigned int id, NSUI::NSNotificationData* data)
{
    onMessage(id, data, sender);
}

void isRenderWindow::forward(unsigned int id, NSUI::NSNotificationData* data, bool nextTick)
{
    NSUI::NSNotificationCenter::getInstance()->postNotification(this, id, data, linkedWindow, nextTick);
}

void isRenderWindow::onMessage(unsigned int id, NSUI::NSNotificationData* data, cocos2d::Ref* sender)
{
    const bool fromLinked = linkedWindow && sender == linkedWindow;
    switch (id) {
    case kCameraUpdateId:
        // A request that came from the linked window is answered here, never sent back to it.
        if (linkedWindow && !fromLinked)
            forward(id, data, false);
        else
            flushCameraUpdates();
        break;
    case kPanStepId:
        if (data)
            panBy(std::atof(NSUI::UIJson::getJsonString(data->text, "x").c_str()),
                  std::atof(NSUI::UIJson::getJsonString(data->text, "y").c_str()));
        break;
    case kZoomStepId:
    case kZoomStepAltId:
        if (data) zoomBy(data->floatValue);
        break;
    case kPanEndId:
        if (!linkedWindow || !data) break;
        if (fromLinked)
            panBy(std::atof(NSUI::UIJson::getJsonString(data->text, "x").c_str()),
                  std::atof(NSUI::UIJson::getJsonString(data->text, "y").c_str()));
        else
            forward(id, data, true);
        break;
    case kZoomEndId:
        if (!linkedWindow || !data) break;
        if (fromLinked)
            zoomBy(data->floatValue);
        else
            forward(id, data, true);
        break;
    case kViewTouchedId:
        if (linkedWindow) forward(id, data, true);
        break;
    default:
        break;
    }
}

// --- mouse --------------------------------------------------------------------------------------------

bool isRenderWindow::onMouseScroll(float, float, float scrollY)
{
    if (!isShownToUser()) return false;
    // A wheel turned towards the user (negative) steps to the next slice.
    if (scrollY < 0.0f)
        onMessage(kNextSliceId, nullptr, this);
    else if (scrollY > 0.0f)
        onMessage(kPreviousSliceId, nullptr, this);
    return true;
}

bool isRenderWindow::onMouseDown(float, float)
{
    // A drag released outside the window never reached onMouseUp: its pan must not carry over.
    panAccumulated = Vec2::ZERO;
    zoomAccumulated = 1.0f;
    return true;
}

bool isRenderWindow::onMouseMove(float x, float y)
{
    if (!isShownToUser()) return false;
    const Vec2 d = Vec2(x, y) - previousMousePoint;
    if (rightButtonDown) {
        if (!(std::fabs(d.y) > std::fabs(d.x))) return true;
        const float factor = d.y > 0.0f ? 1.05f : 0.95f;
        const float ratio = getZoomRatio();
        if ((ratio < kMinZoomRatio && factor < 1.0f) || (ratio > kMaxZoomRatio && factor > 1.0f)) return true;
        zoomAccumulated *= factor;
        NSUI::NSNotificationData* data = newData();
        data->floatValue = factor;
        data->intValue = 1;
        onMessage(kZoomStepId, data, this);
        return true;
    }
    if (middleButtonDown) {
        panAccumulated += Vec2(-d.x, d.y);
        NSUI::NSNotificationData* data = newData();
        data->text = formatPan(-d.x, d.y);
        onMessage(kPanStepId, data, this);
        return true;
    }
    return false;
}

bool isRenderWindow::onMouseUp(float, float)
{
    bool handled = false;
    if (rightButtonDown) {
        handled = true;
        if (std::fabs(zoomAccumulated - 1.0f) > kGestureEpsilon) {
            NSUI::NSNotificationData* data = newData();
            data->floatValue = zoomAccumulated;
            onMessage(kZoomEndId, data, this);
        }
    } else if (middleButtonDown) {
        handled = true;
        if (std::fabs(panAccumulated.x) > kGestureEpsilon || std::fabs(panAccumulated.y) > kGestureEpsilon) {
            NSUI::NSNotificationData* data = newData();
            data->text = formatPan(panAccumulated.x, panAccumulated.y);
            onMessage(kPanEndId, data, this);
        }
    }
    panAccumulated = Vec2::ZERO;
    zoomAccumulated = 1.0f;
    return handled;
}

// --- touches ------------------------------------------------------------------------------------------

void isRenderWindow::onTouchesBegan(const std::vector<cocos2d::Touch*>& touches, cocos2d::Event*)
{
    // The listener has a fixed priority, so it hears touches also while the window is hidden.
    if (interactor && isShownToUser()) interactor->touchesBegan(touches);
}

void isRenderWindow::onTouchesMoved(const std::vector<cocos2d::Touch*>& touches, cocos2d::Event*)
{
    if (!interactor || !interactor->isActive() || !isInteractorBase::isGestureInProgress()) return;
    if (!interactor->isOneFingerMode()) {
        interactor->multiTouchMoved(touches);
        return;
    }
    const std::vector<cocos2d::Touch*>& tracked = interactor->getTrackedTouches();
    if (tracked.empty()) return;
    for (cocos2d::Touch* touch : touches) {
        if (touch->getID() == tracked.front()->getID()) {
            interactor->singleTouchMoved(touch);
            return;
        }
    }
}

void isRenderWindow::onTouchesEnded(const std::vector<cocos2d::Touch*>& touches, cocos2d::Event*)
{
    if (interactor) interactor->touchesEnded(touches);
}

void isRenderWindow::onTouchesCancelled(const std::vector<cocos2d::Touch*>& touches, cocos2d::Event*)
{
    if (interactor) interactor->touchesCancelled(touches);
}

} // namespace isImageSDK
