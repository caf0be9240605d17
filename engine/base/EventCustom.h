#pragma once
// An application event identified by name, carrying an optional untyped pointer.

#include <string>

#include "base/Event.h"

namespace cocos2d {

class EventCustom : public Event {
public:
    explicit EventCustom(const std::string& eventName) : Event(Type::CUSTOM), _eventName(eventName) {}

    void setUserData(void* data) { _userData = data; }
    void* getUserData() const { return _userData; }
    const std::string& getEventName() const { return _eventName; }

private:
    void* _userData = nullptr;
    std::string _eventName;
};

} // namespace cocos2d
