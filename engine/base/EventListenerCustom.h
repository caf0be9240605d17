#pragma once
// Receives the custom events of one name.

#include <functional>
#include <string>

#include "base/EventListener.h"

namespace cocos2d {

class EventCustom;

class EventListenerCustom : public EventListener {
public:
    static EventListenerCustom* create(const std::string& eventName,
                                       const std::function<void(EventCustom*)>& callback);

    bool checkAvailable() override { return static_cast<bool>(_onCustomEvent); }
    EventListenerCustom* clone() override;

protected:
    EventListenerCustom() = default;
    bool init(const ListenerID& listenerId, const std::function<void(EventCustom*)>& callback);

    std::function<void(EventCustom*)> _onCustomEvent;
};

} // namespace cocos2d
