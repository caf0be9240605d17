#include "base/InputInjector.h"

#include "base/Director.h"
#include "base/EventDispatcher.h"
#include "base/EventMouse.h"
#include "base/EventTouch.h"
#include "base/IMEDispatcher.h"
#include "base/Touch.h"
#include "base/ccLog.h"
#include "platform/GLViewImpl.h"

#include <GLFW/glfw3.h>

namespace cocos2d {

namespace {

using KeyCode = EventKeyboard::KeyCode;

KeyCode keyFromGLFW(int key)
{
    if (key >= GLFW_KEY_A && key <= GLFW_KEY_Z)
        return static_cast<KeyCode>(static_cast<int>(KeyCode::KEY_A) + (key - GLFW_KEY_A));
    if (key >= GLFW_KEY_0 && key <= GLFW_KEY_9)
        return static_cast<KeyCode>(static_cast<int>(KeyCode::KEY_0) + (key - GLFW_KEY_0));
    if (key >= GLFW_KEY_F1 && key <= GLFW_KEY_F12)
        return static_cast<KeyCode>(static_cast<int>(KeyCode::KEY_F1) + (key - GLFW_KEY_F1));
    switch (key) {
    case GLFW_KEY_SPACE: return KeyCode::KEY_SPACE;
    case GLFW_KEY_APOSTROPHE: return KeyCode::KEY_APOSTROPHE;
    case GLFW_KEY_COMMA: return KeyCode::KEY_COMMA;
    case GLFW_KEY_MINUS: return KeyCode::KEY_MINUS;
    case GLFW_KEY_PERIOD: return KeyCode::KEY_PERIOD;
    case GLFW_KEY_SLASH: return KeyCode::KEY_SLASH;
    case GLFW_KEY_SEMICOLON: return KeyCode::KEY_SEMICOLON;
    case GLFW_KEY_EQUAL: return KeyCode::KEY_EQUAL;
    case GLFW_KEY_LEFT_BRACKET: return KeyCode::KEY_LEFT_BRACKET;
    case GLFW_KEY_BACKSLASH: return KeyCode::KEY_BACK_SLASH;
    case GLFW_KEY_RIGHT_BRACKET: return KeyCode::KEY_RIGHT_BRACKET;
    case GLFW_KEY_GRAVE_ACCENT: return KeyCode::KEY_GRAVE;
    case GLFW_KEY_ESCAPE: return KeyCode::KEY_ESCAPE;
    case GLFW_KEY_ENTER: return KeyCode::KEY_ENTER;
    case GLFW_KEY_TAB: return KeyCode::KEY_TAB;
    case GLFW_KEY_BACKSPACE: return KeyCode::KEY_BACKSPACE;
    case GLFW_KEY_INSERT: return KeyCode::KEY_INSERT;
    case GLFW_KEY_DELETE: return KeyCode::KEY_DELETE;
    case GLFW_KEY_RIGHT: return KeyCode::KEY_RIGHT_ARROW;
    case GLFW_KEY_LEFT: return KeyCode::KEY_LEFT_ARROW;
    case GLFW_KEY_DOWN: return KeyCode::KEY_DOWN_ARROW;
    case GLFW_KEY_UP: return KeyCode::KEY_UP_ARROW;
    case GLFW_KEY_PAGE_UP: return KeyCode::KEY_PG_UP;
    case GLFW_KEY_PAGE_DOWN: return KeyCode::KEY_PG_DOWN;
    case GLFW_KEY_HOME: return KeyCode::KEY_HOME;
    case GLFW_KEY_END: return KeyCode::KEY_END;
    case GLFW_KEY_CAPS_LOCK: return KeyCode::KEY_CAPS_LOCK;
    case GLFW_KEY_SCROLL_LOCK: return KeyCode::KEY_SCROLL_LOCK;
    case GLFW_KEY_NUM_LOCK: return KeyCode::KEY_NUM_LOCK;
    case GLFW_KEY_PRINT_SCREEN: return KeyCode::KEY_PRINT;
    case GLFW_KEY_PAUSE: return KeyCode::KEY_PAUSE;
    case GLFW_KEY_KP_ENTER: return KeyCode::KEY_KP_ENTER;
    case GLFW_KEY_KP_ADD: return KeyCode::KEY_KP_PLUS;
    case GLFW_KEY_KP_SUBTRACT: return KeyCode::KEY_KP_MINUS;
    case GLFW_KEY_KP_MULTIPLY: return KeyCode::KEY_KP_MULTIPLY;
    case GLFW_KEY_KP_DIVIDE: return KeyCode::KEY_KP_DIVIDE;
    case GLFW_KEY_LEFT_SHIFT: return KeyCode::KEY_LEFT_SHIFT;
    case GLFW_KEY_RIGHT_SHIFT: return KeyCode::KEY_RIGHT_SHIFT;
    case GLFW_KEY_LEFT_CONTROL: return KeyCode::KEY_LEFT_CTRL;
    case GLFW_KEY_RIGHT_CONTROL: return KeyCode::KEY_RIGHT_CTRL;
    case GLFW_KEY_LEFT_ALT: return KeyCode::KEY_LEFT_ALT;
    case GLFW_KEY_RIGHT_ALT: return KeyCode::KEY_RIGHT_ALT;
    case GLFW_KEY_MENU: return KeyCode::KEY_MENU;
    default: return KeyCode::KEY_NONE;
    }
}

/// UTF-8 bytes of a code point; nothing for surrogates and values beyond Unicode.
std::string utf8Of(unsigned int c)
{
    std::string out;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        if (c >= 0xD800 && c <= 0xDFFF)
            return out;
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c <= 0x10FFFF) {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

// Input is answered on the next frame: whatever it changed, and the feedback it may give
// outside the engine's setters, is drawn.
void dispatchInput(Event* event)
{
    Director* director = Director::getInstance();
    director->markDirty();
    director->getEventDispatcher()->dispatchEvent(event);
}

IMEDispatcher* imeDispatcher()
{
    Director::getInstance()->markDirty();
    return IMEDispatcher::sharedDispatcher();
}

} // namespace

InputInjector* InputInjector::getInstance()
{
    static InputInjector instance;
    return &instance;
}

void InputInjector::attachView(GLViewImpl* view)
{
    if (!view)
        return;
    GLViewImpl::InputHandlers& in = view->getInputHandlers();
    in.mouseButton = [this, view](int button, bool pressed, float x, float y) {
        const Vec2 p = view->convertFramePointToDesign(x, y);
        if (pressed)
            mouseDown(p, button);
        else
            mouseUp(p, button);
    };
    in.mouseMove = [this, view](float x, float y) { mouseMove(view->convertFramePointToDesign(x, y)); };
    in.scroll = [this, view](float dx, float dy, float x, float y) {
        mouseScroll(view->convertFramePointToDesign(x, y), dx, dy);
    };
    in.key = [this](int key, int, int action, int) {
        const KeyCode code = keyFromGLFW(key);
        if (code == KeyCode::KEY_NONE)
            return;
        if (action == GLFW_PRESS)
            keyPressed(code);
        else if (action == GLFW_REPEAT)
            keyRepeated(code);
        else if (action == GLFW_RELEASE)
            keyReleased(code);
    };
    in.character = [this](unsigned int codepoint) { insertCharacter(codepoint); };
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
    switch (phase) {
    case Phase::BEGAN: event.setEventCode(EventTouch::EventCode::BEGAN); break;
    case Phase::MOVED: event.setEventCode(EventTouch::EventCode::MOVED); break;
    case Phase::ENDED: event.setEventCode(EventTouch::EventCode::ENDED); break;
    case Phase::CANCELLED: event.setEventCode(EventTouch::EventCode::CANCELLED); break;
    }
    event.setTouches(touches);
    dispatchInput(&event);
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
    event.setCursorPosition(point.x, point.y);
    event.setPreviousCursorPosition(_pointer.x, _pointer.y);
    event.setMouseButton(button);
    event.setScrollData(scrollX, scrollY);
    _pointer = point;
    dispatchInput(&event);
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

void InputInjector::editText(EventKeyboard::KeyCode key)
{
    if (key == EventKeyboard::KeyCode::KEY_BACKSPACE)
        imeDispatcher()->dispatchDeleteBackward();
    else if (key == EventKeyboard::KeyCode::KEY_ENTER || key == EventKeyboard::KeyCode::KEY_KP_ENTER)
        imeDispatcher()->dispatchInsertText("\n", 1);
}

void InputInjector::keyRepeated(EventKeyboard::KeyCode key) { editText(key); }

void InputInjector::keyPressed(EventKeyboard::KeyCode key)
{
    editText(key);
    EventKeyboard event(key, true);
    dispatchInput(&event);
}

void InputInjector::keyReleased(EventKeyboard::KeyCode key)
{
    EventKeyboard event(key, false);
    dispatchInput(&event);
}

void InputInjector::keyTyped(EventKeyboard::KeyCode key)
{
    keyPressed(key);
    keyReleased(key);
}

void InputInjector::insertText(const std::string& utf8)
{
    imeDispatcher()->dispatchInsertText(utf8.c_str(), utf8.size());
}

void InputInjector::insertCharacter(unsigned int codepoint)
{
    // Control characters come as keys (Backspace, Enter), not as text.
    if (codepoint < 0x20 || codepoint == 0x7F)
        return;
    insertText(utf8Of(codepoint));
}

void InputInjector::deleteBackward() { imeDispatcher()->dispatchDeleteBackward(); }

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
