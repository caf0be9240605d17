#include "base/InputInjector.h"

#include "base/Director.h"
#include "base/EventDispatcher.h"
#include "base/EventMouse.h"
#include "base/EventTouch.h"
#include "base/IMEDispatcher.h"
#include "base/Touch.h"
#include "base/ccLog.h"

namespace cocos2d {

InputInjector* InputInjector::getInstance()
{
    static InputInjector instance;
    return &instance;
}

void InputInjector::useTestClock(double startSeconds)
{
    _clock = startSeconds;
    _testClock = true;
    Director::getInstance()->setClock([this] { return _clock; });
}

void InputInjector::frame(float dt)
{
    if (dt < 0.0f)
        dt = 0.0f;
    _clock += dt;
    Director::getInstance()->mainLoop(dt);
}

void InputInjector::advance(float seconds, float frameInterval)
{
    if (frameInterval <= 0.0f)
        frameInterval = 1.0f / 60.0f;
    // Counted in whole frames so rounding cannot add or drop a frame.
    double left = seconds;
    while (left > 1e-7) {
        const float dt = left >= frameInterval - 1e-7 ? frameInterval : static_cast<float>(left);
        frame(dt);
        left -= dt;
    }
}

void InputInjector::handleTouches(Phase phase, const std::vector<int>& ids, const std::vector<Vec2>& points)
{
    if (ids.size() != points.size()) {
        log("InputInjector: %zu touch ids but %zu points", ids.size(), points.size());
        return;
    }
    std::vector<Touch*> touches;
    for (size_t i = 0; i < ids.size(); ++i) {
        auto it = _touches.find(ids[i]);
        if (phase == Phase::BEGAN) {
            if (it != _touches.end() || _touches.size() >= static_cast<size_t>(EventTouch::MAX_TOUCHES))
                continue; // already down, or too many fingers
            auto* touch = new Touch();
            touch->setTouchInfoInGL(ids[i], points[i]);
            _touches[ids[i]] = touch;
            touches.push_back(touch);
        } else if (it != _touches.end()) {
            it->second->setTouchInfoInGL(ids[i], points[i]);
            touches.push_back(it->second);
        }
    }
    if (touches.empty())
        return;

    for (Touch* t : touches)
        t->retain(); // alive through the dispatch even when it ends here
    if (phase == Phase::ENDED || phase == Phase::CANCELLED) {
        for (Touch* t : touches) {
            _touches.erase(t->getID());
            t->release();
        }
    }
    EventTouch event;
    event.retain(); // lives on the stack; the dispatcher's references must never free it
    switch (phase) {
    case Phase::BEGAN: event.setEventCode(EventTouch::EventCode::BEGAN); break;
    case Phase::MOVED: event.setEventCode(EventTouch::EventCode::MOVED); break;
    case Phase::ENDED: event.setEventCode(EventTouch::EventCode::ENDED); break;
    case Phase::CANCELLED: event.setEventCode(EventTouch::EventCode::CANCELLED); break;
    }
    event.setTouches(touches);
    Director::getInstance()->getEventDispatcher()->dispatchEvent(&event);
    for (Touch* t : touches)
        t->release();
}

void InputInjector::touchesBegan(const std::vector<int>& ids, const std::vector<Vec2>& points)
{
    handleTouches(Phase::BEGAN, ids, points);
}

void InputInjector::touchesMoved(const std::vector<int>& ids, const std::vector<Vec2>& points)
{
    handleTouches(Phase::MOVED, ids, points);
}

void InputInjector::touchesEnded(const std::vector<int>& ids, const std::vector<Vec2>& points)
{
    handleTouches(Phase::ENDED, ids, points);
}

void InputInjector::touchesCancelled(const std::vector<int>& ids, const std::vector<Vec2>& points)
{
    handleTouches(Phase::CANCELLED, ids, points);
}

void InputInjector::dispatchMouse(int type, const Vec2& point, int button, float scrollX, float scrollY)
{
    EventMouse event(static_cast<EventMouse::MouseEventType>(type));
    event.retain();
    event.setCursorPosition(point.x, point.y);
    event.setPreviousCursorPosition(_pointer.x, _pointer.y);
    event.setMouseButton(button);
    event.setScrollData(scrollX, scrollY);
    _pointer = point;
    Director::getInstance()->getEventDispatcher()->dispatchEvent(&event);
}

void InputInjector::mouseDown(const Vec2& point, int button)
{
    if (button < 0 || button > 7)
        return;
    if (button == 0 && !(_buttonsDown & 1))
        touchBegan(0, point);
    _buttonsDown |= 1 << button;
    dispatchMouse(static_cast<int>(EventMouse::MouseEventType::MOUSE_DOWN), point, button, 0.0f, 0.0f);
}

void InputInjector::mouseUp(const Vec2& point, int button)
{
    if (button < 0 || button > 7)
        return;
    if (button == 0 && (_buttonsDown & 1))
        touchEnded(0, point);
    _buttonsDown &= ~(1 << button);
    dispatchMouse(static_cast<int>(EventMouse::MouseEventType::MOUSE_UP), point, button, 0.0f, 0.0f);
}

void InputInjector::mouseMove(const Vec2& point)
{
    if (_buttonsDown & 1)
        touchMoved(0, point);
    int button = EventMouse::BUTTON_UNSET;
    for (int b = 0; b < 8; ++b) {
        if (_buttonsDown & (1 << b)) {
            button = b;
            break;
        }
    }
    dispatchMouse(static_cast<int>(EventMouse::MouseEventType::MOUSE_MOVE), point, button, 0.0f, 0.0f);
}

void InputInjector::mouseScroll(float scrollX, float scrollY) { mouseScroll(_pointer, scrollX, scrollY); }

void InputInjector::mouseScroll(const Vec2& point, float scrollX, float scrollY)
{
    dispatchMouse(static_cast<int>(EventMouse::MouseEventType::MOUSE_SCROLL), point, EventMouse::BUTTON_UNSET,
                  scrollX, scrollY);
}

void InputInjector::keyPressed(EventKeyboard::KeyCode key)
{
    if (key == EventKeyboard::KeyCode::KEY_BACKSPACE)
        IMEDispatcher::sharedDispatcher()->dispatchDeleteBackward();
    else if (key == EventKeyboard::KeyCode::KEY_ENTER || key == EventKeyboard::KeyCode::KEY_KP_ENTER)
        IMEDispatcher::sharedDispatcher()->dispatchInsertText("\n", 1);
    EventKeyboard event(key, true);
    event.retain();
    Director::getInstance()->getEventDispatcher()->dispatchEvent(&event);
}

void InputInjector::keyReleased(EventKeyboard::KeyCode key)
{
    EventKeyboard event(key, false);
    event.retain();
    Director::getInstance()->getEventDispatcher()->dispatchEvent(&event);
}

void InputInjector::keyTyped(EventKeyboard::KeyCode key)
{
    keyPressed(key);
    keyReleased(key);
}

void InputInjector::insertText(const std::string& utf8)
{
    IMEDispatcher::sharedDispatcher()->dispatchInsertText(utf8.c_str(), utf8.size());
}

void InputInjector::deleteBackward() { IMEDispatcher::sharedDispatcher()->dispatchDeleteBackward(); }

void InputInjector::reset()
{
    std::vector<int> ids;
    std::vector<Vec2> points;
    for (const auto& entry : _touches) {
        ids.push_back(entry.first);
        points.push_back(entry.second->getLocation());
    }
    if (!ids.empty())
        touchesCancelled(ids, points);
    _buttonsDown = 0;
    _pointer = Vec2::ZERO;
}

} // namespace cocos2d
