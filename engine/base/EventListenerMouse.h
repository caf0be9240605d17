#pragma once
// Receives mouse presses, releases, moves and wheel turns.

#include <functional>

#include "base/EventListener.h"

namespace cocos2d {

class EventMouse;

class EventListenerMouse : public EventListener {
public:
    static const std::string LISTENER_ID;

    static EventListenerMouse* create();

    bool checkAvailable() override { return true; }
    EventListenerMouse* clone() override;

    std::function<void(EventMouse*)> onMouseDown;
    std::function<void(EventMouse*)> onMouseUp;
    std::function<void(EventMouse*)> onMouseMove;
    std::function<void(EventMouse*)> onMouseScroll;

protected:
    EventListenerMouse() = default;
    bool init();
};

} // namespace cocos2d
