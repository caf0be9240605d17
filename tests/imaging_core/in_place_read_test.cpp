// A scanned series' pixels read straight from where the scan found them in each file: the same
// slices as decoding the files, and a file replaced after the scan decoded as it is now.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

#include "fixtures/DicomFixture.h"
#include "fixtures/ImagingTestEnv.h"
#include "fixtures/TestReader.h"
#include "imaging/core/cache/isBinReader.h"
#include "imaging/core/cache/isDcmScan.h"
#include "imaging/core/data/isImageData.h"

using namespace isImageSDK;
using imgtest::FixtureImage;

namespace {

// Large enough that files are parsed lazily, their pixel data left on disk.
constexpr int kSide = 520;
constexpr int kSlices = 3;

using Reader = imgtest::TestReader;

class InPlaceReadTest : public ::testing::Test {
protected:
    /// Writes and scans a series; the scan's pixel locations are kept in `locations`.
    std::string makeSeries(const std::string& name, const std::function<void(FixtureImage&)>& tweak)
    {
        folder = writable.makeFolder(name);
        imgtest::writeCtSeries(folder, kSlices, 1.0, [&](int, FixtureImage& image) { tweak(image); }, kSide, kSide);
        EXPECT_TRUE(scanner.createBuffer(folder));
        locations = scanner.getPixelLocations(folder + "/");
        return scanner.getCachePath(folder);
    }
    /// Opens the series, with or without the scan's locations, and waits for every slice and
    /// the ".raw"; the ".raw" is then removed, so that the next opening reads the files again.
    void load(Reader& reader, const std::string& prebin, bool inPlace)
    {
        ASSERT_TRUE(reader->setFile(folder, prebin));
        if (inPlace) reader->setPixelLocations(locations);
        reader.image()->Update();
        ASSERT_TRUE(imgtest::pumpUntil([&] { return reader->isAllLoaded() && reader->rawCacheExists(); }));
        std::remove(reader->rawPath().c_str());
    }

    imgtest::WritableFolder writable;
    std::string folder;
    isDcmScan scanner;
    std::unordered_map<std::string, dcmSDK::PixelLocation> locations;
};

} // namespace

TEST_F(InPlaceReadTest, SlicesReadInPlaceEqualTheDecodedOnes)
{
    struct Case {
        const char* name;
        std::function<void(FixtureImage&)> tweak;
        int pixelType;
    };
    const Case cases[] = {
        // 12 of 16 bits stored, signed: the bits above are masked off and the sign extended;
        // the intercept is applied in the slice itself.
        {"ct12", [](FixtureImage& i) { i.bitsStored = 12; i.intercept = "-1024"; }, kPixelS16},
        {"unsigned12", [](FixtureImage& i) { i.bitsStored = 12; i.pixelRepresentation = 0; }, kPixelU16},
        // Float slices are wider than the samples: converted from a separate buffer.
        {"float", [](FixtureImage& i) { i.slope = "0.5"; }, kPixelF32},
        {"grey8", [](FixtureImage& i) { i.bitsAllocated = 8; i.pixelRepresentation = 0; }, kPixelU8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string prebin = makeSeries(c.name, c.tweak);
        ASSERT_EQ(locations.size(), static_cast<size_t>(kSlices));
        Reader inPlace, decoded;
        load(inPlace, prebin, true);
        load(decoded, prebin, false);
        for (int z = 0; z < kSlices; ++z) {
            const isSliceInfo* a = inPlace.image()->getSlice(z);
            const isSliceInfo* b = decoded.image()->getSlice(z);
            ASSERT_EQ(a->pixelType, c.pixelType);
            ASSERT_TRUE(a->loaded && b->loaded);
            ASSERT_EQ(a->byteSize(), b->byteSize());
            EXPECT_EQ(std::memcmp(a->pixels, b->pixels, static_cast<size_t>(a->byteSize())), 0) << z;
        }
    }
}

TEST_F(InPlaceReadTest, AFileReplacedAfterTheScanIsDecodedAsItIsNow)
{
    const std::string prebin = makeSeries("replaced", [](FixtureImage&) {});
    // The same image with a longer header, so that its samples now begin elsewhere in the file.
    FixtureImage image;
    image.rows = kSide;
    image.columns = kSide;
    image.instance = 2;
    image.position = "-10\\-20\\1";
    image.patientName = std::string(60, 'Q');
    image.samples.assign(static_cast<size_t>(kSide) * kSide, 0);
    for (size_t i = 0; i < image.samples.size(); ++i) image.samples[i] = static_cast<int32_t>(i % 3000) - 1500;
    const std::string file = folder + "/slice_1001.dcm";
    ASSERT_TRUE(imgtest::writeDicom(file + ".new", image));
    ASSERT_EQ(std::rename((file + ".new").c_str(), file.c_str()), 0);

    Reader reader;
    load(reader, prebin, true);
    const isSliceInfo* slice = reader.image()->getSlice(1);
    for (int i : {0, 1, 2999, 3000, kSide * kSide - 1}) {
        int16_t v;
        std::memcpy(&v, slice->pixels + 2 * i, 2);
        EXPECT_EQ(v, image.samples[static_cast<size_t>(i)]) << i;
    }
}
