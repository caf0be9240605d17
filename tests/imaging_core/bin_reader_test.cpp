// Opening series from the cache: background loading, progress, the ".raw" file and damaged caches.

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "fixtures/DicomFixture.h"
#include "fixtures/ImagingTestEnv.h"
#include "fixtures/TestReader.h"
#include "imaging/core/cache/KeyHash.h"
#include "imaging/core/cache/PrebinFormat.h"
#include "imaging/core/cache/dcmLoadingThread.h"
#include "imaging/core/cache/isBinReader.h"
#include "imaging/core/cache/isDcmScan.h"
#include "imaging/core/cache/loadingRequest.h"
#include "imaging/core/data/isImageData.h"
#include "imaging/core/io/isDcmReader.h"

using namespace isImageSDK;
using imgtest::FixtureImage;

namespace {

constexpr int kRows = 16, kColumns = 20;

using Reader = imgtest::TestReader;

/// A bare reference-counted object to stand for a viewer that waits for an image.
struct Owner : public cocos2d::Ref {};

class BinReaderTest : public ::testing::Test {
protected:
    /// Writes and scans a CT series; returns its ".prebin" path.
    std::string makeSeries(const std::string& name, int count)
    {
        folder = writable.makeFolder(name);
        imgtest::writeCtSeries(folder, count, 2.0, [](int, FixtureImage&) {}, kRows, kColumns);
        isDcmScan scanner;
        EXPECT_TRUE(scanner.createBuffer(folder));
        return scanner.getCachePath(folder);
    }
    bool open(Reader& reader, const std::string& prebin)
    {
        if (!reader->setFile(folder, prebin)) return false;
        reader.image()->Update();
        return reader->isHeaderValid();
    }
    static int16_t pixel(const isSliceInfo* slice, int i)
    {
        int16_t v;
        std::memcpy(&v, slice->pixels + 2 * i, 2);
        return v;
    }

    imgtest::WritableFolder writable;
    std::string folder;
};

} // namespace

TEST_F(BinReaderTest, BackgroundLoadReportsProgressAndWritesTheRawFile)
{
    const int count = 12;
    const std::string prebin = makeSeries("ct", count);
    imgtest::Recorder recorder({9109, 9111});
    {
        // No ".raw" yet: the first opening loads the images from their files in the
        // background (which may already have written it by the time the open returns).
        EXPECT_FALSE(std::filesystem::exists(isDcmScan::cacheFileFor(folder, ".raw")));
        Reader reader;
        ASSERT_TRUE(open(reader, prebin));
        EXPECT_NE(reader->getLoader(), nullptr);
        isImageData* image = reader.image();
        ASSERT_TRUE(image->isVolume());
        EXPECT_EQ(image->getSliceCount(), count);
        EXPECT_EQ(image->getSeriesKey(), "77,3");
        EXPECT_FLOAT_EQ(image->spacing[2], 2.0f);
        EXPECT_EQ(image->slices[3]->filePath, folder + "/slice_1003.dcm");

        ASSERT_TRUE(imgtest::pumpUntil([&] { return reader->isAllLoaded() && recorder.count(9111) == 1; }));
        imgtest::pumpFrames(5);
        EXPECT_EQ(recorder.count(9111), 1);
        const auto progress = recorder.of(9109);
        ASSERT_EQ(progress.size(), static_cast<size_t>(count));
        EXPECT_FLOAT_EQ(progress.back().floatValue, 1.0f);
        EXPECT_EQ(static_cast<uint32_t>(progress.front().intValue2), keyHash("77,3"));
        for (int z = 0; z < count; ++z) {
            const isSliceInfo* slice = image->getSlice(z);
            ASSERT_EQ(slice->loaded, 1);
            EXPECT_EQ(pixel(slice, 7), static_cast<int16_t>((z + 1) * 1000 + 7)) << z;
        }
        ASSERT_TRUE(reader->rawCacheExists());
        EXPECT_EQ(std::filesystem::file_size(reader->rawPath()),
                  static_cast<uintmax_t>(kRows * kColumns * 2 * count));
    }

    // The second opening is served from the ".raw" at once, without the loader.
    recorder.all.clear();
    Reader again;
    ASSERT_TRUE(open(again, prebin));
    EXPECT_TRUE(again->isAllLoaded());
    EXPECT_EQ(again->getLoader(), nullptr);
    again->prefetchPixels();
    EXPECT_EQ(pixel(again.image()->getSlice(11), 0), 12000);
    imgtest::pumpFrames(40);
    EXPECT_EQ(recorder.count(9109), 0);
}

