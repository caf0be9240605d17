// Shape nodes, sprite texture rectangles, program-state uniforms and JPEG capture, drawn under
// Xvfb and read back.

#include <gtest/gtest.h>

#include "support/GLWindowFixture.h"
#include "support/PixelProbe.h"
#include "2d/DrawNode.h"
#include "2d/Sprite.h"
#include "cocos2d.h"
#include "support/TestSupport.h"

using namespace cocos2d;

namespace {

const int kW = 128;
const int kH = 96;

std::vector<unsigned char> readAll()
{
    return qptest::readRegion(0, 0, kW, kH);
}

const unsigned char* at(const std::vector<unsigned char>& px, int x, int y)
{
    return &px[static_cast<size_t>(y * kW + x) * 4];
}

using DrawTest = qptest::GLWindowFixture<kW, kH>;

} // namespace

TEST_F(DrawTest, LinesRectsCirclesAndPoints)
{
    auto* node = DrawNode::create();
    node->setLineWidth(3);
    node->drawLine(Vec2(10, 10), Vec2(60, 10), Color4F(1, 0, 0, 1));
    node->drawRect(Vec2(70, 10), Vec2(110, 40), Color4F(0, 1, 0, 1));
    node->drawCircle(Vec2(30, 60), 20, 0, 64, false, Color4F(0, 0, 1, 1));
    node->drawPoint(Vec2(100, 70), 8, Color4F(1, 1, 0, 1));
    node->drawDot(Vec2(100, 85), 5, Color4F(1, 0, 1, 1));
    scene->addChild(node);
    EXPECT_EQ(2u + 8u + 128u, node->getLineVertexCount());
    frames();
    auto px = readAll();
    // A 3-pixel line along y = 10 covers three rows, not one.
    EXPECT_GT(at(px, 30, 8)[0] + at(px, 30, 11)[0], 200);
    EXPECT_GT(at(px, 30, 9)[0], 200);
    EXPECT_GT(at(px, 30, 10)[0], 200);
    EXPECT_LT(at(px, 30, 14)[0], 30);
    // The rectangle's outline, not its inside.
    EXPECT_GT(at(px, 70, 25)[1], 200);
    EXPECT_LT(at(px, 90, 25)[1], 30);
    // The circle passes through (50, 60) and (30, 80), not its centre.
    EXPECT_GT(at(px, 49, 60)[2] + at(px, 50, 60)[2], 200);
    EXPECT_LT(at(px, 30, 60)[2], 30);
    // An 8-pixel point covers (100 +- 3).
    EXPECT_GT(at(px, 102, 72)[0], 200);
    EXPECT_GT(at(px, 102, 72)[1], 200);
    // A dot is round: its centre is lit, the corners of its square are not.
    EXPECT_GT(at(px, 100, 85)[0], 200);
    EXPECT_LT(at(px, 95, 80)[0], 60);

    // Cleared, nothing is drawn (and no command is queued).
    node->clear();
    Renderer* r = Director::getInstance()->getRenderer();
    frames(1);
    EXPECT_EQ(0, r->getDrawnBatches());
    px = readAll();
    EXPECT_LT(at(px, 30, 10)[0], 30);
}

TEST_F(DrawTest, SpriteShowsItsTextureRectAndTint)
{
    // An RGB texture 5 x 3 (rows of 15 bytes) with a distinct colour per column.
    std::vector<unsigned char> px;
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
            px.push_back(static_cast<unsigned char>(x * 60));
            px.push_back(static_cast<unsigned char>(y * 100));
            px.push_back(200);
        }
    }
    auto* tex = new Texture2D();
    ASSERT_TRUE(tex->initWithData(px.data(), static_cast<ssize_t>(px.size()), Texture2D::PixelFormat::RGB888, 5, 3,
                                  Size(5, 3)));
    tex->setAliasTexParameters();
    Sprite* sprite = Sprite::createWithTexture(tex, Rect(2, 0, 2, 3)); // columns 2 and 3
    tex->release();
    ASSERT_NE(nullptr, sprite);
    EXPECT_EQ(Size(2, 3), sprite->getContentSize());
    sprite->setAnchorPoint(Vec2::ZERO);
    sprite->setScale(10);
    sprite->setPosition(Vec2(10, 10));
    scene->addChild(sprite);
    frames();
    auto shot = readAll();
    // Left half: column 2 (red 120), right half: column 3 (red 180). The top row of the
    // texture (green 0) is at the top.
    EXPECT_NEAR(120, at(shot, 15, 35)[0], 3);
    EXPECT_NEAR(180, at(shot, 25, 35)[0], 3);
    EXPECT_NEAR(0, at(shot, 15, 35)[1], 3);
    EXPECT_NEAR(200, at(shot, 15, 15)[1], 3);

    sprite->setColor(Color3B(0, 255, 255)); // removes red
    frames();
    shot = readAll();
    EXPECT_NEAR(0, at(shot, 25, 35)[0], 3);
    EXPECT_NEAR(200, at(shot, 25, 35)[2], 3);
}

