#pragma once
// Receives key presses and releases.

#include <functional>

#include "base/EventKeyboard.h"
#include "base/EventListener.h"

namespace cocos2d {

class EventListenerKeyboard : public EventListener {
public:
    static const std::string LISTENER_ID;

    static EventListenerKeyboard* create();

    bool checkAvailable() override;
    EventListenerKeyboard* clone() override;

    std::function<void(EventKeyboard::KeyCode, Event*)> onKeyPressed;
    std::function<void(EventKeyboard::KeyCode, Event*)> onKeyReleased;

protected:
    EventListenerKeyboard() = default;
    bool init();
};

} // namespace cocos2d
