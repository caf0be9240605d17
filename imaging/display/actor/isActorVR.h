#pragma once
// Shows a volume rendering of a render window's image data: an interactive ray caster renders
// small, fast pictures while the view moves, a best-quality one the full-size picture when it
// rests; each runs on its own thread and the pictures become the texture of one sprite that
// covers the window.

#include <memory>
#include <vector>

#include "imaging/core/volume/isVolumeRenderer.h"
#include "imaging/display/actor/isActorObject.h"
#include "imaging/display/volume/isVRRenderRequest.h"
#include "thread/NSThreadSafeDestroy.h"

namespace cocos2d {
class Sprite;
}

namespace NSUI {
class NSThreadRequest;
}

namespace isImageSDK {

class isImageData;
class isVRThreadBest;
class isVRThreadRT;

class isActorVR : public isActorObject, public NSUI::NSThreadSafeDestroy {
public:
    static isActorVR* create();
    ~isActorVR() override;

    /// Cancels both passes, stops both threads and waits for them, then the base's cleanup; the
    /// sprite and the image data are released.
    void cleanup() override;
    /// The hidden sprite, both renderers and both threads.
    bool init() override;
    /// Starts the passes when the window is drawn, and on its redraw notice (9091).
    void attachTo(isRenderWindow* window) override;

    /// Binds a volume (retained); data that is not a renderable volume leaves the actor without
    /// any. Passes in flight are cancelled and keep the old voxels until they end. A float PET
    /// volume is drawn as a maximum intensity projection, every other one by compositing.
    void setImageData(isImageData* data);
    /// 256 RGB triplets; null is ignored.
    void setColorTable(const uint8_t rgb[768]);
    /// Moves the window by the deltas; the width never falls below 2.
    void adjustWindow(float dWidth, float dLevel);
    /// Main thread, on the window's redraw: one interactive pass when the view or what is drawn
    /// changed since the last one; a best-quality pass in progress is cancelled.
    void requestRender();
    /// The redraw flag: set, the next redraw renders even when the view stayed.
    void setRedrawFlag(bool redraw) { stale = redraw; }
    bool getRedrawFlag() const { return stale; }

    isImageData* getImageData() const { return imageData; }
    const isVRSettings& getSettings() const { return settings; }
    cocos2d::Sprite* getSprite() const { return sprite; }
    isVolumeRenderer& getInteractiveRenderer() { return *interactiveRenderer; }
    isVolumeRenderer& getBestRenderer() { return *bestRenderer; }
    /// Null after cleanup.
    isVRThreadRT* getInteractiveThread() const { return interactiveThread; }
    isVRThreadBest* getBestThread() const { return bestThread; }

private:
    isActorVR() = default;
    friend class isObject;

    /// The window's redraw starts a pass; other ids are ignored.
    void onNotification(unsigned int id);
    void onInteractiveFinished(NSUI::NSThreadRequest* request);
    void onBestFinished(NSUI::NSThreadRequest* request);
    /// Makes the request's picture the sprite's texture, scaled over the viewport.
    void showPicture(isVRRenderRequest& request);
    void settingsChanged();
    /// Frees the volumes no request refers to any more.
    void dropRetiredVolumes();

    cocos2d::Sprite* sprite = nullptr;
    isImageData* imageData = nullptr;
    std::shared_ptr<const isVRVolume> volume;
    // Volumes replaced while a request may still hold them; freed here, on the main thread.
    std::vector<std::shared_ptr<const isVRVolume>> retired;
    isVRSettings settings;
    // Something drawn changed since the last pass, so the next redraw renders even if the view
    // stayed.
    bool stale = false;
    // The first pass of the volume waits for the frame that asked for it to be shown; queued
    // for the next frame meanwhile.
    bool firstPassWaits = false;
    bool firstPassQueued = false;
    std::unique_ptr<isVolumeRenderer> interactiveRenderer;
    std::unique_ptr<isVolumeRenderer> bestRenderer;
    isVRThreadRT* interactiveThread = nullptr;
    isVRThreadBest* bestThread = nullptr;
};

} // namespace isImageSDK
