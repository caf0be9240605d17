#pragma once
// A GL window under Xvfb with a scene whose camera (flag 2) shows world units 1:1 as pixels,
// for the display nodes that the screen's own camera never draws.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cocos2d.h"
#include "2d/Camera.h"
#include "display_slices.h"
#include "support/GLWindowFixture.h"
#include "support/PixelProbe.h"
#include "support/TestSupport.h"

namespace displaytest {

class RenderFixture : public qptest::GLWindowFixture<280, 140> {
protected:
    using Base = qptest::GLWindowFixture<280, 140>;
    static constexpr int kW = 280;
    static constexpr int kH = 140;

    static void SetUpTestSuite() {
        cocos2d::FileUtils::getInstance()->addSearchPath(qptest::sourceDir() + "/imageSDK");
        Base::SetUpTestSuite();
    }
    void SetUp() override {
        Base::SetUp();
        if (IsSkipped())
            return;
        auto* camera = cocos2d::Camera::createOrthographic(kW, kH, -1000, 1000);
        camera->setCameraFlag(2);
        scene->addChild(camera);
    }
    /// A node of the given kind showing the slice with its bottom-left corner at (x, y): the
    /// slice's origin is the centre of its first texel.
    template <typename Node> Node* show(TestSlice& slice, float x, float y, isImageSDK::isClut* clut) {
        slice.info.matrix.m[12] = x + 0.5f * slice.info.spacingX;
        slice.info.matrix.m[13] = y + 0.5f * slice.info.spacingY;
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
    static std::vector<unsigned char> readAll() { return qptest::readRegion(0, 0, kW, kH); }
    static const unsigned char* at(const std::vector<unsigned char>& px, int x, int y) {
        return &px[(size_t(y) * kW + size_t(x)) * 4];
    }
    /// Writes the pixels as a PNG, top row first.
    static bool savePng(const std::vector<unsigned char>& px, const std::string& path) {
        return qptest::saveRegionPng(px, kW, kH, path);
    }
};

} // namespace displaytest
