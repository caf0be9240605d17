// The sprite node's placement and the image node's slices, pipeline updates and cine playback,
// driven headless by the director's frames and the notification centre.

#include <gtest/gtest.h>

#include <vector>

#include "2d/Camera.h"
#include "2d/Scene.h"
#include "base/Director.h"
#include "display_slices.h"
#include "framework/notify/NSNotificationCenter.h"
#include "framework/notify/NSNotificationData.h"
#include "imaging/core/data/isImageData.h"
#include "imaging/core/object/isImageFilter.h"
#include "imaging/display/isNodeImage.h"
#include "platform/Image.h"
#include "support/TestSupport.h"

using namespace isImageSDK;
using cocos2d::Mat4;
using cocos2d::Vec3;
using displaytest::CopyFilter;
using displaytest::makeClut;
using displaytest::TestSlice;
using NSUI::NSNotificationCenter;

namespace {

class Viewer : public cocos2d::Ref {};

class ImageNodeTest : public ::testing::Test {
protected:
    void SetUp() override {
        director = cocos2d::Director::getInstance();
        director->reset();
        director->setWinSize(cocos2d::Size(320, 240));
        scene = cocos2d::Scene::create();
        director->runWithScene(scene);
        // Display nodes are drawn only by a render window's camera.
        auto* camera = cocos2d::Camera::createOrthographic(320, 240, -1000, 1000);
        camera->setCameraFlag(2);
        scene->addChild(camera);
        centre = NSNotificationCenter::getInstance();
        director->mainLoop(0.6f); // the centre's first tick
        viewer = new Viewer();
        for (unsigned id = 9047; id <= 9052; ++id) {
            centre->addObserver(
                this, viewer,
                [this](cocos2d::Ref*, unsigned got, NSUI::NSNotificationData* data) {
                    posts.push_back({got, data ? data->intValue : -1});
                },
                id);
        }
        node = isNodeImage::create();
        node->setCameraMask(2);
        node->bindViewer(viewer);
        scene->addChild(node);
    }
    void TearDown() override {
        centre->removeObserver(this);
        scene->removeAllChildren();
        director->reset();
        NSNotificationCenter::destroyInstance();
        viewer->release();
    }
    void frames(int n = 1, float dt = 1.0f / 60.0f) {
        for (int i = 0; i < n; ++i)
            director->mainLoop(dt);
    }
    void command(unsigned id) {
        centre->postNotification(nullptr, id, nullptr, viewer, true);
        frames();
    }

    struct Post {
        unsigned id;
        int value;
        bool operator==(const Post& o) const { return id == o.id && value == o.value; }
    };
    cocos2d::Director* director = nullptr;
    cocos2d::Scene* scene = nullptr;
    NSNotificationCenter* centre = nullptr;
    Viewer* viewer = nullptr;
    isNodeImage* node = nullptr;
    std::vector<Post> posts;
};

TestSlice frames8(int count) {
    std::vector<uint8_t> samples;
    for (int f = 0; f < count; ++f) {
        for (int i = 0; i < 6; ++i)
            samples.push_back(uint8_t(f * 10 + i));
    }
    return TestSlice(kPixelU8, 3, 2, samples, count);
}

} // namespace

