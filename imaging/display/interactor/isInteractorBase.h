#pragma once
// Turns the raw touches a render window receives into gestures: one-finger press, drag,
// release, tap, double tap and swipe, and two-finger pan and pinch. Only one interactor in the
// program owns a gesture at a time, so a gesture begun in one viewport is not also taken by
// another. Subclasses override the gesture hooks.

#include <cstdint>
#include <vector>

#include "imaging/core/object/isObject.h"

namespace cocos2d {
class Touch;
}

namespace isImageSDK {

class isRenderWindow;

class isInteractorBase : public isObject {
public:
    static constexpr unsigned int kViewTouchedId = 9096;
    /// Presses closer together than this many whole milliseconds make a double tap.
    static constexpr int64_t kDoubleTapMs = 181;

    static isInteractorBase* create();
    /// Releases the window and the tracked touches.
    ~isInteractorBase() override;

    /// Releases the window; a second run does nothing more.
    virtual void cleanup();
    /// One-finger mode, no window, not active, pinch and drag enabled; ends any gesture in
    /// progress anywhere.
    bool init() override;
    virtual void reserved() {}
    virtual void multiTouchBegan(const std::vector<cocos2d::Touch*>& touches);
    virtual void multiTouchMoved(const std::vector<cocos2d::Touch*>& touches);
    /// Forgets the ended touches and starts again with the fingers left.
    virtual void multiTouchEnded(const std::vector<cocos2d::Touch*>& touches);
    virtual void multiTouchCancelled(const std::vector<cocos2d::Touch*>& touches);
    /// Retains the window whose touches this interactor reads.
    virtual void setRenderWindow(isRenderWindow* window);
    virtual void singleTouchBegan(cocos2d::Touch*) {}
    virtual void singleTouchMoved(cocos2d::Touch* touch);
    virtual void singleTouchEnded(cocos2d::Touch* touch);
    virtual void singleTouchCancelled(cocos2d::Touch*) {}
    // Gesture hooks. Points are in the window's node space, deltas and moves in screen points,
    // speed in points per millisecond.
    virtual void onDoubleTap(const cocos2d::Vec2&) {}
    virtual void onTwoFingerPan(const cocos2d::Vec2&) {}
    virtual void onPinch(float /*scale*/, float /*factor*/) {}
    virtual void onSwipe(const cocos2d::Vec2& /*point*/, const cocos2d::Vec2& /*move*/) {}
    virtual void onTap(const cocos2d::Vec2&) {}
    virtual void onDrag(const cocos2d::Vec2& /*delta*/, float /*speed*/) {}

    void touchesBegan(const std::vector<cocos2d::Touch*>& touches);
    void touchesEnded(const std::vector<cocos2d::Touch*>& touches);
    void touchesCancelled(const std::vector<cocos2d::Touch*>& touches);
    /// Releases every tracked copy.
    void releaseTouches();

    isRenderWindow* getRenderWindow() const { return window; }
    int getTypeTag() const { return typeTag; }
    bool isActive() const { return active; }
    bool isOneFingerMode() const { return oneFingerMode; }
    bool isTapCandidate() const { return tapCandidate; }
    const std::vector<cocos2d::Touch*>& getTrackedTouches() const { return trackedTouches; }
    static bool isGestureInProgress();
    static isInteractorBase* getGestureOwner();

    bool pinchEnabled = true;
    bool dragEnabled = true;

protected:
    isInteractorBase() = default;
    friend class isObject;

    /// Microseconds of the director's clock (monotonic, injectable by tests).
    static int64_t nowMicros();
    static int64_t wholeMillisSince(int64_t micros) { return (nowMicros() - micros) / 1000; }

    void track(const std::vector<cocos2d::Touch*>& touches);
    cocos2d::Touch* findTracked(int id) const;
    void forgetTracked(const std::vector<cocos2d::Touch*>& touches);
    void oneFingerPress(cocos2d::Touch* touch);
    void finishTouches(const std::vector<cocos2d::Touch*>& touches, bool cancelled);
    void endGesture();
    cocos2d::Vec2 toWindow(const cocos2d::Vec2& location) const;

    int typeTag = 0;
    isRenderWindow* window = nullptr;
    int64_t touchDownMicros = 0;
    int64_t previousMicros = 0;
    cocos2d::Vec2 downLocation;
    bool oneFingerMode = true;
    std::vector<cocos2d::Touch*> trackedTouches;
    bool active = false;
    float pinchScale = 1.0f;
    float pinchStartDistance = 0.0f;
    cocos2d::Vec2 accumulated;
    bool tapCandidate = false;
};

} // namespace isImageSDK
