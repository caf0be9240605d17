#include "imaging/display/actor/isActorVR.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "2d/Sprite.h"
#include "base/Director.h"
#include "base/Scheduler.h"
#include "imaging/core/data/isImageData.h"
#include "imaging/display/volume/isVRThreadBest.h"
#include "imaging/display/volume/isVRThreadRT.h"
#include "imaging/display/window/isRenderWindow.h"
#include "notify/NSNotificationCenter.h"
#include "renderer/Texture2D.h"

namespace isImageSDK {

namespace {

// The interactive renderer starts small and adapts its scale to about 30 ms a pass.
const float kInteractiveScale = 0.1f;
const float kInteractiveTargetMs = 30.0f;
// The best pass keeps full sampling and full resolution, whatever it costs.
const float kBestTargetMs = 5000.0f;
const float kMinWindowWidth = 2.0f;

} // namespace

isActorVR* isActorVR::create() { return createObject<isActorVR>(); }

isActorVR::~isActorVR() { isActorVR::cleanup(); }

bool isActorVR::init()
{
    if (!isActorObject::init()) return false;
    sprite = cocos2d::Sprite::create();
    if (!sprite) return false;
    sprite->retain();
    sprite->setAnchorPoint(cocos2d::Vec2(0.0f, 0.0f));
    sprite->setPosition(cocos2d::Vec2(0.0f, 0.0f));
    sprite->setVisible(false);
    addPlainNode(sprite);

    interactiveRenderer = std::make_unique<isVolumeRenderer>();
    interactiveRenderer->setImageScale(kInteractiveScale);
    interactiveRenderer->setInterpolation(0);
    interactiveRenderer->setTargetTime(kInteractiveTargetMs);
    bestRenderer = std::make_unique<isVolumeRenderer>();
    bestRenderer->setImageScale(1.0f);
    bestRenderer->setScaleLocked(true);
    bestRenderer->setInterpolation(1);
    bestRenderer->setTargetTime(kBestTargetMs);

    interactiveThread = new isVRThreadRT(interactiveRenderer.get());
    interactiveThread->finishedCallback = [this](NSUI::NSThreadRequest* r) { onInteractiveFinished(r); };
    bestThread = new isVRThreadBest(bestRenderer.get());
    bestThread->finishedCallback = [this](NSUI::NSThreadRequest* r) { onBestFinished(r); };
    settings.serial = 1;
    return true;
}

void isActorVR::cleanup()
{
    if (firstPassQueued) cocos2d::Director::getInstance()->getScheduler()->removeFunctionInCocosThread(this);
    firstPassQueued = false;
    // Both passes are told to stop first, so neither wait sits behind a long best pass.
    if (interactiveThread) interactiveThread->cancelAll();
    if (bestThread) bestThread->cancelAll();
    NSUI::NSThread* interactive = interactiveThread;
    NSUI::NSThread* best = bestThread;
    interactiveThread = nullptr;
    bestThread = nullptr;
    safeDestroyThread(interactive);
    safeDestroyThread(best);
    isActorObject::cleanup();
    CC_SAFE_RELEASE_NULL(sprite);
    CC_SAFE_RELEASE_NULL(imageData);
    volume.reset();
    retired.clear();
}

void isActorVR::attachTo(isRenderWindow* target)
{
    isActorObject::attachTo(target);
    NSUI::NSNotificationCenter* centre = NSUI::NSNotificationCenter::getInstance();
    centre->removeObserver(this);
    if (!window) return;
    centre->addObserver(
        this, window, [this](cocos2d::Ref*, unsigned int id, NSUI::NSNotificationData*) { onNotification(id); },
        isRenderWindowBase::kRedrawId);
    // The pass starts in the frame that draws the new view; waiting for the redraw notice would
    // cost a frame. The notice then finds nothing left to do.
    window->setDrawnCallback(this, [this] { requestRender(); });
}

void isActorVR::onNotification(unsigned int id)
{
    if (id == isRenderWindowBase::kRedrawId) requestRender();
}

void isActorVR::setImageData(isImageData* data)
{
    if (data == imageData) return;
    // Passes in flight keep their own hold on the old voxels; they are only told to stop.
    if (interactiveThread) interactiveThread->cancelAll();
    if (bestThread) bestThread->cancelAll();
    if (volume) retired.push_back(std::move(volume));
    volume.reset();
    CC_SAFE_RELEASE_NULL(imageData);
    dropRetiredVolumes();

    volume = isVRVolume::create(data);
    if (!volume) {
        // Nothing to render: the picture of the old data must not stay.
        if (sprite) sprite->setVisible(false);
        cocos2d::Director::getInstance()->markDirty();
        return;
    }
    data->retain();
    imageData = data;
    firstPassWaits = true;
    const isSliceInfo* first = data->getSlice(0);
    if (first && std::isfinite(first->windowWidth) && std::isfinite(first->windowCenter)) {
        settings.windowWidth = std::max(kMinWindowWidth, first->windowWidth);
        settings.windowLevel = first->windowCenter;
    }
    const bool pet = first && first->modality == kModalityPT;
    settings.renderMode = volume->record.pixelType == kPixelF32 && pet ? 3 : 0;
    settingsChanged();
}

void isActorVR::setColorTable(const uint8_t rgb[768])
{
    if (!rgb) return;
    std::memcpy(settings.colors, rgb, sizeof(settings.colors));
    settingsChanged();
}

void isActorVR::adjustWindow(float dWidth, float dLevel)
{
    const float width = settings.windowWidth + dWidth, level = settings.windowLevel + dLevel;
    if (!std::isfinite(width) || !std::isfinite(level)) return;
    settings.windowWidth = std::max(kMinWindowWidth, width);
    settings.windowLevel = level;
    settingsChanged();
}

void isActorVR::settingsChanged()
{
    ++settings.serial;
    stale = true;
    // The next frame's redraw notification starts the pass.
    cocos2d::Director::getInstance()->markDirty();
}

void isActorVR::requestRender()
{
    if (!window || !visible_ || !interactiveThread || !bestThread || !volume) return;
    isCamera* camera = window->getSceneCamera();
    if (!camera || !(camera->isProjectionSet() || stale)) return;
    if (firstPassWaits) {
        // The first pass of a volume also builds its tables, the longest one: it starts in the
        // next frame, once this one is on screen, so the views drawn beside it do not wait.
        firstPassWaits = false;
        firstPassQueued = true;
        cocos2d::Director::getInstance()->getScheduler()->performFunctionInCocosThread(this, [this] {
            firstPassQueued = false;
            requestRender();
        });
        return;
    }
    camera->clearProjectionSet();
    stale = false;
    bestThread->cancelAll();
    if (isVRRenderRequest* request = isVRRenderRequest::create(camera->toVolumeView(), volume, settings))
        interactiveThread->addRequest(request);
}

void isActorVR::onInteractiveFinished(NSUI::NSThreadRequest* base)
{
    auto* request = static_cast<isVRRenderRequest*>(base);
    dropRetiredVolumes();
    if (request->cancelled || !request->hasPicture) return;
    showPicture(*request);
    if (visible_ && sprite && !sprite->isVisible()) sprite->setVisible(true);
    // The view rests once the interactive thread has nothing left to do.
    if (!interactiveThread || !interactiveThread->isIdle() || !bestThread || !volume) return;
    if (isVRRenderRequest* best = isVRRenderRequest::create(request->view, volume, settings))
        bestThread->addRequest(best);
}

void isActorVR::onBestFinished(NSUI::NSThreadRequest* base)
{
    auto* request = static_cast<isVRRenderRequest*>(base);
    dropRetiredVolumes();
    if (request->cancelled || !request->hasPicture) return;
    showPicture(*request);
}

void isActorVR::showPicture(isVRRenderRequest& request)
{
    if (!sprite) return;
    auto* texture = new (std::nothrow) cocos2d::Texture2D();
    if (!texture) return;
    const cocos2d::Size size(float(request.width), float(request.height));
    if (!texture->initWithData(request.pixels.data(), ssize_t(request.pixels.size()),
                               cocos2d::Texture2D::PixelFormat::RGB888, request.width, request.height, size)) {
        texture->release();
        return;
    }
    texture->autorelease();
    sprite->setTexture(texture);
    sprite->setTextureRect(cocos2d::Rect(0.0f, 0.0f, size.width, size.height));
    // Scaled up from the output size to the viewport.
    sprite->setScale(request.unitsPerPixelX, request.unitsPerPixelY);
    sprite->markContentChanged();
    std::vector<uint8_t>().swap(request.pixels);
}

void isActorVR::dropRetiredVolumes()
{
    retired.erase(std::remove_if(retired.begin(), retired.end(),
                                 [](const std::shared_ptr<const isVRVolume>& v) { return v.use_count() == 1; }),
                  retired.end());
}

} // namespace isImageSDK
