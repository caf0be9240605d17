#pragma once
// Gives the gestures their meaning in a viewer: by the tool mode a one-finger drag pans, zooms,
// changes the window or rotates, a press reads out the world position under the finger, and the
// measurement modes create and edit measurements. Pan, zoom and window changes are posted to
// the render window, which applies them and mirrors them to a linked window.

#include "imaging/display/interactor/isInteractorBase.h"

namespace NSUI {
class NSNotificationData;
}

namespace isImageSDK {

class isActorROIBase;

class isInteractorImage : public isInteractorBase {
public:
    enum Mode : int {
        kModeProbe = 0,
        kModeRotate = 1,
        kModePosition = 2,
        kModeWindowLevel = 4,
        kModePan = 5,
        kModeZoom = 6,
        kModeProbeQuiet = 7,
        kModeLine = 9,
        kModePoint = 10,
        kModeAngle = 11,
        kModeCircle = 12,
        kModePolygon = 13,
    };

    static constexpr unsigned int kSwipeRightId = 9001;
    static constexpr unsigned int kSwipeLeftId = 9002;
    static constexpr unsigned int kPanStepId = 9061;
    static constexpr unsigned int kZoomStepId = 9062;
    static constexpr unsigned int kPinchStepId = 9063;
    static constexpr unsigned int kWindowStepId = 9064;
    static constexpr unsigned int kPanEndId = 9065;
    static constexpr unsigned int kZoomEndId = 9066;
    static constexpr unsigned int kWindowEndId = 9067;
    static constexpr unsigned int kProbeEndId = 9068;
    static constexpr unsigned int kPositionId = 9071;
    static constexpr unsigned int kProbeId = 9085;
    static constexpr unsigned int kSliceChangedId = 9093;
    static constexpr unsigned int kOrientationChangedId = 9094;

    static isInteractorImage* create();
    ~isInteractorImage() override;

    /// Releases the window, drops every registration, forgets the current measurement.
    void cleanup() override;
    /// Pan mode, no window, no current measurement, nothing accumulated.
    bool init() override;
    /// Takes the window and follows its slice and orientation changes.
    void setRenderWindow(isRenderWindow* window) override;
    void singleTouchBegan(cocos2d::Touch* touch) override;
    void singleTouchMoved(cocos2d::Touch* touch) override;
    void singleTouchEnded(cocos2d::Touch* touch) override;
    void singleTouchCancelled(cocos2d::Touch* touch) override;
    void multiTouchEnded(const std::vector<cocos2d::Touch*>& touches) override;
    void multiTouchCancelled(const std::vector<cocos2d::Touch*>& touches) override;
    void onDoubleTap(const cocos2d::Vec2& point) override;
    void onTwoFingerPan(const cocos2d::Vec2& delta) override;
    void onPinch(float scale, float factor) override;
    void onSwipe(const cocos2d::Vec2& point, const cocos2d::Vec2& move) override;
    void onDrag(const cocos2d::Vec2& delta, float speed) override;

    /// Changes the tool; an unfinished measurement is kept, closed or dropped.
    void setInteractionMode(int mode);
    int getInteractionMode() const { return mode; }
    /// Ends the current measurement's point edit and forgets it; returns it.
    isActorROIBase* detachCurrentROI();
    isActorROIBase* getCurrentROI() const { return currentROI; }

protected:
    isInteractorImage() = default;
    friend class isObject;

    void onWindowNotification(cocos2d::Ref* sender, unsigned int id, NSUI::NSNotificationData* data);
    /// Posts the summary of the gesture (pan, zoom, window, probe end) and starts afresh.
    void commitLinkedGesture();
    void beginMeasurement(cocos2d::Touch* touch);
    /// A release in a measurement mode: what is incomplete, or a line or circle a tap made, goes.
    void endMeasurement();
    void postPan(const cocos2d::Vec2& delta);
    /// Posts a zoom step unless the displayed ratio is at its limit in that direction.
    void postZoom(unsigned int id, float factor);
    /// The world point under a touch; false when the window has none there.
    bool worldAt(cocos2d::Touch* touch, cocos2d::Vec3& world) const;
    void postPosition(unsigned int id, const cocos2d::Vec3& world, bool withdrawFirst);
    void orbit(const cocos2d::Vec2& delta);
    void setCurrentROI(isActorROIBase* actor);

    int mode = kModePan;
    isActorROIBase* currentROI = nullptr;
    cocos2d::Vec2 accumulatedPan;
    float accumulatedZoom = 1.0f;
    bool windowChanged = false;
    bool pickedExisting = false;
};

} // namespace isImageSDK
