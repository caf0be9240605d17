// Sound effects: WAV reading with every size bounded by the file, the project's two effects,
// and quiet success without a sound device.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "audio/SimpleAudioEngine.h"
#include "audio/WavFile.h"
#include "platform/FileUtils.h"
#include "support/TestSupport.h"

using namespace CocosDenshion;

namespace {

void put32(std::vector<uint8_t>& b, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void put16(std::vector<uint8_t>& b, uint16_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}

void tag(std::vector<uint8_t>& b, const char* t) {
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<uint8_t>(t[i]));
}

// A WAV file; dataSize is what the header claims, dataBytes what follows it.
std::vector<uint8_t> wav(uint16_t format, uint16_t channels, uint32_t rate, uint16_t bits, uint32_t dataSize,
                         size_t dataBytes, bool extraChunk = false) {
    std::vector<uint8_t> b;
    tag(b, "RIFF");
    put32(b, 0);
    tag(b, "WAVE");
    if (extraChunk) { // an odd-sized chunk before the format: padded to an even size
        tag(b, "LIST");
        put32(b, 3);
        b.insert(b.end(), {1, 2, 3, 0});
    }
    tag(b, "fmt ");
    put32(b, 16);
    put16(b, format);
    put16(b, channels);
    put32(b, rate);
    put32(b, rate * channels * bits / 8);
    put16(b, static_cast<uint16_t>(channels * bits / 8));
    put16(b, bits);
    tag(b, "data");
    put32(b, dataSize);
    b.insert(b.end(), dataBytes, 0x11);
    return b;
}

} // namespace

TEST(UiAudioTest, WavFilesAreReadWithinTheirBytes) {
    WavFile w;
    std::string error;
    ASSERT_TRUE(w.parse(wav(1, 2, 8000, 16, 32000, 32000, true), &error)) << error;
    EXPECT_EQ(2, w.channels);
    EXPECT_EQ(16, w.bitsPerSample);
    EXPECT_EQ(32000u, w.samples.size());
    EXPECT_DOUBLE_EQ(1.0, w.durationSeconds());

    // A data size larger than the file gets what is there, cut to whole frames.
    ASSERT_TRUE(w.parse(wav(1, 2, 8000, 16, 0xFFFFFFF0u, 1003), &error));
    EXPECT_EQ(1000u, w.samples.size());

    EXPECT_FALSE(w.parse(wav(3, 1, 8000, 32, 8, 8), &error)); // float samples
    EXPECT_EQ("not PCM", error);
    EXPECT_FALSE(w.parse(wav(1, 6, 8000, 16, 8, 8), &error));
    EXPECT_FALSE(w.parse(wav(1, 1, 0, 16, 8, 8), &error));
    EXPECT_FALSE(w.parse({'R', 'I', 'F', 'F'}, &error));
    std::vector<uint8_t> cut = wav(1, 1, 8000, 8, 4, 4);
    cut.resize(20 + 8); // the format chunk ends early
    EXPECT_FALSE(w.parse(cut, &error));
}

TEST(UiAudioTest, TheProjectEffectsLoadAndPlayWithOrWithoutADevice) {
    cocos2d::FileUtils::getInstance()->addSearchPath(QP_SOURCE_DIR, true);
    SimpleAudioEngine* audio = SimpleAudioEngine::getInstance();
    EXPECT_TRUE(audio->preloadEffect("res/dingdong.wav"));
    EXPECT_TRUE(audio->preloadEffect("res/waterfall.wav"));
    EXPECT_TRUE(audio->preloadEffect("res/dingdong.wav")); // once is kept
    EXPECT_EQ(2u, audio->getPreloadedCount());
    unsigned int a = audio->playEffect("res/dingdong.wav");
    unsigned int b = audio->playEffect("res/waterfall.wav", false, 1.0f, -2.0f, 0.5f);
    EXPECT_NE(0u, a);
    EXPECT_NE(a, b);
    audio->stopEffect(a);
    audio->stopEffect(12345); // unknown: nothing
    audio->setEffectsVolume(3.0f);
    EXPECT_FLOAT_EQ(1.0f, audio->getEffectsVolume());
    audio->stopAllEffects();
    audio->unloadEffect("res/waterfall.wav");
    EXPECT_EQ(1u, audio->getPreloadedCount());

    qptest::TempDir dir;
    qptest::writeFile(dir.file("noise.wav"), "not a sound");
    EXPECT_FALSE(audio->preloadEffect(dir.file("noise.wav").c_str()));
    EXPECT_EQ(0u, audio->playEffect(dir.file("missing.wav").c_str()));
    EXPECT_EQ(0u, audio->playEffect(nullptr));
    SimpleAudioEngine::end();
}
