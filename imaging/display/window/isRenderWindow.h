#pragma once
// The render window every viewer derives from: owns the actor manager and the interactor,
// holds the image data shown, and takes every command through one message handler, whether it
// comes from a notification, the mouse, the touch screen or a direct call.

#include <vector>

#include "imaging/display/actor/isActorManager.h"
#include "imaging/display/window/isRenderWindowBase.h"

namespace cocos2d {
class Event;
class EventListenerTouchAllAtOnce;
class Touch;
} // namespace cocos2d

namespace NSUI {
class NSNotificationData;
}

namespace isImageSDK {

class isImageData;
class isInteractorBase;

class isRenderWindow : public isRenderWindowBase {
public:
    static constexpr unsigned int kNextSliceId = 9001;
    static constexpr unsigned int kPreviousSliceId = 9002;
    static constexpr unsigned int kCameraUpdateId = 9017;
    static constexpr unsigned int kPanStepId = 9061;
    static constexpr unsigned int kZoomStepId = 9062;
    static constexpr unsigned int kZoomStepAltId = 9063;
    static constexpr unsigned int kPanEndId = 9065;
    static constexpr unsigned int kZoomEndId = 9066;
    static constexpr unsigned int kOrientationLabelsId = 9070;
    static constexpr unsigned int kViewTouchedId = 9096;
    static constexpr unsigned int kViewerBroadcastIds[2] = {9100, 9102};

    static isRenderWindow* create();

    bool init() override;
    /// Releases and forgets what the window holds; running it again does nothing more.
    void cleanup() override;
    void setContentSize(const cocos2d::Size& size) override;
    /// The base's background cover, and the overlay actor follows.
    void setVisible(bool visible) override;
    /// Posts the screen-edge orientation letters (9070) of the image data.
    void onCameraChanged() override;
    /// Forgets the actor manager, the image data and the linked window.
    void resetNodeLinks() override;

    bool onMouseScroll(float x, float y, float scrollY) override;
    bool onMouseDown(float x, float y) override;
    bool onMouseUp(float x, float y) override;
    bool onMouseMove(float x, float y) override;

    /// Handles 9017, 9061-9063, 9065, 9066 and 9096; viewers override it for the rest and call
    /// this one for what they leave.
    virtual void onMessage(unsigned int id, NSUI::NSNotificationData* data, cocos2d::Ref* sender);
    /// The node whose pan and zoom follow this one's (not retained): another window, or the
    /// viewer that owns this one.
    virtual void setLinkedWindow(cocos2d::Node* window) { linkedWindow = window; }
    /// One pending 9089 per observer of this window; nothing withdrawn first.
    virtual void flushCameraUpdates();
    virtual void refreshOverlay(bool) {}
    /// Subclasses list the ids they observe with themselves as object.
    virtual void fillObservedIds() {}
    virtual void onNotification(cocos2d::Ref* sender, unsigned int id, NSUI::NSNotificationData* data);
    virtual bool isVolumeWindow() const { return false; }
    virtual void onTouchesBegan(const std::vector<cocos2d::Touch*>& touches, cocos2d::Event* event);
    virtual void onTouchesMoved(const std::vector<cocos2d::Touch*>& touches, cocos2d::Event* event);
    virtual void onTouchesEnded(const std::vector<cocos2d::Touch*>& touches, cocos2d::Event* event);
    virtual void onTouchesCancelled(const std::vector<cocos2d::Touch*>& touches, cocos2d::Event* event);

    /// Retains the data and rebuilds the actors for it; the same object changes nothing.
    void setImageData(isImageData* data);
    isImageData* getImageData() const { return imageData; }
    isActorManager* getActorManager() const { return actorManager; }
    cocos2d::Node* getLinkedWindow() const { return linkedWindow; }
    /// The viewers' name for the linked window: the node commands of other senders go to.
    void setOwnerWindow(cocos2d::Node* owner) { setLinkedWindow(owner); }
    cocos2d::Node* getOwnerWindow() const { return linkedWindow; }
    /// The measurement container, created on first use; null without a manager window.
    template <class Actor = isActorROI> Actor* getROIActor()
    {
        return actorManager ? actorManager->getROIActor<Actor>() : nullptr;
    }
    /// 0 axial, 1 sagittal, 2 coronal: which pair of the data's axes shows that orientation
    /// (0 the first and second, 1 the second and third, 2 the first and third); 0 without data.
    int getSliceOrientation(int orientation);

    /// Takes the interactor (retained) that receives this window's touches.
    void setInteractor(isInteractorBase* newInteractor);
    isInteractorBase* getInteractor() const { return interactor; }
    /// Whether the user sees the window: on screen, not set invisible, no hidden ancestor.
    bool isShownToUser() const;

protected:
    isRenderWindow() = default;
    ~isRenderWindow() override;

    void forward(unsigned int id, NSUI::NSNotificationData* data, bool nextTick);
    void releaseLinks();

    isActorManager* actorManager = nullptr;
    isImageData* imageData = nullptr;
    cocos2d::Node* linkedWindow = nullptr;
    std::vector<unsigned int> observedIds;
    isInteractorBase* interactor = nullptr;
    cocos2d::EventListenerTouchAllAtOnce* touchListener = nullptr;
    cocos2d::Vec2 panAccumulated;
    float zoomAccumulated = 1.0f;

public:
    // Written by the viewers: whether the window fills its container or stepped aside for
    // another that does, the place and size to go back to, and the zoom ratio last shown.
    bool maximized = false;
    cocos2d::Vec2 savedPosition;
    cocos2d::Size savedSize;
    float zoomRatio = 1.0f;
};

} // namespace isImageSDK
