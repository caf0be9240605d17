// The window/level program against the CPU colour path, read back from the framebuffer under
// Xvfb: every pixel type and curve, window and colour-table changes, a CT slice through both
// paths side by side saved as a picture, and enlarged 16-bit images against exact filtering.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "display_render_support.h"
#include "display_slices.h"
#include "imaging/core/data/isImageData.h"
#include "imaging/core/io/isDcmReader.h"
#include "imaging/display/image/TexelConversion.h"
#include "imaging/display/isNodeImageByShader.h"
#include "imaging/display/window/isViewWarmUp.h"

using namespace isImageSDK;
using displaytest::makeClut;
using displaytest::TestSlice;

namespace {

constexpr int kCols = 64;
constexpr int kRows = 8;

// Samples from low to high across the slice, with the type's extremes in the first and last.
template <typename Sample> std::vector<Sample> ramp(double low, double high, Sample first, Sample last) {
    std::vector<Sample> out(kCols * kRows);
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = Sample(low + (high - low) * double(i) / double(out.size() - 1));
    out.front() = first;
    out.back() = last;
    return out;
}

TestSlice sliceOf(int type) {
    switch (type) {
    case kPixelU8:
        return TestSlice(type, kCols, kRows, ramp<uint8_t>(0, 255, 0, 255));
    case kPixelS16:
        return TestSlice(type, kCols, kRows, ramp<int16_t>(-500, 600, -32768, 32767));
    case kPixelF32:
        return TestSlice(type, kCols, kRows, ramp<float>(-1000, 1000, -3000.0f, 3000.0f));
    case kPixelU16:
        return TestSlice(type, kCols, kRows, ramp<uint16_t>(0, 4095, 0, 65535));
    default: {
        std::vector<uint8_t> rgb(kCols * kRows * 3);
        for (size_t i = 0; i < rgb.size(); ++i)
            rgb[i] = uint8_t((i * 37) % 251);
        return TestSlice(type, kCols, kRows, rgb);
    }
    }
}

struct Window {
    float width, level;
};

Window windowOf(int type) {
    switch (type) {
    case kPixelU8:
        return {200, 100};
    case kPixelS16:
        return {800, 40};
    case kPixelF32:
        return {600, 100};
    case kPixelU16:
        return {2000, 1000};
    default:
        return {255, 128};
    }
}

class ShaderTest : public displaytest::RenderFixture {
protected:
    // Largest difference per channel between the two pictures of kCols x kRows at (4, y0) and
    // (4, y1), and between the first one and the CPU colours expected.
    void compare(const std::vector<unsigned char>& px, int y0, int y1, const TexelBuffer& expected,
                 int& paths, int& truth) {
        paths = truth = 0;
        for (int j = 0; j < kRows; ++j) {
            for (int i = 0; i < kCols; ++i) {
                const unsigned char* a = at(px, 4 + i, y0 + j);
                const unsigned char* b = at(px, 4 + i, y1 + j);
                const uint8_t* e = expected.data + 3 * (j * kCols + i);
                for (int c = 0; c < 3; ++c) {
                    paths = std::max(paths, std::abs(int(a[c]) - int(b[c])));
                    truth = std::max(truth, std::abs(int(a[c]) - int(e[c])));
                }
            }
        }
    }

    // Draws a signed 16-bit slice enlarged `scale` times from (4, 4) through the shader, and
    // returns the largest difference between what it shows and the grey index of the value
    // filtered exactly from the stored samples (bilinear, edges clamped), then windowed.
    int worstAgainstExactFilter(isSliceInfo& slice, float scale, float width, float level) {
        isClut* clut = makeClut(kPixelS16, width, level);
        auto* node = isNodeImageByShader::create();
        EXPECT_NE(nullptr, node);
        if (!node) {
            clut->release();
            return 255;
        }
        node->setCameraMask(2);
        node->setClut(clut);
        node->setSlice(&slice);
        node->setRotation3D(cocos2d::Vec3::ZERO);
        node->setScale(scale);
        node->setPosition3D(cocos2d::Vec3(4, 4, 0));
        scene->addChild(node);
        frames();
        EXPECT_TRUE(node->isUsingShader());
        const auto px = readAll();
        int worst = 0;
        for (int y = 4; y < std::min(kH, 4 + int(slice.rows * scale)); ++y) {
            for (int x = 4; x < std::min(kW, 4 + int(slice.columns * scale)); ++x) {
                const double value = displaytest::filteredSample(slice, (x + 0.5 - 4) / scale - 0.5,
                                                                 (y + 0.5 - 4) / scale - 0.5);
                const int index =
                    std::clamp(int(std::floor((value - (level - width / 2)) * 255.0 / width)), 0, 255);
                worst = std::max(worst, std::abs(displaytest::indexOfColour(at(px, x, y)) - index));
            }
        }
        node->removeFromParent();
        clut->release();
        return worst;
    }
};

} // namespace

