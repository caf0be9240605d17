#pragma once
// The surface the director draws on: frame size, design resolution, viewport and scissor in
// points. Subclasses supply the window and the GL context.

#include <string>
#include <vector>

#include "base/Ref.h"
#include "math/CCMath.h"

namespace cocos2d {

enum class ResolutionPolicy {
    /// The whole design area is shown, stretched.
    EXACT_FIT,
    /// The design area fills the window, cut on one side.
    NO_BORDER,
    /// The whole design area is shown, with borders.
    SHOW_ALL,
    /// The design height fills the window; the width follows the window.
    FIXED_HEIGHT,
    /// The design width fills the window; the height follows the window.
    FIXED_WIDTH,
    UNKNOWN,
};

struct GLContextAttrs {
    int redBits;
    int greenBits;
    int blueBits;
    int alphaBits;
    int depthBits;
    int stencilBits;
    int multisamplingCount;
};

class GLView : public Ref {
public:
    /// The attributes the next context is created with (the program sets them at start).
    static void setGLContextAttrs(GLContextAttrs& glContextAttrs);
    static GLContextAttrs getGLContextAttrs();

    ~GLView() override;

    /// Closes the window (the application loop then ends).
    virtual void end() = 0;
    virtual bool isOpenGLReady() = 0;
    virtual void swapBuffers() = 0;
    virtual void setIMEKeyboardState(bool open) { (void)open; }
    virtual bool windowShouldClose() { return false; }
    virtual void pollEvents() {}
    /// Waits at most `seconds` for window events and dispatches them; false when the view
    /// has no events to wait for (the caller then waits by other means).
    virtual bool waitEvents(double seconds)
    {
        (void)seconds;
        return false;
    }

    /// The window's drawable size in pixels.
    virtual const Size& getFrameSize() const { return _screenSize; }
    virtual void setFrameSize(float width, float height);
    virtual float getFrameZoomFactor() const { return 1.0f; }

    virtual void setDesignResolutionSize(float width, float height, ResolutionPolicy resolutionPolicy);
    virtual const Size& getDesignResolutionSize() const { return _designResolutionSize; }
    ResolutionPolicy getResolutionPolicy() const { return _resolutionPolicy; }
    virtual Size getVisibleSize() const;
    virtual Vec2 getVisibleOrigin() const;
    virtual Rect getVisibleRect() const;
    float getScaleX() const { return _scaleX; }
    float getScaleY() const { return _scaleY; }
    const Rect& getViewPortRect() const { return _viewPortRect; }

    /// GL viewport and scissor from a rectangle in design points.
    virtual void setViewPortInPoints(float x, float y, float w, float h);
    virtual void setScissorInPoints(float x, float y, float w, float h);
    virtual bool isScissorEnabled();
    virtual Rect getScissorRect() const;

    const std::string& getViewName() const { return _viewName; }
    void setViewName(const std::string& viewName) { _viewName = viewName; }

    /// Touches in frame pixels (y down) turned into the engine's touch events.
    virtual void handleTouchesBegin(int num, intptr_t ids[], float xs[], float ys[]);
    virtual void handleTouchesMove(int num, intptr_t ids[], float xs[], float ys[]);
    virtual void handleTouchesEnd(int num, intptr_t ids[], float xs[], float ys[]);
    virtual void handleTouchesCancel(int num, intptr_t ids[], float xs[], float ys[]);

    /// Points of the design area for a frame pixel (y down in the frame, y up in points).
    Vec2 convertFramePointToDesign(float x, float y) const;

protected:
    GLView();
    void updateDesignResolutionSize();

    static GLContextAttrs s_glContextAttrs;

    Size _screenSize;
    Size _designResolutionSize;
    Rect _viewPortRect;
    std::string _viewName;
    float _scaleX = 1.0f;
    float _scaleY = 1.0f;
    ResolutionPolicy _resolutionPolicy = ResolutionPolicy::UNKNOWN;
};

} // namespace cocos2d
