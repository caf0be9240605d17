#include "base/EventListenerCustom.h"

#include <new>

#include "base/EventCustom.h"

namespace cocos2d {

EventListenerCustom* EventListenerCustom::create(const std::string& eventName,
                                                 const std::function<void(EventCustom*)>& callback)
{
    auto* ret = new (std::nothrow) EventListenerCustom();
    if (ret && ret->init(eventName, callback)) {
        ret->autorelease();
        return ret;
    }
    delete ret;
    return nullptr;
}

bool EventListenerCustom::init(const ListenerID& listenerId, const std::function<void(EventCustom*)>& callback)
{
    _onCustomEvent = callback;
    auto listener = [this](Event* event) {
        if (_onCustomEvent)
            _onCustomEvent(static_cast<EventCustom*>(event));
    };
    return EventListener::init(Type::CUSTOM, listenerId, listener);
}

EventListenerCustom* EventListenerCustom::clone()
{
    return create(_listenerID, _onCustomEvent);
}

} // namespace cocos2d
