#include "base/EventMouse.h"

namespace cocos2d {

void EventMouse::setCursorPosition(float x, float y)
{
    _point.set(x, y);
    if (!_startPointCaptured) {
        _startPoint = _point;
        _startPointCaptured = true;
    }
}

} // namespace cocos2d