TEST_F(DrawTest, ProgramStateUniformsReachTheProgram)
{
    GLProgram* program = GLProgram::createWithByteArrays(
        "attribute vec4 a_position; void main() { gl_Position = CC_PMatrix * a_position; }",
        "uniform vec4 u_tint; uniform float u_gain; void main() { gl_FragColor = u_tint * u_gain; }");
    ASSERT_NE(nullptr, program);
    GLProgramState* state = GLProgramState::create(program);
    state->setUniformVec4("u_tint", Vec4(0.5f, 1.0f, 0.25f, 1.0f));
    state->setUniformFloat("u_gain", 0.8f);
    state->setUniformFloat("u_unknown", 1.0f); // not in the program: ignored

    auto* sprite = Sprite::create();
    unsigned char white[4] = {255, 255, 255, 255};
    auto* tex = new Texture2D();
    tex->initWithData(white, 4, Texture2D::PixelFormat::RGBA8888, 1, 1, Size(1, 1));
    sprite->setTexture(tex);
    sprite->setTextureRect(Rect(0, 0, 1, 1));
    tex->release();
    sprite->setGLProgram(program); // a state of its own for the program
    EXPECT_EQ(program, sprite->getGLProgram());
    EXPECT_NE(state, sprite->getGLProgramState());
    sprite->setGLProgramState(state);
    sprite->setBlendFunc(BlendFunc::DISABLE);
    sprite->setAnchorPoint(Vec2::ZERO);
    sprite->setScale(20);
    sprite->setPosition(Vec2(50, 50));
    scene->addChild(sprite);
    frames();
    auto shot = readAll();
    EXPECT_NEAR(102, at(shot, 60, 60)[0], 2);
    EXPECT_NEAR(204, at(shot, 60, 60)[1], 2);
    EXPECT_NEAR(51, at(shot, 60, 60)[2], 2);
}

TEST_F(DrawTest, AClearLayerDrawsNothingUnlessItsBlendAddsColour)
{
    auto* layer = LayerColor::create(Color4B(255, 0, 0, 0));
    scene->addChild(layer);
    Renderer* r = Director::getInstance()->getRenderer();
    frames(1);
    EXPECT_EQ(0, r->getDrawnBatches());
    EXPECT_LT(at(readAll(), 10, 10)[0], 30);
    layer->setBlendFunc({GL_ONE, GL_ONE});
    frames(1);
    EXPECT_EQ(1, r->getDrawnBatches());
    EXPECT_GT(at(readAll(), 10, 10)[0], 200);
}

TEST_F(DrawTest, JpegCaptureOfTheWholeWindow)
{
    qptest::TempDir dir;
    auto* layer = LayerColor::create(Color4B(0, 128, 255, 255));
    scene->addChild(layer);
    bool done = false, ok = false;
    utils::captureScreen([&](bool success, const std::string&) {
        done = true;
        ok = success;
    }, dir.file("whole.jpg"));
    framesUntil([&] { return done; });
    ASSERT_TRUE(done);
    EXPECT_TRUE(ok);
    Image img;
    ASSERT_TRUE(img.initWithImageFile(dir.file("whole.jpg")));
    EXPECT_EQ(kW, img.getWidth());
    EXPECT_EQ(kH, img.getHeight());
    EXPECT_NEAR(128, img.getData()[1], 10);
    EXPECT_NEAR(255, img.getData()[2], 10);
}
