// Conversions of slice samples to texture data: the CPU colour path for every pixel type and
// curve, the full-depth shader textures, and the shader's window uniforms checked against the
// CPU lookup table.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "display_slices.h"
#include "imaging/display/image/TexelConversion.h"

using namespace isImageSDK;
using displaytest::makeClut;
using displaytest::TestSlice;

namespace {

int greyAt(const TexelBuffer& texels, int i) {
    return texels.data[3 * i];
}

uint16_t valueAt(const TexelBuffer& texels, int i) {
    return uint16_t(texels.data[2 * i] | texels.data[2 * i + 1] << 8);
}

} // namespace

TEST(DisplayTexels, IntegerTypesGoThroughTheLookupTableAndColours) {
    // 8-bit, window 100 / 50: entry x = trunc(2.55 x) up to 100, then 255.
    TestSlice u8(kPixelU8, 4, 1, std::vector<uint8_t>{0, 50, 100, 255});
    isClut* clut = makeClut(kPixelU8, 100, 50);
    TexelBuffer t = buildRgbTexels(u8.info, 0, *clut);
    ASSERT_EQ(TexelBuffer::Layout::Rgb888, t.layout);
    ASSERT_EQ(12, t.byteCount);
    EXPECT_EQ(0, greyAt(t, 0));
    EXPECT_EQ(127, greyAt(t, 1));
    EXPECT_EQ(255, greyAt(t, 2));
    EXPECT_EQ(255, greyAt(t, 3));
    // The colour of the entry, not the grey index, in all three channels.
    EXPECT_EQ(255 - 127, t.data[4]);
    EXPECT_EQ(127 / 2, t.data[5]);
    clut->release();

    // Signed 16-bit at both extremes of its range, under the widest window.
    TestSlice s16(kPixelS16, 3, 1, std::vector<int16_t>{-32768, 0, 32767});
    clut = makeClut(kPixelS16, 65535, 0);
    t = buildRgbTexels(s16.info, 0, *clut);
    EXPECT_EQ(0, greyAt(t, 0));
    EXPECT_NEAR(127, greyAt(t, 1), 1);
    EXPECT_EQ(255, greyAt(t, 2));
    clut->release();

    // Unsigned 16-bit extremes and a window in the middle.
    TestSlice u16(kPixelU16, 4, 1, std::vector<uint16_t>{0, 1000, 1050, 65535});
    clut = makeClut(kPixelU16, 100, 1050);
    t = buildRgbTexels(u16.info, 0, *clut);
    EXPECT_EQ(0, greyAt(t, 0));
    EXPECT_EQ(0, greyAt(t, 1));
    EXPECT_EQ(127, greyAt(t, 2));
    EXPECT_EQ(255, greyAt(t, 3));
    clut->release();
}

