#pragma once
// Render windows drawn for real: a GL window of W x H points under Xvfb with a scene of its size,
// the notification centre ticking on the test clock, and the frame read back or saved as a PNG.

#include <algorithm>
#include <string>
#include <vector>

#include "WindowFixture.h"
#include "platform/GLViewImpl.h"
#include "platform/Image.h"

namespace displaytest {

template <int W, int H> class GLWindowFixture : public WindowFixture {
protected:
    static constexpr int kW = W;
    static constexpr int kH = H;

    static void SetUpTestSuite() {
        view = cocos2d::GLViewImpl::createWithRect("render windows", cocos2d::Rect(0, 0, W, H));
        if (view) {
            view->retain();
            cocos2d::Director::getInstance()->setOpenGLView(view);
        }
    }
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
    static std::vector<unsigned char> readAll() {
        std::vector<unsigned char> px(static_cast<size_t>(W) * H * 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, W, H, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
        return px;
    }
    /// Writes the frame as a PNG, top row first.
    static bool savePng(const std::vector<unsigned char>& px, const std::string& path) {
        std::vector<unsigned char> flipped(px.size());
        const size_t row = static_cast<size_t>(W) * 4;
        for (int y = 0; y < H; ++y)
            std::copy(px.begin() + long(y * row), px.begin() + long((y + 1) * row),
                      flipped.begin() + long((H - 1 - y) * row));
        cocos2d::Image image;
        return image.initWithRawData(flipped.data(), ssize_t(flipped.size()), W, H, 8) &&
               image.saveToFile(path, true);
    }

    static inline cocos2d::GLViewImpl* view = nullptr;
};

} // namespace displaytest
