#pragma once
// Base of every event the dispatcher delivers: its type, its current target and a stop flag.

#include "base/Ref.h"

namespace cocos2d {

class Node;

class Event : public Ref {
public:
    enum class Type { TOUCH, KEYBOARD, ACCELERATION, MOUSE, FOCUS, GAME_CONTROLLER, CUSTOM };

    explicit Event(Type type) : _type(type) {}
    ~Event() override = default;

    Type getType() const { return _type; }
    /// Listeners after the current one do not receive this event.
    void stopPropagation() { _isStopped = true; }
    bool isStopped() const { return _isStopped; }
    /// The node of the scene-graph listener being called; null for fixed-priority listeners.
    Node* getCurrentTarget() const { return _currentTarget; }

protected:
    void setCurrentTarget(Node* target) { _currentTarget = target; }

    Type _type;
    bool _isStopped = false;
    Node* _currentTarget = nullptr;

    friend class EventDispatcher;
};

} // namespace cocos2d
