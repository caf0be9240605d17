#pragma once
// The one entry for raw input, used by the window's view and by tests: touches, mouse
// buttons, pointer moves, wheel turns, keys and typed text become engine events. The left
// mouse button is also touch 0, dispatched before the mouse event. Tests also drive frames
// here with a clock they advance themselves. Points are GL points (y up). Main thread only.

#include <map>
#include <string>
#include <vector>

#include "base/EventKeyboard.h"
#include "math/Vec2.h"

namespace cocos2d {

class GLViewImpl;
class Touch;

class InputInjector {
public:
    static InputInjector* getInstance();

    /// Takes the window's raw input (frame pixels, y down; GLFW keys and characters) from now on.
    void attachView(GLViewImpl* view);

    // --- frames (tests) ----------------------------------------------------------------------
    /// Makes the director read its time from a clock that only advance() moves.
    void useTestClock(double startSeconds = 0.0);
    double getTestClock() const { return _clock; }
    /// Runs whole frames of frameInterval seconds until `seconds` have passed (a shorter last frame
    /// takes the rest), moving the test clock along.
    void advance(float seconds, float frameInterval = 1.0f / 60.0f);
    /// One frame of dt seconds.
    void frame(float dt = 1.0f / 60.0f);

    // --- touches ---------------------------------------------------------------------------
    void touchesBegan(const std::vector<int>& ids, const std::vector<Vec2>& points);
    void touchesMoved(const std::vector<int>& ids, const std::vector<Vec2>& points);
    void touchesEnded(const std::vector<int>& ids, const std::vector<Vec2>& points);
    void touchesCancelled(const std::vector<int>& ids, const std::vector<Vec2>& points);
    void touchBegan(int id, const Vec2& point) { touchesBegan({id}, {point}); }
    void touchMoved(int id, const Vec2& point) { touchesMoved({id}, {point}); }
    void touchEnded(int id, const Vec2& point) { touchesEnded({id}, {point}); }
    /// Touches currently down.
    size_t getActiveTouchCount() const { return _touches.size(); }

    // --- mouse -----------------------------------------------------------------------------
    /// Buttons: 0 left, 1 right, 2 middle.
    void mouseDown(const Vec2& point, int button);
    void mouseUp(const Vec2& point, int button);
    void mouseMove(const Vec2& point);
    /// At the current pointer; a wheel turned towards the user gives a negative scrollY.
    void mouseScroll(float scrollX, float scrollY);
    void mouseScroll(const Vec2& point, float scrollX, float scrollY);
    const Vec2& getPointer() const { return _pointer; }

    // --- keys and text ---------------------------------------------------------------------
    /// Backspace also deletes backwards and Enter also types a line feed in the attached text field.
    void keyPressed(EventKeyboard::KeyCode key);
    void keyReleased(EventKeyboard::KeyCode key);
    /// Press and release.
    void keyTyped(EventKeyboard::KeyCode key);
    /// A held key repeating: only its text-editing effect (Backspace deletes again).
    void keyRepeated(EventKeyboard::KeyCode key);
    /// UTF-8 text for the attached text field.
    void insertText(const std::string& utf8);
    /// One typed character (a Unicode code point) for the attached text field.
    void insertCharacter(unsigned int codepoint);
    void deleteBackward();

    /// Cancels touches still down and forgets pointer and buttons (between tests).
    void reset();

private:
    InputInjector() = default;

    enum class Phase { BEGAN, MOVED, ENDED, CANCELLED };
    void handleTouches(Phase phase, const std::vector<int>& ids, const std::vector<Vec2>& points);
    void dispatchMouse(int type, const Vec2& point, int button, float scrollX, float scrollY);
    void editText(EventKeyboard::KeyCode key);

    std::map<int, Touch*> _touches; // each retained while down
    Vec2 _pointer;
    int _buttonsDown = 0; // bit per button
    double _clock = 0.0;
    bool _testClock = false;
};

} // namespace cocos2d
