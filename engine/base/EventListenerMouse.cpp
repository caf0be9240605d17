#include "base/EventListenerMouse.h"

#include <new>

#include "base/EventMouse.h"

namespace cocos2d {

const std::string EventListenerMouse::LISTENER_ID = "__cc_mouse";

EventListenerMouse* EventListenerMouse::create()
{
    auto* ret = new (std::nothrow) EventListenerMouse();
    if (ret && ret->init()) {
        ret->autorelease();
        return ret;
    }
    delete ret;
    return nullptr;
}

bool EventListenerMouse::init()
{
    auto callback = [this](Event* event) {
        auto* mouse = static_cast<EventMouse*>(event);
        switch (mouse->getMouseEventType()) {
        case EventMouse::MouseEventType::MOUSE_DOWN:
            if (onMouseDown)
                onMouseDown(mouse);
            break;
        case EventMouse::MouseEventType::MOUSE_UP:
            if (onMouseUp)
                onMouseUp(mouse);
            break;
        case EventMouse::MouseEventType::MOUSE_MOVE:
            if (onMouseMove)
                onMouseMove(mouse);
            break;
        case EventMouse::MouseEventType::MOUSE_SCROLL:
            if (onMouseScroll)
                onMouseScroll(mouse);
            break;
        default:
            break;
        }
    };
    return EventListener::init(Type::MOUSE, LISTENER_ID, callback);
}

EventListenerMouse* EventListenerMouse::clone()
{
    auto* ret = create();
    if (!ret)
        return nullptr;
    ret->onMouseDown = onMouseDown;
    ret->onMouseUp = onMouseUp;
    ret->onMouseMove = onMouseMove;
    ret->onMouseScroll = onMouseScroll;
    return ret;
}

} // namespace cocos2d
