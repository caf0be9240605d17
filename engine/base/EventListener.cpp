#include "base/EventListener.h"

namespace cocos2d {

bool EventListener::init(Type type, const ListenerID& listenerID, const std::function<void(Event*)>& callback)
{
    _onEvent = callback;
    _type = type;
    _listenerID = listenerID;
    _isRegistered = false;
    _paused = true;
    _isEnabled = true;
    return true;
}

} // namespace cocos2d
