// Colour lookup tables for 8-bit, signed 16-bit and float images, and the window notification.

#include <gtest/gtest.h>

#include <cmath>

#include "fixtures/ImagingTestEnv.h"
#include "imaging/core/clut/isClut.h"

using namespace isImageSDK;

namespace {

struct Clut {
    Clut() : clut(new isClut()) { clut->init(); }
    ~Clut() { clut->release(); }
    isClut* operator->() { return clut; }
    int at(int storedValue) const { return clut->lut[storedValue - clut->inputMin]; }
    isClut* clut;
};

} // namespace

TEST(Clut, EightBitTables)
{
    Clut clut;
    for (int v = 0; v < 256; ++v) ASSERT_EQ(clut.at(v), v);
    uint8_t rgb[768];
    clut->getRGBTable(rgb);
    EXPECT_EQ(rgb[3 * 200], 200);
    EXPECT_EQ(rgb[3 * 200 + 2], 200);

    clut->setWindowLevelInt(100, 50);
    for (int x = 0; x <= 100; ++x) ASSERT_EQ(clut.at(x), 255 * x / 100) << x;
    EXPECT_EQ(clut.at(50), 127);
    for (int x = 101; x < 256; ++x) ASSERT_EQ(clut.at(x), 255);

    // A zero width still yields a step instead of dividing by zero.
    clut->setWindowLevelInt(0, 100);
    EXPECT_EQ(clut.at(99), 0);
    EXPECT_EQ(clut.at(101), 255);
}

TEST(Clut, SignedSixteenBitAndCurves)
{
    Clut clut;
    clut->configureForPixelType(kPixelS16);
    clut->setWindowLevelInt(400, 40); // -160 .. 240
    EXPECT_EQ(clut.at(-32768), 0);
    EXPECT_EQ(clut.at(-161), 0);
    EXPECT_EQ(clut.at(-160), 0);
    EXPECT_EQ(clut.at(40), 127);
    EXPECT_EQ(clut.at(240), 255);
    EXPECT_EQ(clut.at(32767), 255);

    clut->setWindowLevelInt(10, 5); // 0 .. 10
    clut->setCurve(isClut::kLogarithmic);
    EXPECT_EQ(clut.at(0), 0);
    EXPECT_EQ(clut.at(10), 255);
    const int logRiseStart = clut.at(1) - clut.at(0), logRiseEnd = clut.at(10) - clut.at(9);
    EXPECT_GT(logRiseStart, logRiseEnd);
    clut->setCurve(isClut::kInverseLogarithmic);
    EXPECT_EQ(clut.at(0), 0);
    EXPECT_EQ(clut.at(10), 255);
    EXPECT_LT(clut.at(1) - clut.at(0), clut.at(10) - clut.at(9));
}

TEST(Clut, FloatModeKeepsExactWindowAndPostsItOnce)
{
    imgtest::Recorder recorder({9072});
    Clut clut;
    clut->configureForPixelType(kPixelF32);
    clut->setWindowLevel(100.0f, 50.0f);
    clut->setWindowLevel(100.005f, 50.0f); // replaces the waiting post of the same window
    EXPECT_FLOAT_EQ(clut->windowWidth, 100.005f);
    imgtest::pumpUntil([&] { return recorder.count(9072) > 0; }, 5);
    imgtest::pumpFrames(3);
    ASSERT_EQ(recorder.count(9072), 1);
    EXPECT_EQ(recorder.all[0].text, "{\"ww\":\"100.0\",\"wl\":\"50.0\"}");

    Clut grey;
    grey->setWindowLevel(100.9f, 50.0f); // truncated to 100
    EXPECT_FLOAT_EQ(grey->windowWidth, 100.0f);
    grey->setWindowLevelInt(100, 50); // unchanged, still announced
    imgtest::pumpUntil([&] { return recorder.count(9072) >= 3; }, 5);
    ASSERT_EQ(recorder.count(9072), 3);
    EXPECT_EQ(recorder.all[2].text, "{\"ww\":\"100\",\"wl\":\"50\"}");
    grey->setWindowLevel(std::nanf(""), 50.0f); // no window at all: ignored
    EXPECT_FLOAT_EQ(grey->windowWidth, 100.0f);
    grey->setWindowLevel(1.0e20f, -1.0e20f); // beyond int range: clamped, not undefined
    EXPECT_FLOAT_EQ(grey->windowWidth, 1.0e9f);
    EXPECT_FLOAT_EQ(grey->windowLevel, -1.0e9f);
}