TEST(DisplayTexels, FloatCurvesAtTheirEndsAndInBetween) {
    // Linear: exactly lo gives 0, exactly hi 255, the middle 127.
    EXPECT_EQ(0, floatCurveIndex(-50.0f, -50.0f, 50.0f, 100.0f, 0));
    EXPECT_EQ(255, floatCurveIndex(50.0f, -50.0f, 50.0f, 100.0f, 0));
    EXPECT_EQ(127, floatCurveIndex(0.0f, -50.0f, 50.0f, 100.0f, 0));
    EXPECT_EQ(0, floatCurveIndex(-1e30f, -50.0f, 50.0f, 100.0f, 0));
    EXPECT_EQ(255, floatCurveIndex(1e30f, -50.0f, 50.0f, 100.0f, 0));
    // Logarithmic rises fastest at the start, inverse logarithmic at the end.
    for (int curve : {1, 2}) {
        EXPECT_EQ(0, floatCurveIndex(-50.0f, -50.0f, 50.0f, 100.0f, curve));
        EXPECT_EQ(255, floatCurveIndex(50.0f, -50.0f, 50.0f, 100.0f, curve));
    }
    EXPECT_EQ(int(std::log10(1.0 + 10.0 * 9.0 / 100.0) * 255.0),
              floatCurveIndex(-40.0f, -50.0f, 50.0f, 100.0f, 1));
    EXPECT_GT(floatCurveIndex(-40.0f, -50.0f, 50.0f, 100.0f, 1), 60);
    EXPECT_LT(floatCurveIndex(-40.0f, -50.0f, 50.0f, 100.0f, 2), 15);
    // Bad input never divides by zero nor converts NaN: a zero width is a step at lo.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (int curve : {0, 1, 2}) {
        EXPECT_EQ(0, floatCurveIndex(nan, -50.0f, 50.0f, 100.0f, curve));
        EXPECT_EQ(255, floatCurveIndex(5.5f, 5.0f, 5.0f, 0.0f, curve));
        EXPECT_EQ(0, floatCurveIndex(4.0f, 5.0f, 5.0f, 0.0f, curve));
    }
    EXPECT_EQ(0, floatCurveIndex(5.0f, 5.0f, 5.0f, 0.0f, 0));

    // Through a colour table: its window and curve are used.
    TestSlice f32(kPixelF32, 3, 1, std::vector<float>{-1.0f, 0.5f, 2.0f});
    isClut* clut = makeClut(kPixelF32, 2.0f, 0.0f);
    TexelBuffer t = buildRgbTexels(f32.info, 0, *clut);
    EXPECT_EQ(0, greyAt(t, 0));
    EXPECT_EQ(int(1.5 / 2.0 * 255.0), greyAt(t, 1));
    EXPECT_EQ(255, greyAt(t, 2));
    clut->setWindowLevel(0.0f, 0.0f);
    t = buildRgbTexels(f32.info, 0, *clut);
    EXPECT_EQ(0, greyAt(t, 0));
    EXPECT_EQ(255, greyAt(t, 1));
    clut->release();
}

TEST(DisplayTexels, RgbFramesAndUnloadedSlices) {
    // Two frames of 2 x 1 RGB: frame 1 is the slice's own bytes from its start.
    std::vector<uint8_t> rgb = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    TestSlice colour(kPixelRGB8, 2, 1, rgb, 2);
    isClut* clut = makeClut(kPixelRGB8, 255, 128);
    TexelBuffer t = buildRgbTexels(colour.info, 1, *clut);
    EXPECT_EQ(colour.info.pixels + 6, t.data);
    EXPECT_TRUE(t.owned.empty());
    // Frames beyond the last are clamped, never read past the buffer.
    EXPECT_EQ(colour.info.pixels + 6, buildRgbTexels(colour.info, 7, *clut).data);
    EXPECT_EQ(colour.info.pixels + 6, buildShaderTexels(colour.info, 1).data);

    // Not loaded: filled, and the pixels (here none at all) are never touched.
    TestSlice pending(kPixelS16, 2, 2, std::vector<int16_t>{1, 2, 3, 4});
    pending.info.loaded = 0;
    pending.info.pixels = nullptr;
    pending.info.displayCode = 1;
    t = buildRgbTexels(pending.info, 0, *clut);
    ASSERT_FALSE(t.empty());
    EXPECT_EQ(255, t.data[0]);
    EXPECT_EQ(255, t.data[11]);
    pending.info.displayCode = 2;
    EXPECT_EQ(0, buildRgbTexels(pending.info, 0, *clut).data[5]);
    for (int type : {kPixelU8, kPixelS16, kPixelF32, kPixelU16, kPixelRGB8}) {
        pending.info.pixelType = type;
        TexelBuffer s = buildShaderTexels(pending.info, 0);
        ASSERT_FALSE(s.empty()) << type;
        for (int64_t i = 0; i < s.byteCount; ++i)
            ASSERT_EQ(0, s.data[i]) << type;
    }

    // Sizes that cannot make a texture give none.
    pending.info.columns = 0;
    EXPECT_TRUE(buildRgbTexels(pending.info, 0, *clut).empty());
    EXPECT_TRUE(buildShaderTexels(pending.info, 0).empty());
    TestSlice unknown(9, 1, 1, std::vector<uint8_t>{0, 0, 0, 0});
    EXPECT_TRUE(buildRgbTexels(unknown.info, 0, *clut).empty());
    EXPECT_TRUE(buildShaderTexels(unknown.info, 0).empty());
    clut->release();
}

