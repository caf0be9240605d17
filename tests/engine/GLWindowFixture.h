#pragma once
// A test fixture for drawing tests: one GL window of W x H for the whole suite (tests skip
// when there is no display) and a fresh running scene on a black clear colour per test.

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

#include "cocos2d.h"

namespace qptest {

template <int W, int H>
class GLWindowFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        view = cocos2d::GLViewImpl::createWithRect("drawing test", cocos2d::Rect(0, 0, W, H));
        if (view) {
            view->retain();
            cocos2d::Director::getInstance()->setOpenGLView(view);
        }
    }
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

    // Draws frames until done() holds, for work that finishes on another thread (captures
    // are written there); waits in real time, so a busy machine does not fail the test.
    bool framesUntil(const std::function<bool()>& done, double seconds = 10.0) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (!done()) {
            if (std::chrono::steady_clock::now() > end)
                return false;
            frame();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return true;
    }

    static cocos2d::GLViewImpl* view;
    cocos2d::Scene* scene = nullptr;
};

template <int W, int H>
cocos2d::GLViewImpl* GLWindowFixture<W, H>::view = nullptr;

} // namespace qptest
