// Scanning series folders into ".prebin" files, checked byte by byte at their offsets.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <utime.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <filesystem>

#include "fixtures/DicomFixture.h"
#include "dicom/dcmCallbacks.h"
#include "fixtures/ImagingTestEnv.h"
#include "imaging/core/cache/KeyHash.h"
#include "imaging/core/cache/isDcmScan.h"

using namespace isImageSDK;
using imgtest::FixtureImage;

namespace {

int32_t i32(const std::string& b, size_t off)
{
    int32_t v;
    std::memcpy(&v, b.data() + off, 4);
    return v;
}
uint16_t u16(const std::string& b, size_t off)
{
    uint16_t v;
    std::memcpy(&v, b.data() + off, 2);
    return v;
}
float f32(const std::string& b, size_t off)
{
    float v;
    std::memcpy(&v, b.data() + off, 4);
    return v;
}
std::string str(const std::string& b, size_t off)
{
    return std::string(b.c_str() + off);
}

/// The path block that ends a file of `records` bytes after the header.
std::string pathBlock(const std::string& b, size_t start)
{
    const int32_t length = i32(b, start);
    EXPECT_EQ(b.size(), start + 16 + static_cast<size_t>(length));
    return b.substr(start + 16, static_cast<size_t>(length));
}

class SeriesScanTest : public ::testing::Test {
protected:
    std::string scan(const std::string& folder)
    {
        isDcmScan scanner;
        if (!scanner.createBuffer(folder)) return std::string();
        const std::string path = scanner.getCachePath(folder);
        EXPECT_FALSE(path.empty());
        return qptest::readFile(path);
    }
    imgtest::WritableFolder writable;
};

constexpr size_t kHeader = 68, kImage = 712, kVolume = 596, kSlice = 96;

} // namespace

TEST(KeyHash, KnownAnswers)
{
    EXPECT_EQ(keyHash(""), 0x4fd0bfc1u);
    EXPECT_EQ(keyHash("a"), 0x296230c0u);
    EXPECT_EQ(keyHash("foobar"), 0x72ad2699u);
}

TEST_F(SeriesScanTest, CacheNamesFollowTheFolderBelowTheWritablePath)
{
    const std::string inside = writable.path() + "store/series1";
    const std::string prebin = isDcmScan::cacheFileFor(inside, ".prebin");
    EXPECT_EQ(prebin, isDcmScan::cacheFileFor(inside + "/", ".prebin"));
    EXPECT_EQ(prebin, writable.path() + "qp/tmp/dcmbuf/" + std::to_string(keyHash("store/series1/")) + ".prebin");
    EXPECT_EQ(isDcmScan::cacheFileFor(inside, ".raw"),
              writable.path() + "qp/tmp/dcmbuf/" + std::to_string(keyHash("store/series1/")) + ".raw");
    EXPECT_NE(prebin, isDcmScan::cacheFileFor(writable.path() + "store/series2", ".prebin"));
    // A folder elsewhere keeps its whole path: it cannot take the name of a folder inside.
    const std::string elsewhere = "/media/cd/" + std::string(writable.path().size() - 10, 'x') + "store/series1/";
    EXPECT_NE(isDcmScan::cacheFileFor(elsewhere, ".prebin"), prebin);
    EXPECT_EQ(isDcmScan::cacheFileFor(elsewhere, ".prebin"),
              writable.path() + "qp/tmp/dcmbuf/" + std::to_string(keyHash(elsewhere)) + ".prebin");
}

