#pragma once
// The program's window over GLFW with a compatibility GL context; turns window events into
// the application's hooks (minimise, restore, close, dropped files).

#include <functional>

#include "platform/GLView.h"

namespace cocos2d {

class GLViewImpl : public GLView {
public:
    static GLViewImpl* create(const std::string& viewName);
    /// A window at rect (origin: top-left of the window on the desktop, in pixels).
    static GLViewImpl* createWithRect(const std::string& viewName, const Rect& rect, float frameZoomFactor = 1.0f,
                                      bool resizable = false);
    /// The part of the primary monitor not covered by panels (desktop pixels, top-left origin);
    /// empty when no display can be opened.
    static Rect getDesktopWorkArea();
    /// Dots per inch of the primary monitor (96 when it cannot be measured).
    static int getMonitorDPI();

    ~GLViewImpl() override;

    void end() override;
    bool isOpenGLReady() override;
    void swapBuffers() override;
    bool windowShouldClose() override;
    void pollEvents() override;
    bool waitEvents(double seconds) override;
    /// Ends a wait for events in the main thread; safe from any thread once a window exists.
    static void postEmptyEvent();
    void setIMEKeyboardState(bool open) override { (void)open; }
    float getFrameZoomFactor() const override { return _frameZoomFactor; }

    /// Input seen by the window: mouse buttons (0 left, 1 right, 2 middle), moves, wheel,
    /// keys and typed characters, in frame pixels with y down. Receivers are set by the layer
    /// that turns them into engine events.
    struct InputHandlers {
        std::function<void(int button, bool pressed, float x, float y)> mouseButton;
        std::function<void(float x, float y)> mouseMove;
        std::function<void(float dx, float dy, float x, float y)> scroll;
        std::function<void(int key, int scancode, int action, int mods)> key;
        std::function<void(unsigned int codepoint)> character;
    };
    InputHandlers& getInputHandlers() { return _input; }

    /// The GLFW window (as an opaque pointer) for code that needs it.
    void* getWindowHandle() const { return _window; }

protected:
    GLViewImpl() = default;
    bool initWithRect(const std::string& viewName, const Rect& rect, float frameZoomFactor, bool resizable);

    struct Callbacks;
    friend struct Callbacks;

    void* _window = nullptr;
    float _frameZoomFactor = 1.0f;
    float _mouseX = 0.0f;
    float _mouseY = 0.0f;
    InputHandlers _input;
};

} // namespace cocos2d
