#pragma once
// A GL window under Xvfb with a scene whose camera (flag 2) shows world units 1:1 as pixels,
// for the display nodes that the screen's own camera never draws.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cocos2d.h"
#include "2d/Camera.h"
#include "display_slices.h"
#include "support/TestSupport.h"

namespace displaytest {

class RenderFixture : public ::testing::Test {
protected:
    static constexpr int kW = 280;
    static constexpr int kH = 140;

    static void SetUpTestSuite() {
        cocos2d::FileUtils::getInstance()->addSearchPath(qptest::sourceDir() + "/imageSDK");
        view = cocos2d::GLViewImpl::createWithRect("display test", cocos2d::Rect(0, 0, kW, kH));
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
        auto* camera = cocos2d::Camera::createOrthographic(kW, kH, -1000, 1000);
        camera->setCameraFlag(2);
        scene->addChild(camera);
    }
    void frames(int n = 2) {
        for (int i = 0; i < n; ++i)
            cocos2d::Director::getInstance()->mainLoop(1.0f / 60);
    }
    /// A node of the given kind showing the slice with its bottom-left corner at (x, y).
    template <typename Node> Node* show(TestSlice& slice, float x, float y, isImageSDK::isClut* clut) {
        slice.info.matrix.m[12] = x;
        slice.info.matrix.m[13] = y;
        Node* node = Node::create();
        if (!node)
            return nullptr;
        node->setCameraMask(2);
        node->setClut(clut);
        node->setSlice(&slice.info);
        scene->addChild(node);
        return node;
    }
    /// The whole window as RGBA rows from the bottom.
    static std::vector<unsigned char> readAll() {
        std::vector<unsigned char> px(size_t(kW) * kH * 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, kW, kH, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
        return px;
    }
    static const unsigned char* at(const std::vector<unsigned char>& px, int x, int y) {
        return &px[(size_t(y) * kW + size_t(x)) * 4];
    }
    /// Writes the pixels as a PNG, top row first.
    static bool savePng(const std::vector<unsigned char>& px, const std::string& path) {
        std::vector<unsigned char> flipped(px.size());
        const size_t row = size_t(kW) * 4;
        for (int y = 0; y < kH; ++y) {
            std::copy(px.begin() + long(y * row), px.begin() + long((y + 1) * row),
                      flipped.begin() + long((kH - 1 - y) * row));
        }
        cocos2d::Image image;
        return image.initWithRawData(flipped.data(), ssize_t(flipped.size()), kW, kH, 8) &&
               image.saveToFile(path, true);
    }

    static cocos2d::GLViewImpl* view;
    cocos2d::Scene* scene = nullptr;
};

inline cocos2d::GLViewImpl* RenderFixture::view = nullptr;

} // namespace displaytest