TEST_F(BinReaderTest, ARawFileOfTheWrongSizeIsReplaced)
{
    const std::string prebin = makeSeries("short_raw", 6);
    const std::string raw = isDcmScan::cacheFileFor(folder, ".raw");
    qptest::writeFile(raw, std::string(kRows * kColumns * 2 * 6 - 1, '\x7f'));
    Reader reader;
    ASSERT_TRUE(open(reader, prebin));
    // Refused: the images are loaded from their files (the loaders may already be done).
    EXPECT_NE(reader->getLoader(), nullptr);
    ASSERT_TRUE(imgtest::pumpUntil([&] { return reader->isAllLoaded() && reader->rawCacheExists(); }));
    EXPECT_EQ(std::filesystem::file_size(raw), static_cast<uintmax_t>(kRows * kColumns * 2 * 6));
    EXPECT_EQ(pixel(reader.image()->getSlice(0), 1), 1001);
}

TEST_F(BinReaderTest, AnImageThatNoLongerMatchesNeverCompletesTheSeries)
{
    const std::string prebin = makeSeries("changed", 5);
    FixtureImage other;
    other.rows = 8;
    other.columns = 8;
    other.instance = 3;
    other.position = "-10\\-20\\4";
    ASSERT_TRUE(imgtest::writeDicom(folder + "/slice_1002.dcm", other));
    imgtest::Recorder recorder({9109, 9111});
    Reader reader;
    ASSERT_TRUE(open(reader, prebin));
    ASSERT_TRUE(imgtest::pumpUntil([&] { return recorder.count(9109) == 4; }));
    imgtest::pumpFrames(60);
    EXPECT_EQ(recorder.count(9111), 0);
    EXPECT_FALSE(reader->isAllLoaded());
    EXPECT_FALSE(reader->rawCacheExists()); // never a partial or blank pixel file
    EXPECT_EQ(reader.image()->getSlice(2)->loaded, 0);
    EXPECT_EQ(reader->getLoadedCount(), 4);
}

TEST_F(BinReaderTest, SeriesOfSeparateImagesLoadToo)
{
    folder = writable.makeFolder("mixed");
    imgtest::writeCtSeries(folder, 3, 1.0, [](int i, FixtureImage& image) {
        if (i == 1) {
            image.frames = "2";
            image.storedFrames = 2;
        }
    });
    isDcmScan scanner;
    ASSERT_TRUE(scanner.createBuffer(folder));
    Reader reader;
    ASSERT_TRUE(open(reader, scanner.getCachePath(folder)));
    EXPECT_FALSE(reader.image()->isVolume());
    ASSERT_EQ(reader.image()->getSliceCount(), 3);
    ASSERT_TRUE(imgtest::pumpUntil([&] { return reader->isAllLoaded() && reader->rawCacheExists(); }));
    EXPECT_EQ(std::filesystem::file_size(reader->rawPath()), static_cast<uintmax_t>(4 * 6 * 2 * 4));
    const isSliceInfo* twoFrames = reader.image()->getSlice(1);
    EXPECT_EQ(twoFrames->frames, 2);
    EXPECT_EQ(pixel(twoFrames, 47), 2047);

    Reader again; // separate images come back from the pixel file image by image
    ASSERT_TRUE(open(again, scanner.getCachePath(folder)));
    EXPECT_TRUE(again->isAllLoaded());
    EXPECT_EQ(pixel(again.image()->getSlice(1), 47), 2047);
    EXPECT_EQ(pixel(again.image()->getSlice(2), 0), 3000);
}