TEST_F(ShaderTest, ProgramBuildsFromItsSources) {
    EXPECT_TRUE(isNodeImageByShader::testProgram());
    // The Base64 files are the encoding of the readable sources beside them.
    for (const char* name : {"i.v", "id.f"}) {
        const std::string encoded = qptest::readFile(qptest::sourceDir() + "/imageSDK/" + name);
        const std::string plain = qptest::readFile(qptest::sourceDir() + "/imageSDK/glsl/" + name + ".glsl");
        EXPECT_EQ(plain, cocos2d::safeBase64Decode(encoded)) << name;
    }
}

TEST_F(ShaderTest, EveryTypeAndCurveMatchesTheCpuPath) {
    for (int type : {kPixelU8, kPixelS16, kPixelF32, kPixelU16, kPixelRGB8}) {
        for (int curve : {0, 1, 2}) {
            const Window w = windowOf(type);
            isClut* clut = makeClut(type, w.width, w.level, curve);
            TestSlice cpuSlice = sliceOf(type);
            TestSlice gpuSlice = sliceOf(type);
            auto* cpu = show<isNodeImage>(cpuSlice, 4, 4, clut);
            auto* gpu = show<isNodeImageByShader>(gpuSlice, 4, 30, clut);
            ASSERT_NE(nullptr, cpu);
            ASSERT_NE(nullptr, gpu);
            ASSERT_TRUE(gpu->isUsingShader());
            frames();
            const TexelBuffer expected = buildRgbTexels(cpuSlice.info, 0, *clut);
            int paths = 0, truth = 0;
            compare(readAll(), 4, 30, expected, paths, truth);
            EXPECT_LE(paths, 1) << "type " << type << " curve " << curve;
            EXPECT_LE(truth, 1) << "type " << type << " curve " << curve;
            cpu->removeFromParent();
            gpu->removeFromParent();
            clut->release();
        }
    }
}

TEST_F(ShaderTest, WindowChangesCostUniformsOnly) {
    isClut* clut = makeClut(kPixelS16, 800, 40);
    TestSlice cpuSlice = sliceOf(kPixelS16);
    TestSlice gpuSlice = sliceOf(kPixelS16);
    auto* cpu = show<isNodeImage>(cpuSlice, 4, 4, clut);
    auto* gpu = show<isNodeImageByShader>(gpuSlice, 4, 30, clut);
    ASSERT_NE(nullptr, gpu);
    frames();
    cocos2d::Texture2D* uploaded = gpu->getTexture();

    // A narrow window, then a zero-width one: the shader's texture stays, the CPU's is rebuilt.
    for (Window w : {Window{100, -300}, Window{0, 10}}) {
        clut->setWindowLevel(w.width, w.level);
        cpu->onWindowChanged();
        gpu->onWindowChanged();
        EXPECT_FALSE(gpu->isTextureDirty());
        EXPECT_TRUE(cpu->isTextureDirty());
        frames();
        EXPECT_EQ(uploaded, gpu->getTexture());
        int paths = 0, truth = 0;
        compare(readAll(), 4, 30, buildRgbTexels(cpuSlice.info, 0, *clut), paths, truth);
        EXPECT_LE(paths, 1) << "window " << w.width << "/" << w.level;
    }

    // A new colour table reaches the shader through its lookup texture.
    for (uint32_t i = 0; i < 256; ++i)
        clut->colors[i] = (255 - i) << 24 | 40u << 16 | i << 8 | 255u;
    clut->setWindowLevel(800, 40);
    cpu->onColorTableChanged();
    gpu->onColorTableChanged();
    frames();
    int paths = 0, truth = 0;
    compare(readAll(), 4, 30, buildRgbTexels(cpuSlice.info, 0, *clut), paths, truth);
    EXPECT_LE(paths, 1);
    EXPECT_LE(truth, 1);
    EXPECT_EQ(uploaded, gpu->getTexture());
    clut->release();
}

