#include "extension/EventListenerAssetsManagerEx.h"

#include "extension/AssetsManagerEx.h"
#include "extension/EventAssetsManagerEx.h"

#include <new>

namespace cocos2d {
namespace extension {

EventListenerAssetsManagerEx* EventListenerAssetsManagerEx::create(
    AssetsManagerEx* manager, const std::function<void(EventAssetsManagerEx*)>& callback) {
    auto* listener = new (std::nothrow) EventListenerAssetsManagerEx();
    if (listener && listener->init(manager, callback)) {
        listener->autorelease();
        return listener;
    }
    delete listener;
    return nullptr;
}

bool EventListenerAssetsManagerEx::init(AssetsManagerEx* manager,
                                        const std::function<void(EventAssetsManagerEx*)>& callback) {
    if (!manager)
        return false;
    _manager = manager;
    _onAssetsEvent = callback;
    return EventListenerCustom::init(manager->getEventName(), [this](EventCustom* event) {
        if (_onAssetsEvent)
            _onAssetsEvent(static_cast<EventAssetsManagerEx*>(event));
    });
}

bool EventListenerAssetsManagerEx::checkAvailable() {
    return _manager && static_cast<bool>(_onAssetsEvent);
}

EventListenerAssetsManagerEx* EventListenerAssetsManagerEx::clone() {
    return create(_manager, _onAssetsEvent);
}

} // namespace extension
} // namespace cocos2d
