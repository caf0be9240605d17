// The slow-frame guard of the window/level program: the first draws after entering a scene do
// not count, a slow frame moves only the node that saw it to the CPU path, nodes made later
// start there, and the picture stays right throughout.

#include <gtest/gtest.h>

#include "display_render_support.h"
#include "display_slices.h"
#include "imaging/display/image/TexelConversion.h"
#include "imaging/display/isNodeImageByShader.h"

using namespace isImageSDK;
using displaytest::makeClut;
using displaytest::TestSlice;

namespace {

class FallbackTest : public displaytest::RenderFixture {
protected:
    void TearDown() override { isNodeImageByShader::setFrameTimeSource(nullptr); }

    // Largest channel difference between the node's picture at (x, 4) and the CPU colours.
    int error(float x, TestSlice& slice, isClut* clut) {
        const auto px = readAll();
        const TexelBuffer expected = buildRgbTexels(slice.info, 0, *clut);
        int worst = 0;
        for (int j = 0; j < slice.info.rows; ++j) {
            for (int i = 0; i < slice.info.columns; ++i) {
                const unsigned char* p = at(px, int(x) + i, 4 + j);
                for (int c = 0; c < 3; ++c) {
                    worst =
                        std::max(worst, std::abs(int(p[c]) -
                                                 int(expected.data[3 * (j * slice.info.columns + i) + c])));
                }
            }
        }
        return worst;
    }

    float frameTime = 1.0f / 60;
};

std::vector<int16_t> samples() {
    std::vector<int16_t> out;
    for (int i = 0; i < 32 * 8; ++i)
        out.push_back(int16_t(-400 + i * 4));
    return out;
}

} // namespace

TEST_F(FallbackTest, SlowFramesMoveEachNodeToTheCpuPath) {
    isNodeImageByShader::setFrameTimeSource([this]() { return frameTime; });
    isClut* clut = makeClut(kPixelS16, 600, 0);
    TestSlice first(kPixelS16, 32, 8, samples());
    TestSlice second(kPixelS16, 32, 8, samples());
    auto* a = show<isNodeImageByShader>(first, 4, 4, clut);
    auto* b = show<isNodeImageByShader>(second, 60, 4, clut);
    ASSERT_NE(nullptr, a);
    ASSERT_NE(nullptr, b);
    b->setVisible(false); // b draws nothing and so sees no slow frame

    // A slow start (software renderer, uploads) is forgiven.
    frameTime = 2.0f;
    frames(isNodeImageByShader::kWarmUpDraws);
    EXPECT_TRUE(a->isUsingShader());
    EXPECT_TRUE(isNodeImageByShader::isShaderAllowed());

    // The next slow frame switches a over, for good, and keeps its picture right.
    frames(1);
    EXPECT_FALSE(a->isUsingShader());
    EXPECT_FALSE(isNodeImageByShader::isShaderAllowed());
    EXPECT_EQ(0u, a->getLutTexture());
    frameTime = 1.0f / 60;
    frames();
    EXPECT_FALSE(a->isUsingShader());
    EXPECT_LE(error(4, first, clut), 1);
    // On the CPU path a window change rebuilds the texture.
    clut->setWindowLevel(300, 100);
    a->onWindowChanged();
    EXPECT_TRUE(a->isTextureDirty());
    frames();
    EXPECT_LE(error(4, first, clut), 1);

    // b keeps the shader while its frames are fast...
    b->setVisible(true);
    frames(isNodeImageByShader::kWarmUpDraws + 2);
    EXPECT_TRUE(b->isUsingShader());
    EXPECT_LE(error(60, second, clut), 1);
    // ...and leaves it at its own slow frame.
    frameTime = 0.5f;
    frames(1);
    EXPECT_FALSE(b->isUsingShader());
    frameTime = 1.0f / 60;
    frames();
    EXPECT_LE(error(60, second, clut), 1);

    // Nodes made from now on start on the CPU path and still draw.
    TestSlice third(kPixelS16, 32, 8, samples());
    auto* c = show<isNodeImageByShader>(third, 120, 4, clut);
    ASSERT_NE(nullptr, c);
    EXPECT_FALSE(c->isUsingShader());
    EXPECT_EQ(0u, c->getLutTexture());
    frames();
    EXPECT_LE(error(120, third, clut), 1);
    clut->release();
}
