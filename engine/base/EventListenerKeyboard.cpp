#include "base/EventListenerKeyboard.h"

#include <new>

#include "base/ccLog.h"

namespace cocos2d {

const std::string EventListenerKeyboard::LISTENER_ID = "__cc_keyboard";

EventListenerKeyboard* EventListenerKeyboard::create()
{
    auto* ret = new (std::nothrow) EventListenerKeyboard();
    if (ret && ret->init()) {
        ret->autorelease();
        return ret;
    }
    delete ret;
    return nullptr;
}

bool EventListenerKeyboard::init()
{
    auto callback = [this](Event* event) {
        auto* key = static_cast<EventKeyboard*>(event);
        if (key->isPressed()) {
            if (onKeyPressed)
                onKeyPressed(key->getKeyCode(), event);
        } else if (onKeyReleased) {
            onKeyReleased(key->getKeyCode(), event);
        }
    };
    return EventListener::init(Type::KEYBOARD, LISTENER_ID, callback);
}

bool EventListenerKeyboard::checkAvailable()
{
    if (!onKeyPressed && !onKeyReleased) {
        log("EventListenerKeyboard: no callback is set");
        return false;
    }
    return true;
}

EventListenerKeyboard* EventListenerKeyboard::clone()
{
    auto* ret = create();
    if (!ret)
        return nullptr;
    ret->onKeyPressed = onKeyPressed;
    ret->onKeyReleased = onKeyReleased;
    return ret;
}

} // namespace cocos2d
