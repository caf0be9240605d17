#pragma once
// Delivers events to listeners. Listeners bound to a node are called in drawing order, the
// topmost node first, only while their node is running; touch and mouse events go through
// them once per camera of the running scene (highest depth first, later cameras first among
// equals) with Camera::_visitingCamera set, each listener at most once per event, to nodes
// whose camera list holds that camera's flag. Fixed-priority listeners come before (negative
// priorities) or after (positive) the node-bound ones. Main thread only.

#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/EventListener.h"
#include "base/Ref.h"

namespace cocos2d {

class Event;
class EventCustom;
class EventListenerCustom;
class EventTouch;
class Node;

class EventDispatcher : public Ref {
public:
    EventDispatcher() = default;
    ~EventDispatcher() override;

    /// Binds the listener to the node's place in the scene graph; the listener is retained.
    void addEventListenerWithSceneGraphPriority(EventListener* listener, Node* node);
    /// A non-zero priority; lower values are called first.
    void addEventListenerWithFixedPriority(EventListener* listener, int fixedPriority);
    EventListenerCustom* addCustomEventListener(const std::string& eventName,
                                                const std::function<void(EventCustom*)>& callback);

    /// Safe inside a callback: a removed listener receives nothing more, not even the rest of
    /// the event being dispatched.
    void removeEventListener(EventListener* listener);
    void removeEventListenersForType(EventListener::Type listenerType);
    void removeEventListenersForTarget(Node* target, bool recursive = false);
    void removeCustomEventListeners(const std::string& customEventName);
    void removeAllEventListeners();

    void pauseEventListenersForTarget(Node* target, bool recursive = false);
    void resumeEventListenersForTarget(Node* target, bool recursive = false);
    void setPriority(EventListener* listener, int fixedPriority);

    void setEnabled(bool isEnabled) { _isEnabled = isEnabled; }
    bool isEnabled() const { return _isEnabled; }

    void dispatchEvent(Event* event);
    void dispatchCustomEvent(const std::string& eventName, void* optionalUserData = nullptr);
    bool hasEventListener(const EventListener::ListenerID& listenerID) const;

private:
    bool addListener(EventListener* listener);
    /// The registered, enabled, unpaused listeners of an id in dispatch order, each retained.
    std::vector<EventListener*> orderedListeners(const EventListener::ListenerID& id, size_t* sceneGraphBegin,
                                                 size_t* sceneGraphEnd);
    /// Calls onEvent for each listener in order (per camera for the node-bound part when asked)
    /// until it answers true (stop).
    void dispatchOrdered(const std::vector<EventListener*>& listeners, size_t sceneGraphBegin,
                         size_t sceneGraphEnd, bool perCamera, Event* event,
                         const std::function<bool(EventListener*)>& onEvent);
    void dispatchTouchEvent(EventTouch* event);
    void forgetListener(EventListener* listener);

    std::vector<EventListener*> _listeners; // registration order, each retained
    std::unordered_map<Node*, std::vector<EventListener*>> _nodeListeners;
    bool _isEnabled = true;
    int _inDispatch = 0;
    std::vector<EventListener*> _toRelease;
};

} // namespace cocos2d
