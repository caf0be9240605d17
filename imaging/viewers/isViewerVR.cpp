#include "imaging/viewers/isViewerVR.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "imaging/core/data/isImageData.h"
#include "imaging/core/data/isSliceInfo.h"
#include "imaging/display/actor/isActorCrossLine.h"
#include "imaging/display/actor/isActorOverlay.h"
#include "imaging/display/actor/isActorVR.h"
#include "imaging/display/interactor/isInteractorTrackVR.h"
#include "imaging/viewers/ColorTable.h"
#include "imaging/viewers/SliceGeometry.h"
#include "json/UIJson.h"
#include "notify/NSNotificationCenter.h"
#include "notify/NSNotificationData.h"

namespace isImageSDK {

using cocos2d::Vec2;
using cocos2d::Vec3;

namespace {

const unsigned int kMessageIds[] = {9064, 9067, 9038, 9035, 9061, 9062, 9096};
const float kCineStep = 0.0872664600610733f; // 5 degrees
const float kHalfTurn = 3.1415925f;
const float kCineInterval = 0.005f;
const float kCineDelay = 0.1f;
const float kMinCameraDistance = 10.0f;
const int kTicksStep = 20;

float jsonFloat(const NSUI::NSNotificationData* data, const char* key) {
    return data ? static_cast<float>(std::atof(NSUI::UIJson::getJsonString(data->text, key).c_str())) : 0.0f;
}

} // namespace

isViewerVR* isViewerVR::create() {
    auto* viewer = new (std::nothrow) isViewerVR();
    if (viewer && viewer->init()) {
        viewer->autorelease();
        return viewer;
    }
    delete viewer;
    return nullptr;
}

isViewerVR::~isViewerVR() {
    CC_SAFE_RELEASE_NULL(vrActor);
}

bool isViewerVR::init() {
    if (!isRenderWindow::init())
        return false;
    cineFrameCount = kCineFrames;
    ticksPerFrame = kDefaultTicksPerFrame;
    cineRunning = false;
    tickCounter = 0;
    return true;
}

void isViewerVR::cleanup() {
    const bool first = actorManager != nullptr;
    unschedule(cineKey());
    cineRunning = false;
    isRenderWindow::cleanup();
    CC_SAFE_RELEASE_NULL(vrActor);
    if (!first)
        return;
    auto* data = new NSUI::NSNotificationData();
    data->tag = static_cast<int32_t>(getRefID());
    NSUI::NSNotificationCenter::getInstance()->postNotification(nullptr, kToolBarHide, data, nullptr, false);
    data->release();
}

void isViewerVR::resetNodeLinks() {
    isRenderWindow::resetNodeLinks();
    vrActor = nullptr;
}

void isViewerVR::fillObservedIds() {
    observedIds.assign(std::begin(kMessageIds), std::end(kMessageIds));
}

std::string isViewerVR::cineKey() const {
    char key[32];
    std::snprintf(key, sizeof key, "vrmip:%i", static_cast<int>(getRefID()));
    return key;
}

// --- mode and data ---------------------------------------------------------------------------------

void isViewerVR::setVolumeMode5() { setVolumeMode(kModeVolume); }

void isViewerVR::setVolumeMode6() { setVolumeMode(kModeVolumeAlt); }

void isViewerVR::setVolumeMode(uint32_t mode) {
    if (viewerMode == mode || dynamic_cast<isInteractorTrackVR*>(interactor))
        return;
    isInteractorTrackVR* tracker = isInteractorTrackVR::create();
    if (!tracker)
        return;
    setInteractor(tracker);
    tracker->setRenderWindow(this);
    viewerMode = mode;
}

void isViewerVR::setImageData(isImageData* data) {
    if (data == imageData)
        return;
    isRenderWindow::setImageData(data);
    // The window let its actors go with the old data: the one held here must go as well, or
    // it would keep drawing the old volume next to the manager's new one.
    if (actorManager && (!vrActor || actorManager->peekVRActor() != vrActor)) {
        CC_SAFE_RELEASE_NULL(vrActor);
        vrActor = actorManager->getVRActor();
        CC_SAFE_RETAIN(vrActor);
    }
    if (!vrActor)
        return;
    vrActor->setImageData(data);
    if (data) {
        data->Update();
        const isSliceInfo* first = data->getSlice(0);
        if (data->pixelType == kPixelF32 && first && first->modality == kModalityPT) {
            unsigned char rgb[ColorTable::kBytes];
            ColorTable::inverseGrey(rgb);
            vrActor->setColorTable(rgb);
        }
    }
    setPreset(kAnterior);
    if (!vrActor->isVisible())
        vrActor->setVisible(true);
}

std::string isViewerVR::getImagePath() const {
    const isSliceInfo* first = imageData ? imageData->getSlice(0) : nullptr;
    return first ? first->filePath : std::string();
}

// --- window and colours ----------------------------------------------------------------------------

void isViewerVR::redraw() {
    if (vrActor)
        vrActor->setRedrawFlag(true);
    cocos2d::Director::getInstance()->markDirty();
}

void isViewerVR::setWindowLevel(float width, float level) {
    if (!vrActor)
        return;
    const isVRSettings& now = vrActor->getSettings();
    vrActor->adjustWindow(width - now.windowWidth, level - now.windowLevel);
    redraw();
}

void isViewerVR::applyColorTable(const std::string& name) {
    if (name.size() < 2 || !vrActor)
        return;
    unsigned char rgb[ColorTable::kBytes];
    if (name == ColorTable::kInverseGrey)
        ColorTable::inverseGrey(rgb);
    else if (name == ColorTable::kGrey)
        ColorTable::grey(rgb);
    else if (!ColorTable::loadFile(name, rgb))
        return;
    vrActor->setColorTable(rgb);
}

void isViewerVR::showFrame(bool show) {
    if (actorManager && actorManager->getWindow())
        actorManager->showFrame(show);
}

bool isViewerVR::screenToWorld(const Vec2& point, Vec3& world) {
    if (!sceneCamera)
        return false;
    Vec3 focal;
    sceneCamera->project(sceneCamera->getFocalPoint(), focal);
    sceneCamera->unproject(point.x, point.y, focal.z, world);
    return true;
}

// --- presets -----------------------------------------------------------------------------------------

void isViewerVR::setPreset(int preset) {
    if (!imageData || preset < kSuperior || preset > kLeft)
        return;
    imageData->Update();
    static const int kOrientationOf[7] = {0, 0, 0, 2, 2, 1, 1};
    const int axis = getSliceOrientation(kOrientationOf[preset]);
    const int* dims = imageData->dimensions;
    const float* spacing = imageData->spacing;
    const SliceGeometry::Pose pose = SliceGeometry::poseForPlane(dims, spacing, imageData->volumeMatrix, axis,
                                                                 imageData->facing, imageData->headFeet);
    setCameraPosition(pose.position);
    setCameraFocalAndUp(pose.focalPoint, pose.viewUp);
    if (vrActor && sceneCamera) {
        float corners[12];
        SliceGeometry::planeCorners(dims, spacing, imageData->volumeMatrix, axis, corners);
        if (!sceneCamera->isPerspective()) {
            const float zoom = sceneCamera->fitZoomForCorners(corners);
            setReferenceScale(zoom);
            setZoom(zoom);
        }
        const float distance = std::max(sceneCamera->fitDistanceForCorners(corners), kMinCameraDistance);
        setCameraPosition(pose.focalPoint + (pose.position - pose.focalPoint) * distance);
        setCameraFocalAndUp(pose.focalPoint, pose.viewUp);
    }
    if (preset == kSuperior || preset == kPosterior || preset == kRight)
        orbitBy(kHalfTurn);
    zoomRatio = getZoomRatio();
    redraw();
}

// --- commands ----------------------------------------------------------------------------------------

void isViewerVR::onMessage(unsigned int id, NSUI::NSNotificationData* data, cocos2d::Ref* sender) {
    const bool trackVR = dynamic_cast<isInteractorTrackVR*>(interactor) != nullptr;
    switch (id) {
    case kRotate:
        if (!cineRunning && data)
            orbitBy(data->floatValue);
        return;
    case kDefaultWindow:
        if (const isSliceInfo* first = imageData ? imageData->getSlice(0) : nullptr)
            setWindowLevel(first->windowWidth, first->windowCenter);
        return;
    case kSetWindow:
        setWindowLevel(jsonFloat(data, "ww"), jsonFloat(data, "wl"));
        return;
    case kColorTable:
        if (data)
            applyColorTable(data->text);
        redraw();
        return;
    case kToolWindow:
    case kToolZoom:
    case kToolMove:
    case kToolRotate:
        if (trackVR) {
            const int mode = id == kToolWindow ? 4 : id == kToolZoom ? 6 : id == kToolMove ? 5 : 1;
            static_cast<isInteractorTrackVR*>(interactor)->setInteractionMode(mode);
        }
        return;
    case kCine:
        toggleCine();
        return;
    case kSlowerOrPrevious:
    case kFasterOrNext: {
        const bool slower = id == kSlowerOrPrevious;
        if (cineRunning) {
            ticksPerFrame = std::clamp(ticksPerFrame + (slower ? kTicksStep : -kTicksStep), kMinTicksPerFrame,
                                       kMaxTicksPerFrame);
            tickCounter = 0;
        } else {
            stepFrame(slower ? -1 : 1);
        }
        return;
    }
    case kPreset:
        if (data)
            setPreset(data->intValue);
        return;
    case kPan:
        panBy(jsonFloat(data, "x"), jsonFloat(data, "y"));
        return;
    case kZoom:
        if (data)
            zoomBy(data->floatValue);
        return;
    case kWindowByDrag:
        if (vrActor && data)
            vrActor->adjustWindow(jsonFloat(data, "ww"), jsonFloat(data, "wl"));
        redraw();
        return;
    case kViewTouched:
        touched(data, sender);
        return;
    case kMaximize:
        maximize(data);
        return;
    case kCopySlice:
        return;
    default:
        isRenderWindow::onMessage(id, data, sender);
    }
}

// --- cine --------------------------------------------------------------------------------------------

void isViewerVR::stepFrame(int delta) {
    // Stepping back turns the camera forward: the view follows the frames of a turning table.
    cineFrame = ((cineFrame + delta) % cineFrameCount + cineFrameCount) % cineFrameCount;
    orbitBy(delta < 0 ? kCineStep : -kCineStep);
    redraw();
}

void isViewerVR::toggleCine() {
    if (cineRunning) {
        cineRunning = false;
        unschedule(cineKey());
    } else if (imageData && imageData->getSliceCount() >= 2) {
        cineRunning = true;
        cineFrame = 0;
        tickCounter = 0;
        lastStepFrame = 0;
        schedule([this](float) { onCineTick(); }, kCineInterval, CC_REPEAT_FOREVER, kCineDelay, cineKey());
    }
    NSUI::NSNotificationCenter::getInstance()->postNotificationWithInt(this, kCineState, cineRunning ? 1 : 0,
                                                                       linkedWindow, true);
}

void isViewerVR::onCineTick() {
    if (!cineRunning || !imageData || cineFrameCount <= 1)
        return;
    // The timer is shorter than a frame and the scheduler catches up on it: one turn per drawn
    // frame at most, so a slow frame does not make the view jump several steps at once.
    const unsigned int frame = cocos2d::Director::getInstance()->getTotalFrames();
    if (tickCounter % ticksPerFrame == 0) {
        if (frame == lastStepFrame)
            return;
        lastStepFrame = frame;
        stepFrame(1);
    }
    tickCounter = (tickCounter + 1) % (ticksPerFrame * 1000000);
}

// --- touch and maximise ------------------------------------------------------------------------------

void isViewerVR::touched(NSUI::NSNotificationData* data, cocos2d::Ref* sender) {
    if (!linkedWindow || sender == linkedWindow) {
        showFrame(false);
        return;
    }
    showFrame(true);
    NSUI::NSNotificationCenter* centre = NSUI::NSNotificationCenter::getInstance();
    centre->postNotification(this, kViewTouched, data, linkedWindow, true);
    auto* attach = new NSUI::NSNotificationData();
    attach->setObject(this);
    centre->postNotification(this, kToolBarAttach, attach, nullptr, false);
    attach->release();
}

void isViewerVR::relayoutOverlay() {
    if (auto* overlay = static_cast<isActorOverlay*>(actorManager ? actorManager->peekOverlay() : nullptr))
        overlay->relayout();
}

void isViewerVR::restoreGeometry() {
    maximized = false;
    setPosition(savedPosition);
    setContentSize(savedSize);
}

void isViewerVR::maximize(NSUI::NSNotificationData* data) {
    if (!data)
        return;
    if (data->tag != static_cast<int>(getRefID())) {
        if (maximized) {
            restoreGeometry();
            relayoutOverlay();
            // Back in view: the picture rendered for the small size must be rendered again.
            redraw();
        } else {
            savedPosition = getPosition();
            savedSize = getContentSize();
            maximized = true;
            setPosition(Vec2(10000.0f, 10000.0f));
            setContentSize(cocos2d::Size(128.0f, 128.0f));
            if (vrActor)
                vrActor->setRedrawFlag(false);
        }
        return;
    }
    isCameraState state;
    getCameraState(state);
    if (maximized) {
        restoreGeometry();
    } else {
        savedPosition = getPosition();
        savedSize = getContentSize();
        maximized = true;
        setPosition(Vec2::ZERO);
        setContentSize(cocos2d::Size(jsonFloat(data, "w"), jsonFloat(data, "h")));
        showFrame(false);
    }
    setCameraPosition(Vec3(state.position));
    setCameraFocalAndUp(Vec3(state.focalPoint), Vec3(state.viewUp));
    setZoom(state.zoomFactor);
    relayoutOverlay();
    redraw();
    NSUI::NSNotificationCenter::getInstance()->postNotificationWithInt(this, kMaximizedState, maximized ? 1 : 0,
                                                                       nullptr, false);
}

} // namespace isImageSDK