TEST_F(SeriesScanTest, ShuffledCtSliceFilesMakeAVolume)
{
    const std::string folder = writable.makeFolder("study/ct");
    const int order[6] = {3, 0, 5, 1, 4, 2}; // file i holds the slice with instance order[i] + 1
    imgtest::writeCtSeries(folder, 6, 0.7, [&](int i, FixtureImage& image) {
        image.instance = order[i] + 1;
        image.position = "-10\\-20\\" + std::to_string(order[i] * 0.7);
        image.pixelSpacing = "0.6\\0.4";
        image.intercept = "-1024";
        image.windowCenter = "40\\50";
        image.windowWidth = "400";
        image.extra[{0x0008, 0x0080}] = "General Hospital";
        image.extra[{0x0008, 0x103E}] = "Chest 0.7";
        image.extra[{0x0008, 0x0021}] = "20240305";
        image.extra[{0x0008, 0x0031}] = "101112";
        image.extra[{0x0010, 0x1010}] = "045Y";
    });
    qptest::writeFile(folder + "/notes.txt", "not DICOM");
    const std::string b = scan(folder);
    ASSERT_GE(b.size(), kHeader + kVolume + 6 * kSlice + 16);

    EXPECT_EQ(str(b, 0), "ISImage.prebin");
    EXPECT_EQ(str(b, 15), "v3.0");
    EXPECT_GE(i32(b, 20), 2024); // creation year
    EXPECT_EQ(str(b, 44), "volume");
    EXPECT_EQ(u16(b, 64), 6);

    const size_t v = kHeader;
    EXPECT_EQ(i32(b, v + 0), 6);  // columns
    EXPECT_EQ(i32(b, v + 4), 4);  // rows
    EXPECT_EQ(i32(b, v + 8), 6);  // images
    EXPECT_FLOAT_EQ(f32(b, v + 12), 0.4f);
    EXPECT_FLOAT_EQ(f32(b, v + 16), 0.6f);
    EXPECT_NEAR(f32(b, v + 20), 0.7f, 1e-5);
    EXPECT_EQ(i32(b, v + 24), 0);  // facing
    EXPECT_EQ(i32(b, v + 28), 0);  // head first
    // Row-major matrix: row x = (1, 0, 0, -10); the first slice sits at z = 0 -> display y = 0.
    EXPECT_FLOAT_EQ(f32(b, v + 32), 1.0f);
    EXPECT_FLOAT_EQ(f32(b, v + 32 + 12), -10.0f);
    EXPECT_FLOAT_EQ(f32(b, v + 32 + 4 * 7), 0.0f);
    EXPECT_FLOAT_EQ(f32(b, v + 32 + 4 * 11), 20.0f); // -y
    EXPECT_FLOAT_EQ(f32(b, v + 32 + 4 * 15), 1.0f);
    EXPECT_EQ(i32(b, v + 96), 0); // CT
    EXPECT_EQ(str(b, v + 100), "General Hospital");
    EXPECT_EQ(str(b, v + 200), "Chest 0.7");
    EXPECT_EQ(i32(b, v + 456), 2024);
    EXPECT_EQ(i32(b, v + 456 + 20), 12);
    EXPECT_EQ(str(b, v + 480), "Test^Patient");
    EXPECT_EQ(str(b, v + 500), "P1");
    EXPECT_EQ(b[v + 520], 'F');
    EXPECT_EQ(str(b, v + 521), "045Y");
    EXPECT_EQ(str(b, v + 540), "77");
    EXPECT_EQ(str(b, v + 560), "3");
    EXPECT_EQ(i32(b, v + 580), 1); // signed 16-bit
    EXPECT_FLOAT_EQ(f32(b, v + 584), 400.0f);
    EXPECT_FLOAT_EQ(f32(b, v + 588), 40.0f);

    for (int i = 0; i < 6; ++i) {
        const size_t s = kHeader + kVolume + i * kSlice;
        EXPECT_EQ(i32(b, s + 0), i + 1) << i; // ascending instance numbers
        EXPECT_EQ(i32(b, s + 4), 16);
        EXPECT_FLOAT_EQ(f32(b, s + 8), -1024.0f);
        EXPECT_FLOAT_EQ(f32(b, s + 12), 1.0f);
        EXPECT_EQ(i32(b, s + 16), 1);
    }
    EXPECT_EQ(pathBlock(b, kHeader + kVolume + 6 * kSlice),
              "slice_1001.dcm,slice_1003.dcm,slice_1005.dcm,slice_1000.dcm,slice_1004.dcm,slice_1002.dcm");
}

TEST_F(SeriesScanTest, AMissingSliceMakesASeriesSortedByInstance)
{
    const std::string folder = writable.makeFolder("ct_gap");
    imgtest::writeCtSeries(folder, 10, 0.7, [](int i, FixtureImage& image) {
        image.instance = 10 - i; // files listed against instance order
        image.position = "0\\0\\" + std::to_string((9 - i) * 0.7);
    });
    std::filesystem::remove(folder + "/slice_1004.dcm");
    const std::string b = scan(folder);
    EXPECT_EQ(str(b, 44), "series");
    ASSERT_EQ(u16(b, 64), 9);
    ASSERT_GE(b.size(), kHeader + 9 * kImage + 16);
    std::vector<int> instances;
    for (int i = 0; i < 9; ++i) instances.push_back(u16(b, kHeader + i * kImage + 580));
    EXPECT_EQ(instances, (std::vector<int>{1, 2, 3, 4, 5, 7, 8, 9, 10}));
    const size_t r = kHeader;
    EXPECT_EQ(i32(b, r + 0), 6);
    EXPECT_EQ(i32(b, r + 4), 4);
    EXPECT_EQ(u16(b, r + 16), 1);
    EXPECT_EQ(b[r + 92], 1); // geometry valid
    EXPECT_EQ(i32(b, r + 584), 1);
    EXPECT_EQ(i32(b, r + 588), 16);
    EXPECT_TRUE(pathBlock(b, kHeader + 9 * kImage).rfind("slice_1009.dcm,slice_1008.dcm", 0) == 0);
}