TEST_F(BinReaderTest, ObserversAreToldOnceWhenTheirImageArrives)
{
    const int count = 60;
    const std::string prebin = makeSeries("observed", count);
    Owner* first = new Owner();
    Owner* second = new Owner();
    {
        imgtest::Recorder toFirst({9108}, first);
        imgtest::Recorder toSecond({9108}, second);
        Reader reader;
        ASSERT_TRUE(reader->setFile(folder, prebin));
        reader.image()->Update();
        const std::string wanted = folder + "/slice_1059.dcm";
        reader->addObserver(first, wanted);
        reader->addObserver(first, wanted);
        reader->addObserver(second, wanted);
        ASSERT_TRUE(imgtest::pumpUntil(
            [&] { return reader->isAllLoaded() && toFirst.count(9108) > 0 && toSecond.count(9108) > 0; }));
        imgtest::pumpFrames(5);
        ASSERT_EQ(toFirst.count(9108), 1);
        ASSERT_EQ(toSecond.count(9108), 1);
        EXPECT_EQ(static_cast<uint32_t>(toFirst.all[0].intValue2), keyHash(wanted));
    }
    first->release();
    second->release();
}

TEST(LoaderOrder, NearestNeighboursOfTheWantedImageComeFirst)
{
    std::vector<loadingRequest*> requests;
    for (int i = 0; i < 10; ++i) {
        auto* r = new loadingRequest();
        r->ordinal = i;
        r->requestId = 100 + i;
        requests.push_back(r);
    }
    std::vector<loadingRequest*> order(requests.rbegin(), requests.rend());
    dcmLoadingThread::orderAround(order, 105);
    std::vector<int> ordinals;
    for (auto* r : order) ordinals.push_back(r->ordinal);
    EXPECT_EQ(ordinals, (std::vector<int>{5, 4, 6, 3, 7, 2, 8, 1, 9, 0}));

    std::vector<loadingRequest*> four(requests.begin(), requests.begin() + 4);
    dcmLoadingThread::orderAround(four, 999);
    ordinals.clear();
    for (auto* r : four) ordinals.push_back(r->ordinal);
    EXPECT_EQ(ordinals, (std::vector<int>{3, 2, 1, 0}));
    for (auto* r : requests) r->release();
}

TEST_F(BinReaderTest, TheSamePathTwiceDoesNotResetTheImage)
{
    const std::string prebin = makeSeries("twice", 3);
    Reader reader;
    ASSERT_TRUE(open(reader, prebin));
    ASSERT_TRUE(imgtest::pumpUntil([&] { return reader->isAllLoaded(); }));
    EXPECT_TRUE(reader->setFile(folder, prebin));
    EXPECT_EQ(reader.image()->getSliceCount(), 3);
    EXPECT_TRUE(reader->isAllLoaded());
}