TEST(DisplayTexels, ShaderTexturesKeepFullDepth) {
    TestSlice s16(kPixelS16, 3, 1, std::vector<int16_t>{-32768, -1, 32767});
    TexelBuffer t = buildShaderTexels(s16.info, 0);
    ASSERT_EQ(TexelBuffer::Layout::Ai88, t.layout);
    EXPECT_EQ(6, t.byteCount);
    EXPECT_EQ(0, valueAt(t, 0));
    EXPECT_EQ(32767, valueAt(t, 1));
    EXPECT_EQ(65535, valueAt(t, 2));

    // Float: the frame's range spreads over 0..65535.
    TestSlice f32(kPixelF32, 3, 1, std::vector<float>{-10.0f, 0.0f, 10.0f});
    t = buildShaderTexels(f32.info, 0);
    EXPECT_EQ(0, valueAt(t, 0));
    EXPECT_EQ(32767, valueAt(t, 1));
    EXPECT_EQ(65535, valueAt(t, 2));
    EXPECT_FLOAT_EQ(65535.0f / 20.0f, t.valueScale);
    EXPECT_FLOAT_EQ(10.0f * 65535.0f / 20.0f, t.valueOffset);

    // All samples equal: range 1 and zeros.
    TestSlice flat(kPixelF32, 2, 1, std::vector<float>{3.0f, 3.0f});
    t = buildShaderTexels(flat.info, 0);
    EXPECT_FLOAT_EQ(65535.0f, t.valueScale);
    EXPECT_EQ(0, valueAt(t, 0));
    EXPECT_EQ(0, valueAt(t, 1));

    // One infinite or NaN sample does not flatten the others.
    const float inf = std::numeric_limits<float>::infinity();
    TestSlice odd(kPixelF32, 5, 1, std::vector<float>{0.0f, 1.0f, inf, -inf, std::nanf("")});
    t = buildShaderTexels(odd.info, 0);
    EXPECT_EQ(0, valueAt(t, 0));
    EXPECT_EQ(65535, valueAt(t, 1));
    EXPECT_EQ(65535, valueAt(t, 2));
    EXPECT_EQ(0, valueAt(t, 3));
    EXPECT_EQ(0, valueAt(t, 4));
}

TEST(DisplayTexels, ZeroWidthWindowsGiveFiniteUniforms) {
    for (int type : {kPixelU8, kPixelS16, kPixelF32, kPixelU16, kPixelRGB8}) {
        for (float width : {0.0f, -3.0f, 0.25f}) {
            WindowUniforms u = computeWindowUniforms(type, width, 40.0f, 0, 3.0f, 7.0f);
            EXPECT_TRUE(std::isfinite(u.wwLinear)) << type;
            EXPECT_TRUE(std::isfinite(u.wwLogRatio)) << type;
            EXPECT_GT(u.wwMax, u.wwMin) << type;
        }
    }
    WindowUniforms u = computeWindowUniforms(kPixelS16, 400.0f, 40.0f, 7, 1.0f, 0.0f);
    EXPECT_EQ(0, u.curve); // unknown curves draw linear
    EXPECT_FLOAT_EQ(40.0f + 32768.0f - 200.0f, u.wwMin);
    EXPECT_FLOAT_EQ(255.0f / 400.0f, u.wwLinear);
    EXPECT_FLOAT_EQ(9.0f / 400.0f, u.wwLogRatio);
    EXPECT_EQ(1, u.pt);
    EXPECT_EQ(2, computeWindowUniforms(kPixelRGB8, 1.0f, 1.0f, 0, 1.0f, 0.0f).pt);
}
