#pragma once
// GL windows for drawing tests under Xvfb: one window made the director's view, and a fixture
// with one window of W x H for the whole suite (tests skip when there is no display) and a
// fresh running scene on a black clear colour per test.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "cocos2d.h"
#include "platform/GLViewImpl.h"

namespace qptest {

/// A window of w x h points, made the director's view and retained once for the caller (a
/// suite keeps it to the end); null when there is no display.
inline cocos2d::GLViewImpl* openGLWindow(const std::string& title, int w, int h) {
    cocos2d::GLViewImpl* view = cocos2d::GLViewImpl::createWithRect(title, cocos2d::Rect(0, 0, w, h));
    if (view) {
        view->retain();
        cocos2d::Director::getInstance()->setOpenGLView(view);
    }
    return view;
}

/// A window for one test that draws whole screens: a view of w x h points with a scene of that
/// size while it lives; at its end the director is reset and the window closed.
class ScreenWindow {
public:
    ScreenWindow(const std::string& title, int w, int h) : view(openGLWindow(title, w, h)) {
        if (view)
            cocos2d::Director::getInstance()->setWinSize(cocos2d::Size(w, h));
    }
    ~ScreenWindow() {
        if (!view)
            return;
        cocos2d::Director* director = cocos2d::Director::getInstance();
        director->reset();
        director->setOpenGLView(nullptr);
        view->release();
    }
    ScreenWindow(const ScreenWindow&) = delete;
    ScreenWindow& operator=(const ScreenWindow&) = delete;
    /// False when there is no display.
    explicit operator bool() const { return view != nullptr; }

private:
    cocos2d::GLViewImpl* const view;
};

template <int W, int H>
class GLWindowFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite() { view = openGLWindow("drawing test", W, H); }
    void SetUp() override {
        if (!view)
            GTEST_SKIP() << "no display for a GL window";
        scene = cocos2d::Scene::create();
        cocos2d::Director::getInstance()->setClearColor(cocos2d::Color4F(0, 0, 0, 1));
        cocos2d::Director::getInstance()->runWithScene(scene);
    }
    void frame() { cocos2d::Director::getInstance()->mainLoop(1.0f / 60); }
    void frames(int n = 2) {
        for (int i = 0; i < n; ++i)
            frame();
    }
    /// Draws frames until done() holds, for work that finishes on another thread (captures
    /// are written there).
    void framesUntil(const std::function<bool()>& done) {
        while (!done())
            frame();
    }

    static inline cocos2d::GLViewImpl* view = nullptr;
    cocos2d::Scene* scene = nullptr;
};

} // namespace qptest
