// The image node asks for frames when its picture changes (window, cine, pipeline) and for
// none while it shows the same picture; counted headless through the renderer.

#include <gtest/gtest.h>

#include "2d/Camera.h"
#include "2d/Scene.h"
#include "base/Director.h"
#include "display_slices.h"
#include "framework/notify/NSNotificationCenter.h"
#include "imaging/core/data/isImageData.h"
#include "imaging/display/isNodeImage.h"
#include "renderer/Renderer.h"

using namespace isImageSDK;
using displaytest::CopyFilter;
using displaytest::makeClut;
using displaytest::TestSlice;

namespace {

class ImageRedraw : public ::testing::Test {
protected:
    void SetUp() override {
        director = cocos2d::Director::getInstance();
        director->reset();
        director->setWinSize(cocos2d::Size(200, 100));
        scene = cocos2d::Scene::create();
        director->runWithScene(scene);
        // Image nodes are drawn (and read their pipeline) only for a render window's camera.
        auto* camera = cocos2d::Camera::createOrthographic(200, 100, -1000, 1000);
        camera->setCameraFlag(2);
        scene->addChild(camera);
        clut = makeClut(kPixelU8, 255, 128);
        node = isNodeImage::create();
        node->setCameraMask(2);
        node->setClut(clut);
        scene->addChild(node);
    }
    void TearDown() override {
        scene->removeAllChildren();
        director->reset();
        NSUI::NSNotificationCenter::destroyInstance();
        clut->release();
    }
    /// Frames drawn while running n frames.
    int draws(int n = 1) {
        const auto before = director->getRenderer()->getDrawnFrames();
        for (int i = 0; i < n; ++i)
            director->mainLoop(1.0f / 60.0f);
        return int(director->getRenderer()->getDrawnFrames() - before);
    }
    cocos2d::Director* director = nullptr;
    cocos2d::Scene* scene = nullptr;
    isClut* clut = nullptr;
    isNodeImage* node = nullptr;
};

TestSlice movie() {
    std::vector<uint8_t> samples;
    for (int f = 0; f < 3; ++f)
        for (int i = 0; i < 6; ++i)
            samples.push_back(uint8_t(f * 40 + i));
    return TestSlice(kPixelU8, 3, 2, samples, 3);
}

} // namespace

TEST_F(ImageRedraw, WindowChangesAndCineFramesDrawAndAStillPictureDoesNot) {
    TestSlice slice = movie();
    node->setSlice(&slice.info);
    draws(3);
    EXPECT_EQ(0, draws(5));

    node->onWindowChanged();
    EXPECT_EQ(1, draws());
    EXPECT_EQ(0, draws(3));

    node->onCineCommand(nullptr, 9049, nullptr); // the next frame, while paused
    EXPECT_EQ(1, draws());
    EXPECT_EQ(1, node->getFrameIndex());
    EXPECT_EQ(0, draws(3));

    // Playing, every turn of the frame is drawn; paused, nothing is.
    node->onCineCommand(nullptr, 9046, nullptr);
    const int first = node->getFrameIndex();
    int drawn = 0;
    while (node->getFrameIndex() == first)
        drawn += draws();
    EXPECT_EQ(1, drawn) << "the frames while the picture stays draw nothing";
    node->onCineCommand(nullptr, 9046, nullptr);
    draws(2);
    EXPECT_EQ(0, draws(5));
}

TEST_F(ImageRedraw, PipelineChangesDrawUntilReadAndAHiddenNodeStopsAsking) {
    auto* input = isImageData::create();
    input->retain();
    const int dims[2] = {3, 2};
    const float spacing[2] = {1.0f, 1.0f};
    isSliceInfo* s = input->addSlice(dims, 1, spacing, kPixelU8, 0, 0, cocos2d::Mat4::IDENTITY);
    ASSERT_NE(nullptr, s);
    s->loaded = 1;
    auto* filter = new CopyFilter();
    ASSERT_TRUE(filter->init());
    filter->setInputImage(input);
    node->setFilter(filter);
    draws(3);
    ASSERT_NE(nullptr, node->getSlice());
    EXPECT_EQ(0, draws(3));

    // A change upstream is read by the next visit, and then nothing more is drawn.
    input->setModified();
    EXPECT_EQ(1, draws());
    EXPECT_EQ(0, draws(3));
    node->setForceUpdate(true);
    EXPECT_EQ(1, draws());
    EXPECT_EQ(0, draws(3));

    // Hidden, the node leaves the change for later instead of asking for frames.
    node->setVisible(false);
    draws();
    input->setModified();
    EXPECT_EQ(0, draws(3));
    node->setVisible(true);
    EXPECT_EQ(1, draws());
    EXPECT_EQ(0, draws(3));

    node->setFilter(nullptr);
    filter->release();
    input->release();
}
