#pragma once
// A mouse event: press, release, move or wheel, with the pointer in GL points (y up).

#include "base/Event.h"
#include "math/Vec2.h"

namespace cocos2d {

class EventMouse : public Event {
public:
    enum class MouseEventType { MOUSE_NONE, MOUSE_DOWN, MOUSE_UP, MOUSE_MOVE, MOUSE_SCROLL };
    /// Plain enum so that code may compare the button with 0, 1, 2 as well as with the names.
    enum MouseButton { BUTTON_UNSET = -1, BUTTON_LEFT = 0, BUTTON_RIGHT = 1, BUTTON_MIDDLE = 2, BUTTON_4 = 3,
                       BUTTON_5 = 4, BUTTON_6 = 5, BUTTON_7 = 6, BUTTON_8 = 7 };

    explicit EventMouse(MouseEventType mouseEventCode) : Event(Type::MOUSE), _mouseEventType(mouseEventCode) {}

    MouseEventType getMouseEventType() const { return _mouseEventType; }

    /// A wheel turned towards the user gives a negative y.
    void setScrollData(float scrollX, float scrollY) { _scrollX = scrollX; _scrollY = scrollY; }
    float getScrollX() const { return _scrollX; }
    float getScrollY() const { return _scrollY; }

    /// Sets the pointer (GL points, y up); the first position set is also the start.
    void setCursorPosition(float x, float y);
    /// The pointer of the event before this one (set by whoever builds the event).
    void setPreviousCursorPosition(float x, float y) { _prevPoint.set(x, y); }
    float getCursorX() const { return _point.x; }
    float getCursorY() const { return _point.y; }

    void setMouseButton(int button) { _mouseButton = static_cast<MouseButton>(button); }
    MouseButton getMouseButton() const { return _mouseButton; }

    Vec2 getLocation() const { return _point; }
    Vec2 getPreviousLocation() const { return _prevPoint; }
    Vec2 getStartLocation() const { return _startPoint; }
    Vec2 getDelta() const { return _point - _prevPoint; }
    /// In this engine the view's location is also in GL points with y up.
    Vec2 getLocationInView() const { return _point; }
    Vec2 getPreviousLocationInView() const { return _prevPoint; }
    Vec2 getStartLocationInView() const { return _startPoint; }

private:
    MouseEventType _mouseEventType;
    MouseButton _mouseButton = BUTTON_UNSET;
    float _scrollX = 0.0f;
    float _scrollY = 0.0f;
    bool _startPointCaptured = false;
    Vec2 _point;
    Vec2 _prevPoint;
    Vec2 _startPoint;
};

} // namespace cocos2d
