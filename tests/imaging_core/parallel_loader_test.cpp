// Series loading on several decoder threads at once, and the sample conversion they run.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>
#include <vector>

#include "fixtures/DicomFixture.h"
#include "fixtures/ImagingTestEnv.h"
#include "fixtures/TestReader.h"
#include "dicom/dcmTypes.h"
#include "imaging/core/cache/dcmLoadingThread.h"
#include "imaging/core/cache/isBinReader.h"
#include "imaging/core/cache/isDcmScan.h"
#include "imaging/core/data/isImageData.h"
#include "imaging/core/io/SampleConverter.h"

using namespace isImageSDK;
using imgtest::FixtureImage;

namespace {

constexpr int kSide = 32;

using Reader = imgtest::TestReader;

/// Stands for a viewer waiting for an image.
struct Owner : public cocos2d::Ref {};

class ParallelLoaderTest : public ::testing::Test {
protected:
    /// Writes and scans a CT series of `count` slices whose samples carry `intercept`.
    std::string makeSeries(const std::string& name, int count, int intercept = 0)
    {
        const std::string folder = writable.makeFolder(name);
        imgtest::writeCtSeries(
            folder, count, 1.0, [&](int, FixtureImage& image) { image.intercept = std::to_string(intercept); }, kSide,
            kSide);
        isDcmScan scanner;
        EXPECT_TRUE(scanner.createBuffer(folder));
        folders[name] = folder;
        return scanner.getCachePath(folder);
    }
    /// Every slice holds its file's samples plus the intercept.
    static void expectPixels(isImageData* image, int intercept)
    {
        for (int z = 0; z < image->getSliceCount(); ++z) {
            const isSliceInfo* slice = image->getSlice(z);
            ASSERT_EQ(slice->loaded, 1) << z;
            for (int i : {0, 1, kSide * kSide - 1}) {
                int16_t v;
                std::memcpy(&v, slice->pixels + 2 * i, 2);
                // The files store (instance * 1000 + i) cut to 16 bits; the rescale saturates.
                const int stored = static_cast<int16_t>((z + 1) * 1000 + i);
                ASSERT_EQ(v, std::min(32767, std::max(-32768, stored + intercept))) << z << " " << i;
            }
        }
    }
    static uintmax_t seriesBytes(int count) { return static_cast<uintmax_t>(kSide) * kSide * 2 * count; }

    imgtest::WritableFolder writable;
    std::map<std::string, std::string> folders;
};

} // namespace

TEST_F(ParallelLoaderTest, EverySliceIsFilledAndCountedOnceWhateverWorkerDecodesIt)
{
    const int count = 64;
    const std::string prebin = makeSeries("ct", count, -1024);
    imgtest::Recorder recorder({9109, 9111});
    Reader reader;
    ASSERT_TRUE(reader->setFile(folders["ct"], prebin));
    reader.image()->Update();
    ASSERT_NE(reader->getLoader(), nullptr);
    EXPECT_EQ(reader->getLoader()->getWorkerCount(), dcmLoadingThread::defaultWorkerCount());
    ASSERT_TRUE(imgtest::pumpUntil([&] { return reader->rawCacheExists() && recorder.count(9111) == 1; }));
    imgtest::pumpFrames(5);

    expectPixels(reader.image(), -1024);
    EXPECT_EQ(reader->getLoadedCount(), count);
    EXPECT_EQ(recorder.count(9111), 1);
    // Progress is counted under the reader's lock: one report per slice, 1/count apart.
    const auto progress = recorder.of(9109);
    ASSERT_EQ(progress.size(), static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        EXPECT_FLOAT_EQ(progress[static_cast<size_t>(i)].floatValue, static_cast<float>(i + 1) / count) << i;
    EXPECT_EQ(std::filesystem::file_size(reader->rawPath()), seriesBytes(count));
}

TEST_F(ParallelLoaderTest, SwitchingBackAndForthWhileLoadingKeepsOnlyTheLastSeries)
{
    const int count = 48;
    const std::string first = makeSeries("first", count, 0);
    const std::string second = makeSeries("second", count, 7);
    imgtest::Recorder recorder({9111});
    Reader reader;
    for (int round = 0; round < 6; ++round) {
        const bool even = round % 2 == 0;
        ASSERT_TRUE(reader->setFile(folders[even ? "first" : "second"], even ? first : second));
        reader.image()->Update();
        imgtest::pumpFrames(round % 3);
    }
    // The last opened is the second series.
    ASSERT_TRUE(imgtest::pumpUntil([&] { return reader->isAllLoaded() && reader->rawCacheExists(); }));
    expectPixels(reader.image(), 7);
    EXPECT_EQ(reader->getLoadedCount(), count);
    // A pixel file of an abandoned load exists only if that load had completed.
    const std::string firstRaw = isDcmScan::cacheFileFor(folders["first"], ".raw");
    if (std::filesystem::exists(firstRaw)) {
        EXPECT_EQ(std::filesystem::file_size(firstRaw), seriesBytes(count));
    }
}

TEST_F(ParallelLoaderTest, SwitchingAwayAsThePixelFileIsWrittenLeavesNoPartOfIt)
{
    const int count = 40;
    const std::string first = makeSeries("written", count, 0);
    const std::string second = makeSeries("next", 8, 3);
    imgtest::Recorder recorder({9111});
    Reader reader;
    ASSERT_TRUE(reader->setFile(folders["written"], first));
    reader.image()->Update();
    // The last slice's loader writes the pixel file without the lock; switch right then.
    ASSERT_TRUE(imgtest::pumpUntil([&] { return reader->isAllLoaded(); }));
    ASSERT_TRUE(reader->setFile(folders["next"], second));
    reader.image()->Update();
    ASSERT_TRUE(imgtest::pumpUntil([&] { return reader->isAllLoaded() && reader->rawCacheExists(); }));
    expectPixels(reader.image(), 3);

    const std::string firstRaw = isDcmScan::cacheFileFor(folders["written"], ".raw");
    const bool firstWritten = std::filesystem::exists(firstRaw);
    if (firstWritten) {
        EXPECT_EQ(std::filesystem::file_size(firstRaw), seriesBytes(count));
    }
    // One 9111 per pixel file written, and no temporary file left behind.
    const int written = firstWritten ? 2 : 1;
    ASSERT_TRUE(imgtest::pumpUntil([&] { return recorder.count(9111) >= written; }));
    imgtest::pumpFrames(5);
    EXPECT_EQ(recorder.count(9111), written);
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(firstRaw).parent_path()))
        EXPECT_EQ(entry.path().string().find(".part"), std::string::npos) << entry.path();
}