TEST_F(ImageNodeTest, SpritePlacesTexelsAlongTheSliceAxes) {
    auto* sprite = isNodeSprite::create();
    ASSERT_NE(nullptr, sprite);
    EXPECT_FALSE(sprite->hasCameraFlag(1)) << "the screen's camera must not draw image planes";
    EXPECT_TRUE(sprite->is3D());

    // Rows along +y, columns along -z, first pixel at (10, 20, 30), spacing 0.5 x 2.
    Mat4 m;
    m.m[0] = 0, m.m[1] = 1, m.m[2] = 0;
    m.m[4] = 0, m.m[5] = 0, m.m[6] = -1;
    m.m[8] = -1, m.m[9] = 0, m.m[10] = 0;
    m.m[12] = 10, m.m[13] = 20, m.m[14] = 30;
    sprite->setNodeMatrix(m);
    sprite->setScaleX(0.5f);
    sprite->setScaleY(2.0f);
    sprite->setAnchorPoint(cocos2d::Vec2(0.5f, 0.5f)); // plays no part
    sprite->setContentSize(cocos2d::Size(40, 40));
    Vec3 p(4, 3, 0);
    sprite->getNodeToParentTransform().transformPoint(&p);
    EXPECT_NEAR(10, p.x, 1e-4);
    EXPECT_NEAR(20 + 4 * 0.5f, p.y, 1e-4);
    EXPECT_NEAR(30 - 3 * 2.0f, p.z, 1e-4);

    // A picture by file name goes back to the identity placement.
    qptest::TempDir dir;
    std::vector<unsigned char> rgba(4 * 4 * 4, 200);
    cocos2d::Image picture;
    ASSERT_TRUE(picture.initWithRawData(rgba.data(), ssize_t(rgba.size()), 4, 4, 8));
    const std::string file = dir.path() + "/plane.png";
    ASSERT_TRUE(picture.saveToFile(file, false));
    sprite->setTexture(file);
    p = Vec3(4, 3, 0);
    sprite->getNodeToParentTransform().transformPoint(&p);
    EXPECT_NEAR(4 * 0.5f, p.x, 1e-4);
    EXPECT_NEAR(3 * 2.0f, p.y, 1e-4);
    EXPECT_NEAR(0, p.z, 1e-4);
}

TEST_F(ImageNodeTest, SlicesPlaceOrHideTheImageAndAnnounceFrames) {
    isClut* clut = makeClut(kPixelU8, 255, 128);
    node->setClut(clut);
    EXPECT_EQ(0, clut->autoRebuild);

    TestSlice pending = frames8(1);
    pending.info.loaded = 0;
    node->setSlice(&pending.info);
    EXPECT_FLOAT_EQ(isNodeImage::kHiddenScale, node->getScaleX());
    EXPECT_FLOAT_EQ(isNodeImage::kHiddenScale, node->getScaleY());
    frames();
    EXPECT_EQ((std::vector<Post>{{9050, 0}, {9051, 0}, {9052, 0}}), posts);

    posts.clear();
    TestSlice movie = frames8(3);
    movie.info.spacingX = 0.7f;
    movie.info.spacingY = 1.3f;
    movie.info.matrix.m[12] = 5;
    node->setSlice(&movie.info);
    EXPECT_FLOAT_EQ(0.7f, node->getScaleX());
    EXPECT_FLOAT_EQ(1.3f, node->getScaleY());
    EXPECT_FLOAT_EQ(5.0f - 0.35f, node->getPositionX()) << "the first texel's centre on the origin";
    EXPECT_FLOAT_EQ(-0.65f, node->getPositionY());
    ASSERT_NE(nullptr, node->getTexture());
    EXPECT_EQ(3, node->getTexture()->getPixelsWide());
    EXPECT_EQ(2, node->getTexture()->getPixelsHigh());
    EXPECT_TRUE(node->isFlippedY());
    frames();
    EXPECT_EQ((std::vector<Post>{{9050, 1}, {9051, 1}, {9052, 1}}), posts);

    // A window change rebuilds the texture at the next visit only.
    cocos2d::Texture2D* before = node->getTexture();
    node->onWindowChanged();
    EXPECT_TRUE(node->isTextureDirty());
    EXPECT_EQ(before, node->getTexture());
    frames();
    EXPECT_FALSE(node->isTextureDirty());
    EXPECT_NE(before, node->getTexture());
    clut->release();
}

