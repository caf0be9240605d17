#pragma once
// Touch tracker of the picture view: follows the fingers that began on its target, tells one-
// finger gestures (drag, tap, double tap, swipe) from two-finger ones (pan, pinch), and keeps
// gestures exclusive across all interactors of the process.

#include <vector>

#include "cocos2d.h"

namespace cocos2d {
class Touch;
}

namespace NSUI {

class NSInteractorBase : public cocos2d::Ref {
public:
    ~NSInteractorBase() override;
    virtual bool init();

    /// The node whose rectangle starts gestures (not retained: the target owns its interactor).
    virtual void setTarget(cocos2d::Node* target);
    /// Forgets the target; a gesture this interactor owns ends with it.
    virtual void releaseTarget();
    cocos2d::Node* getTarget() const { return target; }

    void touchesBegan(const std::vector<cocos2d::Touch*>& touches);
    void touchesMoved(const std::vector<cocos2d::Touch*>& touches);
    void touchesEnded(const std::vector<cocos2d::Touch*>& touches);
    void touchesCancelled(const std::vector<cocos2d::Touch*>& touches);

    bool isActive() const { return active; }
    bool isSingleTouchMode() const { return singleTouch; }
    size_t getTrackedTouchCount() const { return tracked.size(); }
    static bool isGestureInProgress();
    static NSInteractorBase* getGestureOwner();

    bool pinchEnabled = true;
    bool panEnabled = true;
    int oneFingerMode = 0; // 0 pan, 1 zoom

    /// Fingers closer than this at the start of a pinch give no usable ratio.
    static constexpr float kMinPinchDistance = 10.0f;

protected:
    NSInteractorBase() = default;

    struct Tracked {
        int id;
        cocos2d::Vec2 location;
    };

    virtual void onTwoFingerBegan();
    virtual void onTouchesMoved(const std::vector<cocos2d::Touch*>& touches);
    virtual void onTwoFingerEnded(const std::vector<cocos2d::Touch*>& touches);
    virtual void onTwoFingerCancelled(const std::vector<cocos2d::Touch*>& touches);
    virtual void onOneFingerBegan(const cocos2d::Vec2&) {}
    virtual void onOneFingerMoved(const cocos2d::Vec2& location);
    virtual void onOneFingerEnded(const cocos2d::Vec2& location);
    virtual void onOneFingerCancelled(const cocos2d::Vec2&) {}
    virtual void onDoubleTap(const cocos2d::Vec2&) {}
    virtual void panBy(const cocos2d::Vec2&) {}
    virtual void pinchZoom(float) {}
    virtual void onSwipe(const cocos2d::Vec2&, const cocos2d::Vec2&) {}
    virtual void onTap(const cocos2d::Vec2&) {}
    virtual void onDrag(const cocos2d::Vec2&) {}

    void startOneFinger(const cocos2d::Vec2& location);
    void track(const std::vector<cocos2d::Touch*>& touches);
    Tracked* findTracked(int id);
    static cocos2d::Touch* findTouch(const std::vector<cocos2d::Touch*>& touches, int id);
    void endGesture();
    void finishTouches(const std::vector<cocos2d::Touch*>& touches, bool cancelled);

    cocos2d::Node* target = nullptr;
    double touchStartTime = -1.0;
    cocos2d::Vec2 startLocation;
    bool singleTouch = true;
    std::vector<Tracked> tracked;
    bool active = false;
    float pinchScale = 1.0f;
    float initialDistance = 0.0f;
    cocos2d::Vec2 accumulated;
};

} // namespace NSUI
