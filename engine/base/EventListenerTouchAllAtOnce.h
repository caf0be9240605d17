#pragma once
// Receives all touches of an event together (those no one-by-one listener swallowed).

#include <functional>
#include <vector>

#include "base/EventListener.h"

namespace cocos2d {

class Touch;

class EventListenerTouchAllAtOnce : public EventListener {
public:
    static const std::string LISTENER_ID;

    static EventListenerTouchAllAtOnce* create();

    bool checkAvailable() override;
    EventListenerTouchAllAtOnce* clone() override;

    std::function<void(const std::vector<Touch*>&, Event*)> onTouchesBegan;
    std::function<void(const std::vector<Touch*>&, Event*)> onTouchesMoved;
    std::function<void(const std::vector<Touch*>&, Event*)> onTouchesEnded;
    std::function<void(const std::vector<Touch*>&, Event*)> onTouchesCancelled;

protected:
    EventListenerTouchAllAtOnce() = default;
    bool init();
};

} // namespace cocos2d
