#pragma once
// Render windows drawn for real: a GL window of W x H points under Xvfb with a scene of its size,
// the notification centre ticking on the test clock, and the frame read back or saved as a PNG.

#include <string>
#include <vector>

#include "WindowFixture.h"
#include "support/GLWindowFixture.h"
#include "support/PixelProbe.h"

namespace displaytest {

template <int W, int H> class GLWindowFixture : public WindowFixture {
protected:
    static constexpr int kW = W;
    static constexpr int kH = H;

    static void SetUpTestSuite() { view = qptest::openGLWindow("render windows", W, H); }
    void SetUp() override {
        if (!view)
            GTEST_SKIP() << "no display for a GL window";
        WindowFixture::SetUp();
        // The screen's camera is made with the scene: a scene of the view's size.
        director->setWinSize(cocos2d::Size(W, H));
        scene = cocos2d::Scene::create();
        director->replaceScene(scene);
        input->frame();
        director->setClearColor(cocos2d::Color4F(18 / 255.f, 19 / 255.f, 21 / 255.f, 1));
        input->attachView(view);
    }
    void TearDown() override {
        if (view)
            WindowFixture::TearDown();
    }
    /// The whole frame as RGBA rows from the bottom.
    static std::vector<unsigned char> readAll() { return qptest::readRegion(0, 0, W, H); }
    /// Writes the frame as a PNG, top row first.
    static bool savePng(const std::vector<unsigned char>& px, const std::string& path) {
        return qptest::saveRegionPng(px, W, H, path);
    }

    static inline cocos2d::GLViewImpl* view = nullptr;
};

} // namespace displaytest