TEST_F(SeriesScanTest, InstanceNumbersAgainstTheNormalAreReversed)
{
    const std::string folder = writable.makeFolder("ct_reversed");
    imgtest::writeCtSeries(folder, 5, 1.25, [](int i, FixtureImage& image) {
        image.position = "0\\0\\" + std::to_string(-1.25 * i); // instance 1 highest along z
    });
    const std::string b = scan(folder);
    ASSERT_EQ(str(b, 44), "volume");
    EXPECT_NEAR(f32(b, kHeader + 20), 1.25f, 1e-5);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(i32(b, kHeader + kVolume + i * kSlice), 5 - i);
    // The first slice is now the lowest z: display y = z = -5.
    EXPECT_FLOAT_EQ(f32(b, kHeader + 32 + 4 * 7), -5.0f);
}

TEST_F(SeriesScanTest, ThingsThatAreNotOneVolume)
{
    // A multi-frame file among the slices: a series in listing order.
    const std::string multi = writable.makeFolder("multi");
    imgtest::writeCtSeries(multi, 3, 1.0, [](int i, FixtureImage& image) {
        image.instance = 3 - i;
        if (i == 1) {
            image.frames = "2";
            image.storedFrames = 2;
        }
    });
    std::string b = scan(multi);
    EXPECT_EQ(str(b, 44), "series");
    EXPECT_EQ(u16(b, kHeader + 580), 3);
    EXPECT_EQ(u16(b, kHeader + kImage + 16), 2);

    // Every image at one position: no slice spacing to build a volume with.
    const std::string stacked = writable.makeFolder("stacked");
    imgtest::writeCtSeries(stacked, 4, 0.0, [](int, FixtureImage&) {});
    b = scan(stacked);
    EXPECT_EQ(str(b, 44), "series");

    // Rows parallel to columns: no normal.
    const std::string flat = writable.makeFolder("flat");
    imgtest::writeCtSeries(flat, 3, 1.0, [](int, FixtureImage& image) { image.orientation = "1\\0\\0\\1\\0\\0"; });
    b = scan(flat);
    EXPECT_EQ(str(b, 44), "series");

    // One slice off the line through the others.
    const std::string bent = writable.makeFolder("bent");
    imgtest::writeCtSeries(bent, 4, 1.0, [](int i, FixtureImage& image) {
        if (i == 2) image.position = "0.5\\-20\\2";
    });
    b = scan(bent);
    EXPECT_EQ(str(b, 44), "series");
}

TEST_F(SeriesScanTest, MoreImagesThanTheImageCountCanHoldWriteNoCache)
{
    // The header counts images in 16 bits: 65,536 of them would be recorded as 0.
    const std::string folder = writable.makeFolder("many");
    imgtest::writeCtSeries(folder, 1, 1.0, [](int, FixtureImage&) {});
    std::string name;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) name = entry.path().filename().string();
    ASSERT_FALSE(name.empty());
    const std::string prebin = isDcmScan::cacheFileFor(folder, ".prebin");
    isDcmScan scanner;
    EXPECT_FALSE(scanner.scanSeries(folder + "/", std::vector<std::string>(65536, name), prebin));
    EXPECT_FALSE(std::filesystem::exists(prebin));
}

TEST_F(SeriesScanTest, FileNamesWithCommasAreSkippedAndEmptyFoldersWriteNothing)
{
    const std::string folder = writable.makeFolder("commas");
    imgtest::writeCtSeries(folder, 3, 1.0, [](int, FixtureImage&) {});
    FixtureImage image;
    image.instance = 9;
    ASSERT_TRUE(imgtest::writeDicom(folder + "/a,b.dcm", image));
    const std::string b = scan(folder);
    EXPECT_EQ(u16(b, 64), 3);
    EXPECT_EQ(b.find("a,b.dcm"), std::string::npos);

    isDcmScan scanner;
    const std::string empty = writable.makeFolder("empty");
    EXPECT_FALSE(scanner.createBuffer(empty));
    EXPECT_EQ(scanner.getCachePath(empty), "");
    const std::string junk = writable.makeFolder("junk");
    qptest::writeFile(junk + "/a.dcm", "DICM? no");
    EXPECT_FALSE(scanner.createBuffer(junk));
    EXPECT_EQ(scanner.getCachePath(junk), "");
    // Only the one good cache remains: no temporary or partial files.
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(isDcmScan::cacheFolder())) {
        EXPECT_EQ(entry.path().extension(), ".prebin");
        ++files;
    }
    EXPECT_EQ(files, 1);
}

namespace {
std::vector<std::string> g_dicomLog;
void keepDicomLog(const char* text) { g_dicomLog.emplace_back(text); }
} // namespace

