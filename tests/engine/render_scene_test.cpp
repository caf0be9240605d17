// A known scene drawn under Xvfb and read back: coloured layers, a sprite from a generated
// PNG, a label, a clipped child, a shape node and a render-window camera drawn in line. One
// frame is also written to build/render_scene.png for a person to look at.

#include <gtest/gtest.h>

#include "support/GLWindowFixture.h"
#include "support/PixelProbe.h"
#include "2d/ClippingRectangleNode.h"
#include "2d/DrawNode.h"
#include "2d/Label.h"
#include "2d/Sprite.h"
#include "cocos2d.h"
#include "support/TestSupport.h"

using namespace cocos2d;
using qptest::isColour;
using qptest::Px;
using qptest::readPixel;

namespace {

const int kW = 240;
const int kH = 160;

// A 20 x 10 picture: left half blue, right half green, top row white.
std::string writePicture(const qptest::TempDir& dir)
{
    std::vector<unsigned char> px(20 * 10 * 4);
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 20; ++x) {
            unsigned char* p = &px[static_cast<size_t>(y * 20 + x) * 4];
            bool top = y == 0;
            p[0] = top ? 255 : 0;
            p[1] = top ? 255 : (x >= 10 ? 255 : 0);
            p[2] = top ? 255 : (x < 10 ? 255 : 0);
            p[3] = 255;
        }
    }
    Image img;
    img.initWithRawData(px.data(), static_cast<ssize_t>(px.size()), 20, 10, 8);
    std::string path = dir.file("pic.png");
    img.saveToFile(path, false);
    return path;
}

struct Span {
    int lo, hi; // first and last lit column, -1 when none
};

using SceneRenderTest = qptest::GLWindowFixture<kW, kH>;

} // namespace

TEST_F(SceneRenderTest, LayersSpritesClippingAndInlineCameras)
{
    qptest::TempDir dir;
    auto* background = LayerColor::create(Color4B(40, 40, 120, 255));
    scene->addChild(background);
    auto* half = LayerColor::create(Color4B(255, 0, 0, 128), 40, 40);
    half->setPosition(Vec2(200, 0));
    scene->addChild(half);

    Sprite* sprite = Sprite::create(writePicture(dir));
    ASSERT_NE(nullptr, sprite);
    EXPECT_EQ(Size(20, 10), sprite->getContentSize());
    sprite->setAnchorPoint(Vec2::ZERO);
    sprite->setPosition(Vec2(10, 10));
    sprite->setScale(2.0f); // 40 x 20 on screen
    scene->addChild(sprite);
    Sprite* flipped = Sprite::create(dir.file("pic.png"));
    flipped->setAnchorPoint(Vec2::ZERO);
    flipped->setPosition(Vec2(60, 10));
    flipped->setFlippedX(true);
    scene->addChild(flipped);

    auto* clip = ClippingRectangleNode::create(Rect(0, 0, 20, 20));
    clip->setPosition(Vec2(100, 10));
    auto* yellow = LayerColor::create(Color4B(255, 255, 0, 255), 60, 60);
    yellow->setPosition(Vec2(-10, -10));
    clip->addChild(yellow);
    scene->addChild(clip);

    auto* shapes = DrawNode::create();
    shapes->drawSolidRect(Vec2(140, 10), Vec2(160, 30), Color4F(0, 1, 1, 1));
    scene->addChild(shapes);

    // A render window: its own camera (flag 2) draws its content into the window's rectangle.
    auto* holder = Node::create();
    holder->enableCameraVisitThroughtChild();
    scene->addChild(holder);
    auto* window = Node::create();
    window->setContentSize(Size(60, 40));
    window->setPosition(Vec2(170, 100));
    holder->addChild(window);
    auto* camera = Camera::createOrthographic(kW, kH, -1000, 1000);
    camera->setCameraFlag(2);
    Mat4 scale, move;
    Mat4::createScale(60.0f / kW, 40.0f / kH, 1, &scale);
    Mat4::createTranslation(2 * 170.0f / kW - 1 + 60.0f / kW, 2 * 100.0f / kH - 1 + 40.0f / kH, 0, &move);
    camera->setAdditionalProjection(move * scale);
    window->addChild(camera);
    auto* content = LayerColor::create(Color4B(255, 128, 0, 255), kW, kH); // fills the camera's view
    content->setCameraMask(2);
    content->removeCameraMask(1);
    window->addChild(content);
    // The camera sits at the window's corner, so the window's content starts at the view's corner.

    // Latin, Cyrillic and CJK text, for the screenshot.
    Label* text = Label::createWithSystemFont("Axial \xD0\x96 \xE4\xB8\xAD\xE6\x96\x87", "DejaVu Sans", 18);
    text->setAnchorPoint(Vec2(0, 1));
    text->setPosition(Vec2(10, 155));
    text->enableShadow();
    scene->addChild(text);

    frame();
    frame();

    EXPECT_TRUE(isColour(readPixel(5, 150), 40, 40, 120)); // background
    EXPECT_TRUE(isColour(readPixel(215, 20), 148, 20, 60, 8)); // red at half opacity over it
    // Sprite at 2x: left half blue, right half green; its top row (white) at the top.
    EXPECT_TRUE(isColour(readPixel(15, 15), 0, 0, 255));
    EXPECT_TRUE(isColour(readPixel(45, 15), 0, 255, 0));
    EXPECT_TRUE(isColour(readPixel(20, 29), 255, 255, 255));
    // Flipped in x: green on the left.
    EXPECT_TRUE(isColour(readPixel(62, 12), 0, 255, 0));
    EXPECT_TRUE(isColour(readPixel(78, 12), 0, 0, 255));
    // Clipped child: yellow only inside (100..120, 10..30).
    EXPECT_TRUE(isColour(readPixel(110, 20), 255, 255, 0));
    EXPECT_TRUE(isColour(readPixel(95, 20), 40, 40, 120));
    EXPECT_TRUE(isColour(readPixel(110, 35), 40, 40, 120));
    EXPECT_TRUE(isColour(readPixel(150, 20), 0, 255, 255));
    // The window's camera: orange inside the window only; the default camera does not draw it.
    EXPECT_TRUE(isColour(readPixel(180, 110), 255, 128, 0));
    EXPECT_TRUE(isColour(readPixel(165, 110), 40, 40, 120));
    EXPECT_TRUE(isColour(readPixel(180, 145), 40, 40, 120));

    // For a person to look at.
    std::string shot = std::string(QP_BINARY_DIR) + "/render_scene.png";
    bool written = false;
    utils::captureScreen([&](bool ok, const std::string&) { written = ok; }, shot);
    framesUntil([&] { return written; });
    EXPECT_TRUE(written);
}