TEST_F(BinReaderTest, DamagedCacheFilesAreDeletedAndLeaveTheImageEmpty)
{
    const std::string prebin = makeSeries("damaged", 4);
    const std::string good = qptest::readFile(prebin);
    ASSERT_GT(good.size(), 68u + 596u + 4 * 96u + 16u);
    const size_t block = 68 + 596 + 4 * 96;

    auto mutate = [&](const char* what, const std::function<void(std::string&)>& change) {
        std::string bytes = good;
        change(bytes);
        ASSERT_TRUE(qptest::writeFile(prebin, bytes)) << what;
        Reader reader;
        reader->setFile(folder, prebin);
        reader.image()->Update();
        EXPECT_EQ(reader.image()->getSliceCount(), 0) << what;
        EXPECT_FALSE(std::filesystem::exists(prebin)) << what;
        EXPECT_FALSE(reader->isAllLoaded()) << what;
    };
    auto put32 = [](std::string& b, size_t off, int32_t v) { std::memcpy(&b[off], &v, 4); };
    auto put16 = [](std::string& b, size_t off, uint16_t v) { std::memcpy(&b[off], &v, 2); };

    mutate("truncated records", [&](std::string& b) { b.resize(68 + 596 + 100); });
    mutate("count above the records", [&](std::string& b) { put16(b, 64, 60000); put32(b, 68 + 8, 60000); });
    mutate("header count differs from the volume's", [&](std::string& b) { put16(b, 64, 3); });
    mutate("path block longer than the file", [&](std::string& b) { put32(b, block, 0x7fffffff); });
    mutate("negative path block", [&](std::string& b) { put32(b, block, -5); });
    mutate("one name missing", [&](std::string& b) {
        const size_t lastComma = b.rfind(',');
        b.resize(lastComma);
        put32(b, block, static_cast<int32_t>(b.size() - block - 16));
    });
    mutate("unknown kind", [&](std::string& b) { std::memcpy(&b[44], "slices", 7); });
    mutate("zero columns", [&](std::string& b) { put32(b, 68, 0); });
    mutate("unknown pixel type", [&](std::string& b) { put32(b, 68 + 580, 9); });
    mutate("huge image", [&](std::string& b) { put32(b, 68, 65535); put32(b, 68 + 4, 65535); });
    mutate("unterminated kind", [&](std::string& b) { std::memset(&b[44], 'v', 20); });
}

TEST_F(BinReaderTest, AHeaderWithoutTheMagicIsNotOpened)
{
    const std::string prebin = makeSeries("magic", 2);
    std::string bytes = qptest::readFile(prebin);
    bytes[0] = 'X';
    qptest::writeFile(prebin, bytes);
    Reader reader;
    EXPECT_TRUE(reader->setFile(folder, prebin));
    EXPECT_FALSE(reader->isHeaderValid());
    reader.image()->Update();
    EXPECT_EQ(reader.image()->getSliceCount(), 0);
    EXPECT_FALSE(reader->isAllLoaded());
}

TEST_F(BinReaderTest, SwitchingSeriesWhileLoadingKeepsOnlyTheNewSeries)
{
    const std::string first = makeSeries("first", 60);
    const std::string firstFolder = folder;
    folder = writable.makeFolder("second");
    imgtest::writeCtSeries(folder, 7, 3.0, [](int, FixtureImage& image) { image.intercept = "5"; }, kRows, kColumns);
    isDcmScan scanner;
    ASSERT_TRUE(scanner.createBuffer(folder));
    const std::string second = scanner.getCachePath(folder);

    Reader reader;
    ASSERT_TRUE(reader->setFile(firstFolder, first));
    reader.image()->Update();
    imgtest::pumpFrames(1);
    ASSERT_TRUE(reader->setFile(folder, second));
    reader.image()->Update();
    ASSERT_TRUE(imgtest::pumpUntil([&] { return reader->isAllLoaded() && reader->rawCacheExists(); }));
    ASSERT_EQ(reader.image()->getSliceCount(), 7);
    EXPECT_EQ(reader->getLoadedCount(), 7);
    for (int z = 0; z < 7; ++z) EXPECT_EQ(pixel(reader.image()->getSlice(z), 3), (z + 1) * 1000 + 3 + 5) << z;
    // The first series may have finished before the switch (the loaders are quick with such
    // small images); a ".raw" of it must then be complete, never a partial one.
    const std::string firstRaw = isDcmScan::cacheFileFor(firstFolder, ".raw");
    if (std::filesystem::exists(firstRaw)) {
        EXPECT_EQ(std::filesystem::file_size(firstRaw), static_cast<uintmax_t>(kRows * kColumns * 2 * 60));
    }
}