TEST_F(ParallelLoaderTest, ReleasingTheReaderMidLoadStopsEveryWorker)
{
    const int count = 80;
    const std::string prebin = makeSeries("dropped", count);
    for (int frames = 0; frames < 3; ++frames) {
        {
            Reader reader;
            ASSERT_TRUE(reader->setFile(folders["dropped"], prebin));
            reader.image()->Update();
            imgtest::pumpFrames(frames);
        } // joins the loader and its helpers; a late slice must not reach the freed reader
        const std::string raw = isDcmScan::cacheFileFor(folders["dropped"], ".raw");
        if (std::filesystem::exists(raw)) {
            EXPECT_EQ(std::filesystem::file_size(raw), seriesBytes(count));
        }
        std::filesystem::remove(raw);
    }
    imgtest::pumpFrames(3);
}

TEST_F(ParallelLoaderTest, AnObserverOfAnImageThatHasArrivedIsToldAtOnceAndOnce)
{
    const int count = 24;
    const std::string prebin = makeSeries("arrived", count);
    auto* owner = new Owner();
    {
        imgtest::Recorder told({9108}, owner);
        Reader reader;
        ASSERT_TRUE(reader->setFile(folders["arrived"], prebin));
        reader.image()->Update();
        ASSERT_TRUE(imgtest::pumpUntil([&] { return reader->isAllLoaded(); }));
        const std::string path = folders["arrived"] + "/slice_1005.dcm";
        reader->addObserver(owner, path);
        reader->addObserver(owner, path);
        ASSERT_TRUE(imgtest::pumpUntil([&] { return told.count(9108) > 0; }));
        imgtest::pumpFrames(5);
        EXPECT_EQ(told.count(9108), 1);

        // Opened again from the pixel file: no loader at all, and still told.
        Reader again;
        ASSERT_TRUE(imgtest::pumpUntil([&] { return reader->rawCacheExists(); }));
        ASSERT_TRUE(again->setFile(folders["arrived"], prebin));
        again.image()->Update();
        ASSERT_EQ(again->getLoader(), nullptr);
        again->addObserver(owner, path);
        ASSERT_TRUE(imgtest::pumpUntil([&] { return told.count(9108) == 2; }));
        // A file that is not in the series is never told.
        again->addObserver(owner, folders["arrived"] + "/other.dcm");
        imgtest::pumpFrames(5);
        EXPECT_EQ(told.count(9108), 2);
    }
    owner->release();
}

TEST_F(ParallelLoaderTest, ALoaderWithoutWorkIsStoppedWithoutThreads)
{
    Reader reader;
    const std::string prebin = makeSeries("idle", 2);
    ASSERT_TRUE(reader->setFile(folders["idle"], prebin));
    reader.image()->Update();
    ASSERT_TRUE(imgtest::pumpUntil([&] { return reader->isAllLoaded(); }));
    reader->clear(); // stops and joins the loader whose queue is empty
    EXPECT_EQ(reader->getLoader(), nullptr);
}

namespace {

/// A slice with its own buffer of `count` samples of the given type and rescale.
struct TestSlice {
    TestSlice(int32_t type, int count, float slope, float intercept, int32_t displayCode)
        : buffer(static_cast<size_t>(count) * 4, 0xAB)
    {
        slice.pixelType = type;
        slice.columns = count;
        slice.rows = 1;
        slice.slope = slope;
        slice.intercept = intercept;
        slice.displayCode = displayCode;
        slice.pixels = buffer.data();
    }
    template <class T> T at(int i) const
    {
        T v;
        std::memcpy(&v, buffer.data() + sizeof(T) * i, sizeof(T));
        return v;
    }
    std::vector<uint8_t> buffer;
    isSliceInfo slice;
};

int clamp(int v, int lo, int hi) { return std::min(hi, std::max(lo, v)); }

} // namespace