TEST_F(ImageNodeTest, PipelineOutputReachesTheNode) {
    isClut* clut = makeClut(kPixelU8, 255, 128);
    node->setClut(clut);
    auto* input = isImageData::create();
    input->retain();
    const int dims[2] = {3, 2};
    const float spacing[2] = {2.0f, 2.0f};
    isSliceInfo* s = input->addSlice(dims, 1, spacing, kPixelU8, 0, 0, Mat4::IDENTITY);
    ASSERT_NE(nullptr, s);
    for (int i = 0; i < 6; ++i)
        s->pixels[i] = uint8_t(i);
    s->loaded = 1;
    auto* filter = new CopyFilter();
    ASSERT_TRUE(filter->init());
    filter->setInputImage(input);
    filter->setModified();
    node->setFilter(filter);
    frames();
    ASSERT_NE(nullptr, node->getSlice());
    EXPECT_NE(s, node->getSlice()) << "the node shows the filter's output";
    EXPECT_FLOAT_EQ(2.0f, node->getScaleX());

    // Without changes upstream the pipeline is not re-read; a forced update is.
    isSliceInfo* shown = node->getSlice();
    frames();
    EXPECT_EQ(shown, node->getSlice());
    node->setForceUpdate(true);
    frames();
    EXPECT_NE(nullptr, node->getSlice());
    node->setFilter(nullptr);
    filter->release();
    input->release();
    clut->release();
}

TEST_F(ImageNodeTest, CineStepsWrapBothWaysWhilePaused) {
    isClut* clut = makeClut(kPixelU8, 255, 128);
    node->setClut(clut);
    TestSlice movie = frames8(3);
    node->setSlice(&movie.info);
    command(9048);
    EXPECT_EQ(2, node->getFrameIndex());
    command(9048);
    EXPECT_EQ(1, node->getFrameIndex());
    command(9049);
    command(9049);
    EXPECT_EQ(0, node->getFrameIndex());
    // Another slice always starts at frame 0.
    command(9049);
    node->setSlice(&movie.info);
    EXPECT_EQ(0, node->getFrameIndex());

    // Without a slice the steps do nothing.
    auto* bare = isNodeImage::create();
    bare->setClut(clut);
    bare->onCineCommand(nullptr, 9049, nullptr);
    bare->onCineCommand(nullptr, 9048, nullptr);
    EXPECT_EQ(0, bare->getFrameIndex());
    clut->release();
}

TEST_F(ImageNodeTest, CinePlaysWithClampedSpeed) {
    isClut* clut = makeClut(kPixelU8, 255, 128);
    node->setClut(clut);

    // A single frame never plays, but still answers with 9047 = 0.
    TestSlice still = frames8(1);
    node->setSlice(&still.info);
    frames();
    posts.clear();
    command(9046);
    frames();
    EXPECT_FALSE(node->isPlaying());
    EXPECT_EQ((std::vector<Post>{{9047, 0}}), posts);

    TestSlice movie = frames8(4);
    node->setSlice(&movie.info);
    frames();
    posts.clear();
    command(9046);
    frames();
    EXPECT_TRUE(node->isPlaying());
    EXPECT_EQ((std::vector<Post>{{9047, 1}}), posts);
    for (int expected : {40, 20, 5, 5}) {
        command(9049);
        EXPECT_EQ(expected, node->getTicksPerFrame());
    }
    // At 5 ticks of 5 ms per frame, frames turn over within a few 60 Hz frames and wrap.
    std::vector<int> seen;
    for (int i = 0; i < 30; ++i) {
        frames();
        if (seen.empty() || seen.back() != node->getFrameIndex())
            seen.push_back(node->getFrameIndex());
    }
    EXPECT_GE(seen.size(), 5u);
    for (size_t i = 1; i < seen.size(); ++i)
        EXPECT_EQ((seen[i - 1] + 1) % 4, seen[i]);

    for (int expected : {25, 45, 65, 85, 105, 120, 120}) {
        command(9048);
        EXPECT_EQ(expected, node->getTicksPerFrame());
    }
    // The next 9046 pauses; setSlice also stops playback and reports it.
    command(9046);
    EXPECT_FALSE(node->isPlaying());
    command(9046);
    EXPECT_TRUE(node->isPlaying());
    frames();
    posts.clear();
    node->setSlice(&movie.info);
    frames();
    EXPECT_FALSE(node->isPlaying());
    EXPECT_EQ(Post({9047, 0}), posts.front());
    clut->release();
}
