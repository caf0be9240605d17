#include "base/EventDispatcher.h"

#include <algorithm>
#include <map>

#include "2d/Camera.h"
#include "2d/Node.h"
#include "2d/Scene.h"
#include "base/Director.h"
#include "base/EventCustom.h"
#include "base/EventListenerCustom.h"
#include "base/EventListenerTouchAllAtOnce.h"
#include "base/EventListenerTouchOneByOne.h"
#include "base/EventTouch.h"
#include "base/Touch.h"
#include "base/ccLog.h"

namespace cocos2d {

namespace {
const char* const kMouseId = "__cc_mouse";
const char* const kKeyboardId = "__cc_keyboard";

/// Releases the references a dispatch took on its listeners when it ends.
struct ListenerRefs {
    std::vector<EventListener*> list;
    ~ListenerRefs()
    {
        for (EventListener* l : list)
            l->release();
    }
};
} // namespace

EventDispatcher::~EventDispatcher()
{
    for (EventListener* l : _listeners) {
        l->setRegistered(false);
        l->release();
    }
    for (EventListener* l : _toRelease)
        l->release();
}

bool EventDispatcher::addListener(EventListener* listener)
{
    if (!listener) {
        log("EventDispatcher: null listener");
        return false;
    }
    if (!listener->checkAvailable())
        return false;
    if (listener->isRegistered()) {
        log("EventDispatcher: the listener is already registered; use clone() for a second one");
        return false;
    }
    listener->retain();
    listener->setRegistered(true);
    _listeners.push_back(listener);
    return true;
}

void EventDispatcher::addEventListenerWithSceneGraphPriority(EventListener* listener, Node* node)
{
    if (!node) {
        log("EventDispatcher: null node for a scene-graph listener");
        return;
    }
    if (!listener || listener->isRegistered() || !listener->checkAvailable()) {
        addListener(listener); // logs the reason
        return;
    }
    listener->setAssociatedNode(node);
    listener->setFixedPriority(0);
    listener->setPaused(!node->isRunning());
    addListener(listener);
    _nodeListeners[node].push_back(listener);
}

void EventDispatcher::addEventListenerWithFixedPriority(EventListener* listener, int fixedPriority)
{
    if (fixedPriority == 0) {
        log("EventDispatcher: fixed priority 0 is reserved for scene-graph listeners");
        return;
    }
    if (!listener)
        return;
    listener->setAssociatedNode(nullptr);
    listener->setFixedPriority(fixedPriority);
    listener->setPaused(false);
    addListener(listener);
}

EventListenerCustom* EventDispatcher::addCustomEventListener(const std::string& eventName,
                                                             const std::function<void(EventCustom*)>& callback)
{
    EventListenerCustom* listener = EventListenerCustom::create(eventName, callback);
    if (listener)
        addEventListenerWithFixedPriority(listener, 1);
    return listener;
}

void EventDispatcher::forgetListener(EventListener* listener)
{
    auto it = std::find(_listeners.begin(), _listeners.end(), listener);
    if (it == _listeners.end())
        return;
    _listeners.erase(it);
    if (Node* node = listener->getAssociatedNode()) {
        auto n = _nodeListeners.find(node);
        if (n != _nodeListeners.end()) {
            auto& v = n->second;
            v.erase(std::remove(v.begin(), v.end(), listener), v.end());
            if (v.empty())
                _nodeListeners.erase(n);
        }
    }
    listener->setRegistered(false);
    listener->setAssociatedNode(nullptr);
    // A callback of this listener may be running right now: keep it alive until the dispatch ends.
    if (_inDispatch > 0)
        _toRelease.push_back(listener);
    else
        listener->release();
}

void EventDispatcher::removeEventListener(EventListener* listener)
{
    if (listener)
        forgetListener(listener);
}

void EventDispatcher::removeEventListenersForType(EventListener::Type listenerType)
{
    std::vector<EventListener*> all = _listeners;
    for (EventListener* l : all) {
        if (l->getType() == listenerType)
            forgetListener(l);
    }
}

void EventDispatcher::removeEventListenersForTarget(Node* target, bool recursive)
{
    auto it = _nodeListeners.find(target);
    if (it != _nodeListeners.end()) {
        std::vector<EventListener*> listeners = it->second;
        for (EventListener* l : listeners)
            forgetListener(l);
    }
    if (recursive && target) {
        for (Node* child : target->getChildren())
            removeEventListenersForTarget(child, true);
    }
}

void EventDispatcher::removeCustomEventListeners(const std::string& customEventName)
{
    std::vector<EventListener*> all = _listeners;
    for (EventListener* l : all) {
        if (l->getType() == EventListener::Type::CUSTOM && l->getListenerID() == customEventName)
            forgetListener(l);
    }
}

void EventDispatcher::removeAllEventListeners()
{
    std::vector<EventListener*> all = _listeners;
    for (EventListener* l : all)
        forgetListener(l);
}

void EventDispatcher::pauseEventListenersForTarget(Node* target, bool recursive)
{
    auto it = _nodeListeners.find(target);
    if (it != _nodeListeners.end()) {
        for (EventListener* l : it->second)
            l->setPaused(true);
    }
    if (recursive && target) {
        for (Node* child : target->getChildren())
            pauseEventListenersForTarget(child, true);
    }
}

void EventDispatcher::resumeEventListenersForTarget(Node* target, bool recursive)
{
    auto it = _nodeListeners.find(target);
    if (it != _nodeListeners.end()) {
        for (EventListener* l : it->second)
            l->setPaused(false);
    }
    if (recursive && target) {
        for (Node* child : target->getChildren())
            resumeEventListenersForTarget(child, true);
    }
}

void EventDispatcher::setPriority(EventListener* listener, int fixedPriority)
{
    if (!listener || listener->getAssociatedNode() || fixedPriority == 0)
        return;
    listener->setFixedPriority(fixedPriority);
}

bool EventDispatcher::hasEventListener(const EventListener::ListenerID& listenerID) const
{
    for (EventListener* l : _listeners) {
        if (l->getListenerID() == listenerID)
            return true;
    }
    return false;
}

std::vector<EventListener*> EventDispatcher::orderedListeners(const EventListener::ListenerID& id,
                                                              size_t* sceneGraphBegin, size_t* sceneGraphEnd)
{
    std::vector<EventListener*> negative, positive, bound;
    for (EventListener* l : _listeners) {
        if (l->getListenerID() != id || !l->isEnabled() || l->isPaused() || !l->isRegistered())
            continue;
        if (l->getAssociatedNode())
            bound.push_back(l);
        else if (l->getFixedPriority() < 0)
            negative.push_back(l);
        else
            positive.push_back(l);
    }
    auto byPriority = [](const EventListener* a, const EventListener* b) {
        return a->getFixedPriority() < b->getFixedPriority();
    };
    std::stable_sort(negative.begin(), negative.end(), byPriority);
    std::stable_sort(positive.begin(), positive.end(), byPriority);

    if (!bound.empty()) {
        // Drawing order of the running scene: global z first, then tree order.
        std::map<const Node*, std::pair<float, size_t>> order;
        if (Scene* scene = Director::getInstance()->getRunningScene()) {
            size_t index = 0;
            scene->visitInDrawOrder([&](Node* node) { order[node] = {node->getGlobalZOrder(), index++}; });
        }
        auto rank = [&](const EventListener* l) {
            auto it = order.find(l->getAssociatedNode());
            // Nodes outside the running scene come last, in registration order.
            return it == order.end() ? std::make_pair(-1e30f, size_t(0)) : it->second;
        };
        std::stable_sort(bound.begin(), bound.end(),
                         [&](const EventListener* a, const EventListener* b) { return rank(a) > rank(b); });
    }

    std::vector<EventListener*> result;
    result.reserve(negative.size() + bound.size() + positive.size());
    result.insert(result.end(), negative.begin(), negative.end());
    *sceneGraphBegin = result.size();
    result.insert(result.end(), bound.begin(), bound.end());
    *sceneGraphEnd = result.size();
    result.insert(result.end(), positive.begin(), positive.end());
    for (EventListener* l : result)
        l->retain();
    return result;
}

void EventDispatcher::dispatchOrdered(const std::vector<EventListener*>& listeners, size_t sceneGraphBegin,
                                      size_t sceneGraphEnd, bool perCamera, Event* event,
                                      const std::function<bool(EventListener*)>& onEvent)
{
    auto call = [&](EventListener* l) {
        if (!l->isRegistered() || !l->isEnabled())
            return false;
        event->setCurrentTarget(l->getAssociatedNode());
        return onEvent(l) || event->isStopped();
    };

    for (size_t i = 0; i < sceneGraphBegin; ++i) {
        if (call(listeners[i]))
            return;
    }

    Scene* scene = Director::getInstance()->getRunningScene();
    if (perCamera && scene && sceneGraphBegin < sceneGraphEnd) {
        Camera* previous = Camera::_visitingCamera;
        std::vector<bool> done(sceneGraphEnd - sceneGraphBegin, false);
        const std::vector<Camera*> cameras = scene->getCameras();
        bool stopped = false;
        for (auto c = cameras.rbegin(); c != cameras.rend() && !stopped; ++c) {
            Camera* camera = *c;
            if (!camera->isVisible())
                continue;
            Camera::_visitingCamera = camera;
            const auto flag = static_cast<unsigned short>(camera->getCameraFlag());
            for (size_t i = sceneGraphBegin; i < sceneGraphEnd; ++i) {
                EventListener* l = listeners[i];
                if (done[i - sceneGraphBegin] || !l->getAssociatedNode() || !l->getAssociatedNode()->hasCameraFlag(flag))
                    continue;
                done[i - sceneGraphBegin] = true;
                if (call(l)) {
                    stopped = true;
                    break;
                }
            }
        }
        Camera::_visitingCamera = previous;
        if (stopped)
            return;
    } else {
        for (size_t i = sceneGraphBegin; i < sceneGraphEnd; ++i) {
            if (call(listeners[i]))
                return;
        }
    }

    for (size_t i = sceneGraphEnd; i < listeners.size(); ++i) {
        if (call(listeners[i]))
            return;
    }
}

void EventDispatcher::dispatchEvent(Event* event)
{
    if (!_isEnabled || !event)
        return;
    ++_inDispatch;
    event->retain();
    if (event->getType() == Event::Type::TOUCH) {
        dispatchTouchEvent(static_cast<EventTouch*>(event));
    } else {
        std::string id;
        switch (event->getType()) {
        case Event::Type::MOUSE: id = kMouseId; break;
        case Event::Type::KEYBOARD: id = kKeyboardId; break;
        case Event::Type::CUSTOM: id = static_cast<EventCustom*>(event)->getEventName(); break;
        default: break;
        }
        if (!id.empty()) {
            size_t begin = 0, end = 0;
            ListenerRefs refs{orderedListeners(id, &begin, &end)};
            const bool perCamera = event->getType() == Event::Type::MOUSE;
            dispatchOrdered(refs.list, begin, end, perCamera, event, [event](EventListener* l) {
                if (l->_onEvent)
                    l->_onEvent(event);
                return false;
            });
        }
    }
    event->setCurrentTarget(nullptr);
    event->release();
    if (--_inDispatch == 0) {
        std::vector<EventListener*> pending;
        pending.swap(_toRelease);
        for (EventListener* l : pending)
            l->release();
    }
}

void EventDispatcher::dispatchCustomEvent(const std::string& eventName, void* optionalUserData)
{
    EventCustom event(eventName);
    event.setUserData(optionalUserData);
    dispatchEvent(&event);
}

void EventDispatcher::dispatchTouchEvent(EventTouch* event)
{
    const std::vector<Touch*> original = event->getTouches();
    std::vector<Touch*> remaining = original;
    const EventTouch::EventCode code = event->getEventCode();

    size_t oneBegin = 0, oneEnd = 0;
    ListenerRefs oneByOne{orderedListeners(EventListenerTouchOneByOne::LISTENER_ID, &oneBegin, &oneEnd)};
    size_t allBegin = 0, allEnd = 0;
    ListenerRefs allAtOnce{orderedListeners(EventListenerTouchAllAtOnce::LISTENER_ID, &allBegin, &allEnd)};

    for (Touch* touch : original) {
        if (oneByOne.list.empty() || event->isStopped())
            break;
        bool swallowed = false;
        dispatchOrdered(oneByOne.list, oneBegin, oneEnd, true, event, [&](EventListener* base) {
            auto* l = static_cast<EventListenerTouchOneByOne*>(base);
            bool claimed = false;
            switch (code) {
            case EventTouch::EventCode::BEGAN:
                if (l->onTouchBegan && l->onTouchBegan(touch, event) && l->isRegistered()) {
                    l->claim(touch);
                    claimed = true;
                }
                break;
            case EventTouch::EventCode::MOVED:
                if (l->hasClaimed(touch)) {
                    claimed = true;
                    if (l->onTouchMoved)
                        l->onTouchMoved(touch, event);
                }
                break;
            case EventTouch::EventCode::ENDED:
            case EventTouch::EventCode::CANCELLED:
                if (l->hasClaimed(touch)) {
                    claimed = true;
                    touch->retain(); // the claim may hold the last reference
                    l->unclaim(touch);
                    auto& callback = code == EventTouch::EventCode::ENDED ? l->onTouchEnded : l->onTouchCancelled;
                    if (callback)
                        callback(touch, event);
                    touch->release();
                }
                break;
            }
            if (claimed && l->isSwallowTouches()) {
                swallowed = true;
                return true;
            }
            return false;
        });
        if (swallowed)
            remaining.erase(std::remove(remaining.begin(), remaining.end(), touch), remaining.end());
    }

    if (allAtOnce.list.empty() || remaining.empty() || event->isStopped())
        return;
    dispatchOrdered(allAtOnce.list, allBegin, allEnd, true, event, [&](EventListener* base) {
        auto* l = static_cast<EventListenerTouchAllAtOnce*>(base);
        switch (code) {
        case EventTouch::EventCode::BEGAN:
            if (l->onTouchesBegan)
                l->onTouchesBegan(remaining, event);
            break;
        case EventTouch::EventCode::MOVED:
            if (l->onTouchesMoved)
                l->onTouchesMoved(remaining, event);
            break;
        case EventTouch::EventCode::ENDED:
            if (l->onTouchesEnded)
                l->onTouchesEnded(remaining, event);
            break;
        case EventTouch::EventCode::CANCELLED:
            if (l->onTouchesCancelled)
                l->onTouchesCancelled(remaining, event);
            break;
        }
        return false;
    });
}

} // namespace cocos2d
