#pragma once
// A view without a window or GL: gives headless runs a frame size and design resolution.

#include "platform/GLView.h"

namespace cocos2d {

class NullGLView : public GLView {
public:
    static NullGLView* createWithFrameSize(const std::string& viewName, const Size& frameSize);

    void end() override { _shouldClose = true; }
    bool isOpenGLReady() override { return false; }
    void swapBuffers() override {}
    bool windowShouldClose() override { return _shouldClose; }

protected:
    NullGLView() = default;
    bool _shouldClose = false;
};

} // namespace cocos2d
