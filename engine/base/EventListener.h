#pragma once
// Base of the objects that receive events from the dispatcher, either in the order of the
// scene graph (bound to a node) or by a fixed priority.

#include <functional>
#include <string>

#include "base/Ref.h"

namespace cocos2d {

class Event;
class Node;

class EventListener : public Ref {
public:
    enum class Type { UNKNOWN, TOUCH_ONE_BY_ONE, TOUCH_ALL_AT_ONCE, KEYBOARD, MOUSE, ACCELERATION, FOCUS,
                      GAME_CONTROLLER, CUSTOM };
    typedef std::string ListenerID;

    /// True when the listener has the callbacks it needs to be registered.
    virtual bool checkAvailable() = 0;
    virtual EventListener* clone() = 0;

    /// A disabled listener stays registered but receives nothing.
    void setEnabled(bool enabled) { _isEnabled = enabled; }
    bool isEnabled() const { return _isEnabled; }

    Type getType() const { return _type; }
    const ListenerID& getListenerID() const { return _listenerID; }
    Node* getAssociatedNode() const { return _node; }
    int getFixedPriority() const { return _fixedPriority; }
    bool isRegistered() const { return _isRegistered; }
    bool isPaused() const { return _paused; }

protected:
    EventListener() = default;
    bool init(Type type, const ListenerID& listenerID, const std::function<void(Event*)>& callback);

    void setPaused(bool paused) { _paused = paused; }
    void setRegistered(bool registered) { _isRegistered = registered; }
    void setFixedPriority(int fixedPriority) { _fixedPriority = fixedPriority; }
    void setAssociatedNode(Node* node) { _node = node; }

    std::function<void(Event*)> _onEvent;
    Type _type = Type::UNKNOWN;
    ListenerID _listenerID;
    bool _isRegistered = false;
    int _fixedPriority = 0;
    Node* _node = nullptr;
    bool _paused = true;
    bool _isEnabled = true;

    friend class EventDispatcher;
};

} // namespace cocos2d
