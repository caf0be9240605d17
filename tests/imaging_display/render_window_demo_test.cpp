// Two linked render windows drawn under Xvfb: an image in each, cross-lines, coloured frames and
// corner markers; scripted wheel, middle and right drags through the real mouse path. The
// frame is written to <build>/render_windows.png for a look.

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "2d/DrawNode.h"
#include "GLWindowFixture.h"
#include "support/PixelProbe.h"
#include "display_slices.h"
#include "imaging/display/actor/isActorCrossLine.h"
#include "imaging/display/isNodeImage.h"

using namespace cocos2d;
using namespace displaytest;
using namespace isImageSDK;

namespace {

const int kSide = 128;

// A disc on a dark ramp, so that moves and zooms show.
std::vector<uint8_t> phantom()
{
    std::vector<uint8_t> v(size_t(kSide) * kSide);
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x) {
            const int dx = x - 64, dy = y - 64;
            v[size_t(y) * kSide + x] = dx * dx + dy * dy < 40 * 40 ? 220 : uint8_t(20 + x / 4);
        }
    return v;
}

isClut* greyClut()
{
    isClut* clut = isClut::create();
    clut->retain();
    for (uint32_t i = 0; i < 256; ++i)
        clut->colors[i] = i << 24 | i << 16 | i << 8 | 255u;
    clut->configureForPixelType(0);
    clut->setWindowLevel(256, 128);
    clut->buildLut();
    return clut;
}

class RenderWindowDemo : public GLWindowFixture<640, 320> {
protected:
    /// A window looking at the image from 1000 units away, with frame, marker and cross-lines.
    TestWindow* viewer(float x, int colour, isClut* clut)
    {
        TestWindow* window = addWindow(Vec2(x, 10), Size(300, 300), {9017, 9065, 9066, 9096});
        window->setCameraPosition(Vec3(64, 64, -1000));
        window->setCameraFocalAndUp(Vec3(64, 64, 0), Vec3(0, -1, 0));
        window->setZoomRatio(1.5f);
        isNodeImage* image = isNodeImage::create();
        image->setClut(clut);
        image->setSlice(&slice.info);
        window->addSceneNode(image);
        isActorCrossLine* lines = window->getActorManager()->getCrossLine();
        lines->setFrameColor(colour);
        lines->showFrame(true);
        lines->showCornerMarker();
        lines->showLines(true);
        NSUI::NSNotificationCenter::getInstance()->postNotificationWithString(
            nullptr, 9087,
            "{\"nx1\":\"1\",\"nx2\":\"0\",\"nx3\":\"0\",\"ny1\":\"0\",\"ny2\":\"1\",\"ny3\":\"0\",\"x\":\"64\","
            "\"y\":\"64\",\"z\":\"-1\"}",
            window, true);
        return window;
    }
    void drag(Vec2 from, Vec2 to, int button, int steps)
    {
        input->mouseMove(from);
        input->mouseDown(from, button);
        for (int i = 1; i <= steps; ++i) {
            input->mouseMove(from + (to - from) * (float(i) / steps));
            input->frame();
        }
        input->mouseUp(to, button);
        input->advance(0.1f);
    }

    TestSlice slice{0, kSide, kSide, phantom()};
};

} // namespace

TEST_F(RenderWindowDemo, LinkedWindowsFollowWheelPanAndZoom)
{
    isClut* clut = greyClut();
    TestWindow* left = viewer(10, 0, clut);
    TestWindow* right = viewer(330, 1, clut);
    left->setLinkedWindow(right);
    right->setLinkedWindow(left);
    input->advance(0.1f);

    input->mouseScroll(Vec2(160, 160), 0, -1);
    input->mouseScroll(Vec2(160, 160), 0, 1);
    EXPECT_EQ(left->handled, (std::vector<unsigned int>{9001, 9002}));

    const Vec3 before = right->getFocalPoint();
    drag(Vec2(160, 160), Vec2(200, 140), 2, 8); // middle: pan
    drag(Vec2(160, 120), Vec2(160, 200), 1, 8); // right: zoom in
    EXPECT_GT(right->getFocalPoint().distance(before), 1.0f);
    EXPECT_NEAR(right->getFocalPoint().distance(left->getFocalPoint()), 0.0f, 1e-2f);
    EXPECT_NEAR(right->getZoomRatio(), left->getZoomRatio(), 1e-3f);
    EXPECT_GT(left->getZoomRatio(), 1.5f);

    input->advance(0.1f);
    std::vector<unsigned char> px = readAll();
    EXPECT_TRUE(savePng(px, qptest::binaryDir() + "/render_windows.png"));
    // The two windows show the same picture at the same place.
    int same = 0, lit = 0;
    for (int y = 20; y < 300; y += 7)
        for (int x = 20; x < 300; x += 7) {
            const unsigned char* a = &px[(size_t(y) * kW + size_t(x + 10)) * 4];
            const unsigned char* b = &px[(size_t(y) * kW + size_t(x + 330)) * 4];
            same += std::abs(a[0] - b[0]) < 8 && std::abs(a[1] - b[1]) < 8;
            lit += a[0] > 200 && a[1] > 200 && a[2] > 200;
        }
    EXPECT_GT(same, 1400);
    EXPECT_GT(lit, 20) << "the bright disc is on screen";
    // The frames and corner markers carry each window's colour: magenta left, orange right.
    EXPECT_TRUE(qptest::isColour(qptest::readPixel(11, 160), 255, 0, 255, 40));
    EXPECT_TRUE(qptest::isColour(qptest::readPixel(331, 160), 255, 127, 0, 40));
    EXPECT_TRUE(qptest::isColour(qptest::readPixel(295, 295), 255, 0, 255, 40));
    EXPECT_TRUE(qptest::isColour(qptest::readPixel(35, 35), 0, 0, 0, 4)) << "the background is black";

    // A window set invisible stays on screen, covered by its own background.
    right->setVisible(false);
    input->advance(0.1f);
    EXPECT_TRUE(qptest::isColour(qptest::readPixel(330 + 150, 160), 0, 0, 0, 4));
    EXPECT_TRUE(qptest::isColour(qptest::readPixel(10 + 150, 160), 220, 220, 220, 8)) << "the other one shows";
    clut->release();
}