TEST_F(ShaderTest, WarmUpChangesNeitherThePictureNorTheState) {
    isNodeImageByShader::holdSharedProgram();
    isClut* clut = makeClut(kPixelS16, 800, 40);
    TestSlice slice = sliceOf(kPixelS16);
    ASSERT_NE(nullptr, show<isNodeImageByShader>(slice, 4, 30, clut));
    frames();
    const std::vector<unsigned char> before = readAll();
    glEnable(GL_SCISSOR_TEST);
    glScissor(1, 2, 3, 4);
    isViewWarmUp::run();
    GLint box[4] = {};
    glGetIntegerv(GL_SCISSOR_BOX, box);
    EXPECT_TRUE(glIsEnabled(GL_SCISSOR_TEST));
    EXPECT_EQ((std::vector<GLint>{1, 2, 3, 4}), std::vector<GLint>(box, box + 4));
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    glDisable(GL_SCISSOR_TEST);
    EXPECT_EQ(before, readAll()) << "no pixel drawn";
    cocos2d::Director::getInstance()->markDirty();
    frames();
    EXPECT_EQ(before, readAll()) << "the next frame draws as before";
    clut->release();
    isNodeImageByShader::dropSharedProgram();
}

TEST_F(ShaderTest, CtSliceThroughBothPathsSideBySide) {
    const std::string file = qptest::pydicomDir() + "/CT_small.dcm";
    auto* reader = isDcmReader::create();
    ASSERT_NE(nullptr, reader);
    reader->retain();
    reader->setFileName(file);
    reader->Update();
    isImageData* image = reader->getOutputImage();
    ASSERT_NE(nullptr, image);
    isSliceInfo* slice = image->getSlice(0);
    if (!slice) {
        reader->release();
        GTEST_SKIP() << "cannot read " << file;
    }
    ASSERT_EQ(kPixelS16, slice->pixelType);
    float width = 400, level = 40;
    image->getDefaultWindow(width, level);
    isClut* clut = isClut::create(); // grey
    clut->retain();
    clut->configureForPixelType(kPixelS16);
    clut->setWindowLevel(width, level);

    // Both nodes show the same slice; the slice's placement is replaced by one that shows its
    // first row at the top, as a render window's camera looking from the feet does.
    auto* cpu = isNodeImage::create();
    auto* gpu = isNodeImageByShader::create();
    ASSERT_NE(nullptr, gpu);
    const float shift[2] = {4, 4 + float(slice->columns) + 4};
    int n = 0;
    for (isNodeImage* node : {cpu, static_cast<isNodeImage*>(gpu)}) {
        node->setCameraMask(2);
        node->setClut(clut);
        node->setSlice(slice);
        node->setScaleX(1.0f);
        node->setScaleY(-1.0f);
        node->setRotation3D(cocos2d::Vec3::ZERO);
        node->setPosition3D(cocos2d::Vec3(shift[n++], 4 + float(slice->rows), 0));
        scene->addChild(node);
    }
    frames();
    const auto px = readAll();
    const std::string shot = qptest::binaryDir() + "/display_ct_both_paths.png";
    EXPECT_TRUE(savePng(px, shot)) << shot;
    int worst = 0;
    for (int j = 0; j < slice->rows && j + 4 < kH; ++j) {
        for (int i = 0; i < slice->columns; ++i) {
            const unsigned char* a = at(px, 4 + i, 4 + j);
            const unsigned char* b = at(px, int(shift[1]) + i, 4 + j);
            for (int c = 0; c < 3; ++c)
                worst = std::max(worst, std::abs(int(a[c]) - int(b[c])));
        }
    }
    EXPECT_LE(worst, 1);
    clut->release();
    reader->release();
}

TEST_F(ShaderTest, EnlargedSixteenBitImagesShowExactlyFilteredValues) {
    // A smooth ramp through several multiples of 256, and a noisy one, in CT values.
    std::vector<int16_t> ramp(16 * 4);
    for (size_t i = 0; i < ramp.size(); ++i)
        ramp[i] = int16_t(-300 + 97 * int(i % 16) + 13 * int(i / 16) + (i % 5 == 2 ? 41 : 0));
    TestSlice synthetic(kPixelS16, 16, 4, ramp);
    EXPECT_LE(worstAgainstExactFilter(synthetic.info, 16.0f, 1600.0f, 400.0f), 2);

    auto* reader = isDcmReader::create();
    ASSERT_NE(nullptr, reader);
    reader->retain();
    reader->setFileName(qptest::pydicomDir() + "/CT_small.dcm");
    reader->Update();
    isSliceInfo* slice = reader->getOutputImage() ? reader->getOutputImage()->getSlice(0) : nullptr;
    ASSERT_NE(nullptr, slice);
    ASSERT_EQ(kPixelS16, slice->pixelType);
    EXPECT_LE(worstAgainstExactFilter(*slice, 2.0f, 256.0f, 128.0f), 2);
    reader->release();
}