TEST_F(SeriesScanTest, PreviewPicturesAndOwnCacheFilesAreNotReadButDamagedFilesAreReported)
{
    const std::string folder = writable.makeFolder("study/pictures");
    imgtest::writeCtSeries(folder, 3, 1.0, [](int, FixtureImage&) {});
    const std::string plain = scan(folder);
    ASSERT_GT(plain.size(), kHeader);

    const std::string png("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
    for (int i = 0; i < 3; ++i) qptest::writeFile(folder + "/thrumb" + std::to_string(i), png);
    dcmSDK::setLogCallback(keepDicomLog);
    g_dicomLog.clear();
    isDcmScan::removeCacheForStudy(folder);
    const std::string withPictures = scan(folder);
    // The same series; only the creation time may differ.
    ASSERT_EQ(withPictures.size(), plain.size());
    EXPECT_EQ(withPictures.substr(0, 20), plain.substr(0, 20));
    EXPECT_EQ(withPictures.substr(44), plain.substr(44));
    EXPECT_EQ(g_dicomLog, std::vector<std::string>());

    // Scanning a folder that holds the cache folder leaves the cache files alone too.
    EXPECT_TRUE(isDcmScan().createBuffer(writable.path()));
    EXPECT_EQ(g_dicomLog, std::vector<std::string>());

    // A damaged DICOM file among the images is still reported.
    qptest::writeFile(folder + "/broken.dcm", std::string(128, '\0') + "DICM" + std::string(40, '\xff'));
    qptest::writeFile(folder + "/thrumb6", png);
    isDcmScan::removeCacheForStudy(folder);
    EXPECT_EQ(scan(folder).substr(44), plain.substr(44));
    dcmSDK::setLogCallback(nullptr);
    const auto mentions = [](const std::string& name) {
        return std::count_if(g_dicomLog.begin(), g_dicomLog.end(),
                             [&](const std::string& line) { return line.find(name) != std::string::npos; });
    };
    EXPECT_EQ(mentions("broken.dcm"), 1);
    EXPECT_EQ(mentions("thrumb6"), 1); // not one of the study list's names
    EXPECT_EQ(mentions("thrumb0"), 0);
}

TEST_F(SeriesScanTest, HeaderCheckAndCacheRemoval)
{
    const std::string folder = writable.makeFolder("headers");
    imgtest::writeCtSeries(folder, 2, 1.0, [](int, FixtureImage&) {});
    isDcmScan scanner;
    ASSERT_TRUE(scanner.createBuffer(folder));
    const std::string prebin = scanner.getCachePath(folder);
    EXPECT_TRUE(isDcmScan::checkPrebinHeader(prebin));

    std::string bytes = qptest::readFile(prebin);
    bytes[17] = '1'; // "v3.1"
    const std::string other = writable.path() + "other.prebin";
    qptest::writeFile(other, bytes);
    EXPECT_FALSE(isDcmScan::checkPrebinHeader(other));
    qptest::writeFile(other, bytes.substr(0, 67));
    EXPECT_FALSE(isDcmScan::checkPrebinHeader(other));

    // A new scan drops pixels stored for the earlier description of the folder.
    const std::string raw = isDcmScan::cacheFileFor(folder, ".raw");
    qptest::writeFile(raw, "pixels");
    ASSERT_TRUE(scanner.createBuffer(folder));
    EXPECT_FALSE(std::filesystem::exists(raw));

    qptest::writeFile(raw, "pixels");
    scanner.removeCache(folder);
    EXPECT_FALSE(std::filesystem::exists(prebin));
    EXPECT_FALSE(std::filesystem::exists(raw));

    qptest::writeFile(raw, "pixels");
    isDcmScan::removeCacheForStudy(folder + "/");
    EXPECT_FALSE(std::filesystem::exists(raw));
}

TEST_F(SeriesScanTest, ClearBufferDropsWeekOldPixelFilesOnly)
{
    isDcmScan scanner;
    scanner.getCachePath(writable.path()); // creates the cache folder
    const std::string dir = isDcmScan::cacheFolder();
    qptest::writeFile(dir + "1.raw", "old");
    qptest::writeFile(dir + "2.raw", "new");
    qptest::writeFile(dir + "1.prebin", "old description");
    const time_t eightDays = std::time(nullptr) - 8 * 24 * 3600;
    struct utimbuf times = {eightDays, eightDays};
    utime((dir + "1.raw").c_str(), &times);
    utime((dir + "1.prebin").c_str(), &times);
    scanner.clearBuffer();
    EXPECT_FALSE(std::filesystem::exists(dir + "1.raw"));
    EXPECT_TRUE(std::filesystem::exists(dir + "2.raw"));
    EXPECT_TRUE(std::filesystem::exists(dir + "1.prebin"));
}