TEST(SampleConversion, SignedSamplesWithAnOffsetSaturateAtBothEndsUpToTheLastSample)
{
    // 21 samples: whole vector blocks and a scalar tail, with the type's extremes in both.
    std::vector<int16_t> source = {-32768, -32767, -31000, -2, -1, 0, 1, 2, 100, 1023, 1024,
                                   1025, 31000, 32000, 32767, -32768, 32767, -1000, 5, 32767, -32768};
    for (float intercept : {-1024.0f, 1024.0f, -32768.0f, 32767.0f}) {
        TestSlice t(kPixelS16, static_cast<int>(source.size()), 1.0f, intercept, 1);
        ASSERT_TRUE(convertSamples(source.data(), dcmSDK::PIXEL_GRAY16, static_cast<int64_t>(source.size()), t.slice));
        for (size_t i = 0; i < source.size(); ++i)
            EXPECT_EQ(t.at<int16_t>(static_cast<int>(i)), clamp(source[i] + static_cast<int>(intercept), -32768, 32767))
                << intercept << " at " << i;
        // Nothing beyond the slice is written.
        EXPECT_EQ(t.buffer[source.size() * 2], 0xAB);
    }
}

TEST(SampleConversion, SamplesAreCopiedAsTheyAreOnlyUnderAnIdentityOfTheSameSign)
{
    // Unsigned samples above 32767 in a signed slice saturate instead of turning negative.
    const std::vector<uint16_t> big = {40000, 32767, 65535, 3};
    TestSlice s16(kPixelS16, 4, 1.0f, 0.0f, 0);
    ASSERT_TRUE(convertSamples(big.data(), dcmSDK::PIXEL_GRAY16, 4, s16.slice));
    EXPECT_EQ(s16.at<int16_t>(0), 32767);
    EXPECT_EQ(s16.at<int16_t>(2), 32767);
    EXPECT_EQ(s16.at<int16_t>(3), 3);

    // Signed samples below zero in an unsigned slice stop at 0.
    const std::vector<int16_t> negative = {-5, 7};
    TestSlice u16(kPixelU16, 2, 1.0f, 0.0f, 1);
    ASSERT_TRUE(convertSamples(negative.data(), dcmSDK::PIXEL_GRAY16, 2, u16.slice));
    EXPECT_EQ(u16.at<uint16_t>(0), 0);
    EXPECT_EQ(u16.at<uint16_t>(1), 7);

    // A slice of a signed volume whose own slope is not 1 is rescaled, not copied.
    const std::vector<int16_t> samples = {100, -100, 30000};
    TestSlice steep(kPixelS16, 3, 1.5f, 0.0f, 1);
    ASSERT_TRUE(convertSamples(samples.data(), dcmSDK::PIXEL_GRAY16, 3, steep.slice));
    EXPECT_EQ(steep.at<int16_t>(0), 150);
    EXPECT_EQ(steep.at<int16_t>(1), -150);
    EXPECT_EQ(steep.at<int16_t>(2), 32767);

    // Identity of the same sign is a plain copy, every bit kept.
    TestSlice same(kPixelS16, 3, 1.0f, 0.0f, 1);
    ASSERT_TRUE(convertSamples(samples.data(), dcmSDK::PIXEL_GRAY16, 3, same.slice));
    EXPECT_EQ(std::memcmp(same.buffer.data(), samples.data(), 6), 0);
}

TEST(SampleConversion, UnsignedSamplesWithIntegralRescaleAndFloatSlices)
{
    const std::vector<uint16_t> source = {0, 1, 1000, 4095, 65535, 20000, 7, 8, 9, 10, 11};
    TestSlice s16(kPixelS16, 11, 2.0f, -1024.0f, 0);
    ASSERT_TRUE(convertSamples(source.data(), dcmSDK::PIXEL_GRAY16, 11, s16.slice));
    for (int i = 0; i < 11; ++i) EXPECT_EQ(s16.at<int16_t>(i), clamp(source[i] * 2 - 1024, -32768, 32767)) << i;

    TestSlice f32(kPixelF32, 11, 0.5f, 10.0f, 0);
    ASSERT_TRUE(convertSamples(source.data(), dcmSDK::PIXEL_GRAY16, 11, f32.slice));
    for (int i = 0; i < 11; ++i) EXPECT_FLOAT_EQ(f32.at<float>(i), source[i] * 0.5f + 10.0f) << i;

    // A library format that cannot feed the slice leaves it untouched.
    TestSlice grey8(kPixelU8, 4, 1.0f, 0.0f, 0);
    EXPECT_FALSE(convertSamples(source.data(), dcmSDK::PIXEL_GRAY16, 4, grey8.slice));
    EXPECT_EQ(grey8.buffer[0], 0xAB);
}
