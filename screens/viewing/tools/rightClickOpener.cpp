#include "tools/rightClickOpener.h"

#include "base/EventDispatcher.h"
#include "base/EventListenerMouse.h"
#include "base/EventMouse.h"

using namespace cocos2d;

namespace {
// Further than this from the press, the right button drags (zooms) rather than clicks.
const float kClickSlop = 4.0f;
} // namespace

rightClickOpener* rightClickOpener::create(const Rect& area, const Callback& callback)
{
    auto* opener = new (std::nothrow) rightClickOpener();
    if (!opener || !opener->init()) {
        delete opener;
        return nullptr;
    }
    opener->autorelease();
    opener->setName(kName);
    opener->area = area;
    opener->callback = callback;
    return opener;
}

void rightClickOpener::onEnter()
{
    Node::onEnter();
    if (listener)
        return;
    listener = EventListenerMouse::create();
    listener->onMouseDown = [this](EventMouse* e) { onDown(e); };
    listener->onMouseMove = [this](EventMouse* e) { onMove(e); };
    listener->onMouseUp = [this](EventMouse* e) { onUp(e); };
    // Ahead of the views, which take the mouse events for themselves; this one only watches.
    Director::getInstance()->getEventDispatcher()->addEventListenerWithFixedPriority(listener, -1);
}

void rightClickOpener::onExit()
{
    if (listener)
        Director::getInstance()->getEventDispatcher()->removeEventListener(listener);
    listener = nullptr;
    armed = false;
    Node::onExit();
}

bool rightClickOpener::shown() const
{
    for (const Node* node = this; node; node = node->getParent())
        if (!node->isVisible())
            return false;
    return isRunning();
}

void rightClickOpener::onDown(EventMouse* event)
{
    armed = event->getMouseButton() == EventMouse::BUTTON_RIGHT && shown() && area.containsPoint(event->getLocation());
    downAt = event->getLocation();
}

void rightClickOpener::onMove(EventMouse* event)
{
    if (armed && event->getLocation().distance(downAt) > kClickSlop)
        armed = false;
}

void rightClickOpener::onUp(EventMouse* event)
{
    const bool click = armed && event->getMouseButton() == EventMouse::BUTTON_RIGHT &&
                       event->getLocation().distance(downAt) <= kClickSlop;
    armed = false;
    if (click && callback)
        callback(event->getLocation());
}
