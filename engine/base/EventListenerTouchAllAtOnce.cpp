#include "base/EventListenerTouchAllAtOnce.h"

#include <new>

#include "base/ccLog.h"

namespace cocos2d {

const std::string EventListenerTouchAllAtOnce::LISTENER_ID = "__cc_touch_all_at_once";

EventListenerTouchAllAtOnce* EventListenerTouchAllAtOnce::create()
{
    auto* ret = new (std::nothrow) EventListenerTouchAllAtOnce();
    if (ret && ret->init()) {
        ret->autorelease();
        return ret;
    }
    delete ret;
    return nullptr;
}

bool EventListenerTouchAllAtOnce::init()
{
    return EventListener::init(Type::TOUCH_ALL_AT_ONCE, LISTENER_ID, nullptr);
}

bool EventListenerTouchAllAtOnce::checkAvailable()
{
    if (!onTouchesBegan && !onTouchesMoved && !onTouchesEnded && !onTouchesCancelled) {
        log("EventListenerTouchAllAtOnce: no callback is set");
        return false;
    }
    return true;
}

EventListenerTouchAllAtOnce* EventListenerTouchAllAtOnce::clone()
{
    auto* ret = create();
    if (!ret)
        return nullptr;
    ret->onTouchesBegan = onTouchesBegan;
    ret->onTouchesMoved = onTouchesMoved;
    ret->onTouchesEnded = onTouchesEnded;
    ret->onTouchesCancelled = onTouchesCancelled;
    return ret;
}

} // namespace cocos2d