TEST_F(BinReaderTest, CacheRoundTripKeepsEachImagesGeometry)
{
    // Oblique sagittal-like slices of a prone patient, 1.5 mm apart along the normal (-0.6, 0.8, 0).
    folder = writable.makeFolder("oblique");
    imgtest::writeCtSeries(folder, 4, 1.5, [](int i, FixtureImage& image) {
        image.patientPosition = "HFP";
        image.orientation = "0.8\\0.6\\0\\0\\0\\-1";
        image.position = std::to_string(5 - 0.9 * i) + "\\" + std::to_string(-7 + 1.2 * i) + "\\12";
        image.pixelSpacing = "0.9\\0.8";
    });
    isDcmScan scanner;
    ASSERT_TRUE(scanner.createBuffer(folder));
    Reader reader;
    ASSERT_TRUE(open(reader, scanner.getCachePath(folder)));
    isImageData* image = reader.image();
    ASSERT_TRUE(image->isVolume());
    ASSERT_EQ(image->getSliceCount(), 4);
    EXPECT_NEAR(image->spacing[2], 1.5f, 1e-4);
    EXPECT_EQ(image->facing, 1);

    isDcmReader* single = isDcmReader::create();
    for (int z = 0; z < 4; ++z) {
        single->setFileName(image->slices[z]->filePath);
        single->getOutputImage()->Update();
        const isSliceInfo* direct = single->getOutputImage()->getSlice(0);
        ASSERT_NE(direct, nullptr);
        for (int k = 0; k < 16; ++k)
            EXPECT_NEAR(image->slices[z]->matrix.m[k], direct->matrix.m[k], 1e-4) << "slice " << z << " m" << k;
        EXPECT_FLOAT_EQ(image->slices[z]->spacingX, direct->spacingX);
        EXPECT_FLOAT_EQ(image->slices[z]->spacingY, direct->spacingY);
    }
}

TEST_F(BinReaderTest, DamagedSeriesFilesAreDeletedToo)
{
    folder = writable.makeFolder("damaged_series");
    imgtest::writeCtSeries(folder, 3, 1.0, [](int i, FixtureImage& image) {
        if (i == 0) image.position = ""; // no position: a plain series
    });
    isDcmScan scanner;
    ASSERT_TRUE(scanner.createBuffer(folder));
    const std::string prebin = scanner.getCachePath(folder);
    const std::string good = qptest::readFile(prebin);
    ASSERT_EQ(good.substr(44, 6), "series");
    const size_t block = 68 + 3 * 712;

    auto damaged = [&](const char* what, const std::function<void(std::string&)>& change) {
        std::string bytes = good;
        change(bytes);
        ASSERT_TRUE(qptest::writeFile(prebin, bytes)) << what;
        Reader reader;
        reader->setFile(folder, prebin);
        reader.image()->Update();
        EXPECT_EQ(reader.image()->getSliceCount(), 0) << what;
        EXPECT_FALSE(std::filesystem::exists(prebin)) << what;
    };
    auto put32 = [](std::string& b, size_t off, int32_t v) { std::memcpy(&b[off], &v, 4); };
    damaged("count beyond the records", [&](std::string& b) { const uint16_t n = 4; std::memcpy(&b[64], &n, 2); });
    damaged("no images", [&](std::string& b) { std::memset(&b[64], 0, 2); });
    damaged("negative rows", [&](std::string& b) { put32(b, 68 + 712 + 4, -4); });
    damaged("frames of zero", [&](std::string& b) { const int16_t f = 0; std::memcpy(&b[68 + 16], &f, 2); });
    damaged("float image of 65535 x 65535", [&](std::string& b) {
        put32(b, 68, 65535);
        put32(b, 72, 65535);
        put32(b, 68 + 584, kPixelF32);
    });
    damaged("path block cut short", [&](std::string& b) { b.resize(block + 16 + 5); });
}
