#pragma once
// One finger (or the left mouse button, as touch 0): its id and its current, previous and
// start locations in GL points (y up).

#include "base/Ref.h"
#include "math/Vec2.h"

namespace cocos2d {

class Touch : public Ref {
public:
    enum class DispatchMode { ALL_AT_ONCE, ONE_BY_ONE };

    Touch() = default;

    int getID() const { return _id; }
    Vec2 getLocation() const { return _point; }
    Vec2 getPreviousLocation() const { return _prevPoint; }
    Vec2 getStartLocation() const { return _startPoint; }
    Vec2 getDelta() const { return _point - _prevPoint; }

    /// The same points with y counted down from the top of the window.
    Vec2 getLocationInView() const;
    Vec2 getPreviousLocationInView() const;
    Vec2 getStartLocationInView() const;

    /// Sets id and location from window coordinates (y down). The first call also sets the
    /// start location; later calls move the current location to the previous one.
    void setTouchInfo(int id, float x, float y);
    /// The same with a location already in GL points (y up).
    void setTouchInfoInGL(int id, const Vec2& point);
    /// Overwrites the current location only (GL points); the previous one is kept.
    void setLocation(const Vec2& point) { _point = point; }

    /// Seconds since 1970 of the most recent touch anywhere in the program (0 before any).
    static double getTimeStamp();

private:
    int _id = 0;
    bool _startPointCaptured = false;
    Vec2 _startPoint;
    Vec2 _point;
    Vec2 _prevPoint;
};

} // namespace cocos2d
