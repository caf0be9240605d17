// Favourite DICOM files: float pixels scaled into 16 bits and read back with DCMTK, names that
// never overwrite, a spacing ratio that stays finite.

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include <dcmtk/dcmdata/dcdeftag.h>
#include <dcmtk/dcmdata/dcfilefo.h>

#include "PIXEL_Mem_ConvertorData.h"
#include "data/PixelType.h"
#include "data/isSliceInfo.h"
#include "support/TestSupport.h"
#include "viewer/favoriteDicomWriter.h"
#include "viewer/imageViewerPC.h"

using isImageSDK::isSliceInfo;

namespace {

const char* kSource = "/CT_small.dcm";

// A float slice like a PET image's: the values given, 1 mm square pixels.
isSliceInfo* floatSlice(const std::vector<float>& values, int columns, int rows) {
    auto* slice = new isSliceInfo();
    slice->columns = columns;
    slice->rows = rows;
    slice->pixelType = isImageSDK::kPixelF32;
    slice->pixels = static_cast<uint8_t*>(std::malloc(values.size() * sizeof(float)));
    std::memcpy(slice->pixels, values.data(), values.size() * sizeof(float));
    slice->filePath = qptest::pydicomDir() + kSource;
    slice->windowWidth = 2000;
    slice->windowCenter = 0;
    return slice;
}

} // namespace

TEST(FavoriteDicom, FloatSliceReadsBackWithItsSlopeAndValues) {
    qptest::TempDir dir;
    const std::string root = dir.path() + "/qp/dicom/";
    std::filesystem::create_directories(root);
    // Largest magnitude 1000: scale 32, slope 1/32.
    isSliceInfo* slice = floatSlice({-1000.0f, 0.5f, 250.25f, 1000.0f, 12.0f, -3.0f}, 3, 2);
    const std::string path = favoriteDicomWriter::save(*slice, root);
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(std::filesystem::canonical(dir.path() + "/qp/favorite"),
              std::filesystem::canonical(path).parent_path());

    DcmFileFormat file;
    ASSERT_TRUE(file.loadFile(path.c_str()).good());
    DcmDataset* data = file.getDataset();
    Float64 slope = 0;
    ASSERT_TRUE(data->findAndGetFloat64(DCM_RescaleSlope, slope).good());
    EXPECT_NEAR(1.0 / 32.0, slope, 1e-6);
    Uint16 representation = 0;
    ASSERT_TRUE(data->findAndGetUint16(DCM_PixelRepresentation, representation).good());
    EXPECT_EQ(1, representation);
    const Uint16* words = nullptr;
    unsigned long count = 0;
    ASSERT_TRUE(data->findAndGetUint16Array(DCM_PixelData, words, &count).good());
    ASSERT_EQ(6u, count);
    const int16_t expected[] = {-32000, 16, 8008, 32000, 384, -96};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(expected[i], static_cast<int16_t>(words[i])) << "sample " << i;

    // A second save in the same second gets a name of its own.
    const std::string second = favoriteDicomWriter::save(*slice, root);
    EXPECT_NE(path, second);
    EXPECT_TRUE(std::filesystem::exists(path));

    // The thread function frees the record and its pixel copy (the sanitizer builds check it).
    imageViewerPC::saveFavoriteDicom(slice, root);
}

TEST(FavoriteDicom, TinyFloatsKeepScaleOneAndSpacingStaysFinite) {
    std::vector<int16_t> out;
    const float tiny[] = {0.005f, -0.009f, 0.0f};
    EXPECT_FLOAT_EQ(1.0f, favoriteDicomWriter::scaleFloatPixels(tiny, 3, out));
    const float odd[] = {NAN, 2.0f, INFINITY};
    EXPECT_FLOAT_EQ(16000.0f, favoriteDicomWriter::scaleFloatPixels(odd, 3, out));
    EXPECT_EQ(0, out[0]);
    EXPECT_EQ(32000, out[1]);

    isSliceInfo slice;
    slice.spacingX = 0.7f;
    slice.spacingY = 0.0f;
    EXPECT_FLOAT_EQ(1.0f, favoriteDicomWriter::spacingRatio(slice));
    slice.spacingY = 0.35f;
    EXPECT_FLOAT_EQ(2.0f, favoriteDicomWriter::spacingRatio(slice));

    // Grey 8-bit samples are widened; colour keeps three samples.
    std::vector<uint8_t> grey = {0, 128, 255, 7};
    slice.columns = 2;
    slice.rows = 2;
    slice.pixelType = isImageSDK::kPixelU8;
    slice.pixels = grey.data();
    dcmSDK::PIXEL_Mem_ConvertorData record;
    std::vector<uint16_t> samples;
    favoriteDicomWriter::fillRecord(slice, "/tmp/x.dcm", record, samples);
    EXPECT_EQ((std::vector<uint16_t>{0, 128, 255, 7}), samples);
    EXPECT_STREQ("1", record.samplesPerPixel);
    EXPECT_EQ(0u, record.pixelSigned);
    slice.pixelType = isImageSDK::kPixelRGB8;
    favoriteDicomWriter::fillRecord(slice, "/tmp/x.dcm", record, samples);
    EXPECT_STREQ("3", record.samplesPerPixel);
    EXPECT_EQ(static_cast<const void*>(grey.data()), record.pixels);
    slice.pixels = nullptr;
}