TEST_F(SceneRenderTest, LabelMetricsAndPixelsAreStable)
{
    auto* background = LayerColor::create(Color4B(0, 0, 0, 255));
    scene->addChild(background);
    Label* label = Label::createWithSystemFont("Hello", "DejaVu Sans", 20);
    ASSERT_NE(nullptr, label);
    Size size = label->getContentSize();
    EXPECT_GT(size.width, 40);
    EXPECT_LT(size.width, 70);
    EXPECT_EQ(1, label->getStringNumLines());
    label->setAnchorPoint(Vec2::ZERO);
    label->setPosition(Vec2(10, 100));
    label->setTextColor(Color4B(255, 255, 255, 255));
    scene->addChild(label);

    Label* wrapped = Label::createWithSystemFont("one two three", "DejaVu Sans", 16, Size(60, 0),
                                                 TextHAlignment::CENTER);
    EXPECT_EQ(3, wrapped->getStringNumLines());
    EXPECT_FLOAT_EQ(60, wrapped->getContentSize().width);
    EXPECT_FLOAT_EQ(3 * wrapped->getLineHeight(), wrapped->getContentSize().height);

    Label* shadowed = Label::createWithTTF("Shadow", "fonts/NotInstalled.ttf", 18);
    ASSERT_NE(nullptr, shadowed); // falls back to an installed font
    shadowed->enableShadow(Color4B(255, 0, 0, 255), Size(2, -2));
    shadowed->setAnchorPoint(Vec2::ZERO);
    shadowed->setPosition(Vec2(10, 40));
    scene->addChild(shadowed);

    frame();
    frame();
    // Count lit pixels in the label's box: text was drawn there and nowhere else nearby.
    auto countLit = [](int x0, int y0, int w, int h, int* red) {
        std::vector<unsigned char> px(static_cast<size_t>(w * h * 4));
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(x0, y0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
        int lit = 0;
        for (int i = 0; i < w * h; ++i) {
            if (px[static_cast<size_t>(i) * 4] > 128 || px[static_cast<size_t>(i) * 4 + 1] > 128) ++lit;
            if (red && px[static_cast<size_t>(i) * 4] > 128 && px[static_cast<size_t>(i) * 4 + 1] < 60) ++*red;
        }
        return lit;
    };
    int lit = countLit(10, 100, static_cast<int>(size.width), static_cast<int>(size.height), nullptr);
    EXPECT_GT(lit, 40);
    EXPECT_EQ(0, countLit(10, 130, 60, 20, nullptr));
    int red = 0;
    countLit(10, 36, 80, 30, &red);
    EXPECT_GT(red, 10); // the shadow shows beside the text

    // The same text gives the same pixels on every frame.
    frame();
    EXPECT_EQ(lit, countLit(10, 100, static_cast<int>(size.width), static_cast<int>(size.height), nullptr));
}

TEST_F(SceneRenderTest, NestedClipsIntersectAndGroupsKeepTheirPlace)
{
    auto* background = LayerColor::create(Color4B(0, 0, 0, 255));
    scene->addChild(background);
    auto* outer = ClippingRectangleNode::create(Rect(0, 0, 60, 60));
    outer->setPosition(Vec2(20, 20));
    scene->addChild(outer);
    auto* inner = ClippingRectangleNode::create(Rect(0, 0, 60, 60));
    inner->setPosition(Vec2(30, 30)); // window 50..110: only 50..80 survives the outer clip
    outer->addChild(inner);
    auto* green = LayerColor::create(Color4B(0, 255, 0, 255), 200, 200);
    green->setPosition(Vec2(-100, -100));
    inner->addChild(green);
    // Drawn after the clipped group although it comes first in the tree: its z is higher.
    auto* top = LayerColor::create(Color4B(0, 0, 255, 255), 10, 10);
    top->setPosition(Vec2(60, 60));
    top->setGlobalZOrder(5);
    scene->addChild(top);
    scene->reorderChild(top, -1);

    frame();
    frame();
    EXPECT_TRUE(isColour(readPixel(70, 52), 0, 255, 0));
    EXPECT_TRUE(isColour(readPixel(45, 45), 0, 0, 0));  // inside the outer clip only
    EXPECT_TRUE(isColour(readPixel(90, 90), 0, 0, 0));  // inside the inner clip only
    EXPECT_TRUE(isColour(readPixel(65, 65), 0, 0, 255)); // the higher z is on top
    EXPECT_TRUE(isColour(readPixel(150, 100), 0, 0, 0));
    EXPECT_EQ(Rect(20, 20, 60, 60), ClippingRectangleNode::rectToWorld(Rect(0, 0, 60, 60), outer->getNodeToWorldTransform()));
}

TEST_F(SceneRenderTest, AlignmentPlacesTextInItsBox)
{
    auto* background = LayerColor::create(Color4B(0, 0, 0, 255));
    scene->addChild(background);
    auto litColumns = [](int y0, int h) {
        std::vector<unsigned char> px(static_cast<size_t>(kW * h * 4));
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, y0, kW, h, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
        int first = -1, last = -1;
        for (int x = 0; x < kW; ++x) {
            for (int y = 0; y < h; ++y) {
                if (px[static_cast<size_t>(y * kW + x) * 4] > 100) {
                    if (first < 0) first = x;
                    last = x;
                }
            }
        }
        return Span{first, last};
    };
    TextHAlignment aligns[3] = {TextHAlignment::LEFT, TextHAlignment::CENTER, TextHAlignment::RIGHT};
    for (int i = 0; i < 3; ++i) {
        Label* label = Label::createWithSystemFont("IIII", "DejaVu Sans", 16, Size(200, 30), aligns[i],
                                                   TextVAlignment::CENTER);
        label->setAnchorPoint(Vec2::ZERO);
        label->setPosition(Vec2(20, 10 + 40 * i));
        scene->addChild(label);
    }
    frame();
    frame();
    auto left = litColumns(10, 30), centre = litColumns(50, 30), right = litColumns(90, 30);
    ASSERT_GE(left.lo, 0);
    ASSERT_GE(centre.lo, 0);
    ASSERT_GE(right.lo, 0);
    EXPECT_LT(left.lo, 26);                                        // starts at the box's left
    EXPECT_NEAR(120, (centre.lo + centre.hi) / 2.0, 3);          // centred on 20 + 100
    EXPECT_GT(right.hi, 212);                                       // ends at the box's right
    EXPECT_NEAR(left.hi - left.lo, right.hi - right.lo, 1); // same text, same width
}
