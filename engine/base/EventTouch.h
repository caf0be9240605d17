#pragma once
// A touch event: what happened (began, moved, ended, cancelled) to which touches.

#include <vector>

#include "base/Event.h"

namespace cocos2d {

class Touch;

class EventTouch : public Event {
public:
    static const int MAX_TOUCHES = 15;

    enum class EventCode { BEGAN, MOVED, ENDED, CANCELLED };

    EventTouch() : Event(Type::TOUCH) {}

    EventCode getEventCode() const { return _eventCode; }
    const std::vector<Touch*>& getTouches() const { return _touches; }
    void setEventCode(EventCode eventCode) { _eventCode = eventCode; }
    void setTouches(const std::vector<Touch*>& touches) { _touches = touches; }

private:
    EventCode _eventCode = EventCode::BEGAN;
    std::vector<Touch*> _touches;
};

} // namespace cocos2d
