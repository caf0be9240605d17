// Reading single DICOM files: tag rules, geometry, pixel types and rescaling.

#include <gtest/gtest.h>

#include <cstring>

#include "fixtures/DicomFixture.h"
#include "fixtures/ImagingTestEnv.h"
#include "imaging/core/data/isImageData.h"
#include "imaging/core/io/isDcmReader.h"

using namespace isImageSDK;
using imgtest::FixtureImage;

namespace {

class DcmReaderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        reader = isDcmReader::create();
        reader->retain();
    }
    void TearDown() override { reader->release(); }

    /// Writes the image, reads it, and returns the single slice (null when none).
    isSliceInfo* read(const FixtureImage& image)
    {
        const std::string path = dir.file("image" + std::to_string(counter++) + ".dcm");
        EXPECT_TRUE(imgtest::writeDicom(path, image));
        return readPath(path);
    }
    isSliceInfo* readPath(const std::string& path)
    {
        reader->setFileName(path);
        isImageData* out = reader->getOutputImage();
        out->Update();
        return out->getSliceCount() == 1 ? out->getSlice(0) : nullptr;
    }

    qptest::TempDir dir;
    isDcmReader* reader = nullptr;
    int counter = 0;
};

template <class T>
T sampleAt(const isSliceInfo* slice, int i)
{
    T value;
    std::memcpy(&value, slice->pixels + i * sizeof(T), sizeof(T));
    return value;
}

} // namespace

TEST_F(DcmReaderTest, CtWithoutPatientPositionIsShownHeadFirstSupine)
{
    FixtureImage image;
    image.patientPosition = "";
    image.position = "1\\2\\3";
    isSliceInfo* slice = read(image);
    ASSERT_NE(slice, nullptr);
    EXPECT_EQ(slice->facing, 0);
    EXPECT_EQ(slice->headFeet, 2);
    EXPECT_EQ(slice->geometryValid, 1);
    // Row (1,0,0) and column (0,1,0) map to (1,0,0) and (0,0,-1); the position to (x, z, -y).
    const float* m = slice->matrix.m;
    EXPECT_FLOAT_EQ(m[0], 1);
    EXPECT_FLOAT_EQ(m[6], -1);
    EXPECT_FLOAT_EQ(m[9], 1); // normal (0, 1, 0)
    EXPECT_FLOAT_EQ(m[12], 1);
    EXPECT_FLOAT_EQ(m[13], 3);
    EXPECT_FLOAT_EQ(m[14], -2);
    EXPECT_EQ(slice->modality, kModalityCT);
    EXPECT_EQ(slice->loaded, 1);
}

TEST_F(DcmReaderTest, PatientPositionTable)
{
    struct Case {
        const char* text;
        int facing, headFeet;
        float px, py, pz; // mapped position of (1, 2, 3)
    } cases[] = {
        {"HFS", 0, 0, 1, 3, -2},  {"HFP", 1, 0, -1, 3, 2},   {"HFDR", 2, 0, 2, 3, 1},
        {"HFDL", 3, 0, -2, 3, -1}, {"FFS", 0, 1, -1, -3, -2}, {"FFP", 1, 1, 1, -3, 2},
        {"FFDR", 2, 1, -2, -3, 1}, {"FFDL", 3, 1, 2, -3, -1},
    };
    for (const Case& c : cases) {
        FixtureImage image;
        image.patientPosition = c.text;
        image.position = "1\\2\\3";
        isSliceInfo* slice = read(image);
        ASSERT_NE(slice, nullptr) << c.text;
        EXPECT_EQ(slice->facing, c.facing) << c.text;
        EXPECT_EQ(slice->headFeet, c.headFeet) << c.text;
        EXPECT_FLOAT_EQ(slice->matrix.m[12], c.px) << c.text;
        EXPECT_FLOAT_EQ(slice->matrix.m[13], c.py) << c.text;
        EXPECT_FLOAT_EQ(slice->matrix.m[14], c.pz) << c.text;
        EXPECT_EQ(slice->geometryValid, 1) << c.text;
    }
    FixtureImage odd;
    odd.patientPosition = "SITTING";
    isSliceInfo* slice = read(odd);
    ASSERT_NE(slice, nullptr);
    EXPECT_EQ(slice->headFeet, 2);
    EXPECT_EQ(slice->geometryValid, 0);
}

TEST_F(DcmReaderTest, PixelSpacingIsRowThenColumnAndMissingValuesAreMarked)
{
    FixtureImage image;
    image.pixelSpacing = "0.7\\0.5";
    isSliceInfo* slice = read(image);
    ASSERT_NE(slice, nullptr);
    EXPECT_FLOAT_EQ(slice->spacingX, 0.5f);
    EXPECT_FLOAT_EQ(slice->spacingY, 0.7f);
    EXPECT_EQ(slice->spacingValid, 1);

    image.pixelSpacing = "0.7";
    slice = read(image);
    ASSERT_NE(slice, nullptr);
    EXPECT_FLOAT_EQ(slice->spacingX, 1.0f);
    EXPECT_FLOAT_EQ(slice->spacingY, 1.0f);

    image.pixelSpacing = "";
    image.position = "";
    slice = read(image);
    ASSERT_NE(slice, nullptr);
    EXPECT_EQ(slice->spacingValid, 0); // an uncalibrated image must not pass for one in mm
    EXPECT_EQ(slice->geometryValid, 0);
}

TEST_F(DcmReaderTest, RescaleToSignedSixteenBitSaturatesInsteadOfWrapping)
{
    FixtureImage image;
    image.pixelRepresentation = 0;
    image.intercept = "-1024";
    image.slope = "1";
    image.samples = {0, 1024, 3000, 65535};
    isSliceInfo* slice = read(image);
    ASSERT_NE(slice, nullptr);
    EXPECT_EQ(slice->pixelType, kPixelS16);
    EXPECT_EQ(sampleAt<int16_t>(slice, 0), -1024);
    EXPECT_EQ(sampleAt<int16_t>(slice, 1), 0);
    EXPECT_EQ(sampleAt<int16_t>(slice, 2), 1976);
    EXPECT_EQ(sampleAt<int16_t>(slice, 3), 32767); // 64,511 does not fit: clipped, not wrapped

    FixtureImage plain;
    plain.pixelRepresentation = 1;
    plain.slope = "1";
    plain.intercept = "0";
    plain.samples = {-5, 7, -32768};
    slice = read(plain);
    ASSERT_NE(slice, nullptr);
    EXPECT_EQ(slice->pixelType, kPixelS16);
    EXPECT_EQ(sampleAt<int16_t>(slice, 0), -5);
    EXPECT_EQ(sampleAt<int16_t>(slice, 2), -32768);

    FixtureImage unsignedImage;
    unsignedImage.pixelRepresentation = 0;
    unsignedImage.samples = {60000};
    slice = read(unsignedImage);
    ASSERT_NE(slice, nullptr);
    EXPECT_EQ(slice->pixelType, kPixelU16);
    EXPECT_EQ(sampleAt<uint16_t>(slice, 0), 60000);

    FixtureImage shifted = unsignedImage;
    shifted.intercept = "100";
    shifted.samples = {65500, 7};
    slice = read(shifted);
    ASSERT_NE(slice, nullptr);
    EXPECT_EQ(slice->pixelType, kPixelU16);
    EXPECT_EQ(sampleAt<uint16_t>(slice, 0), 65535); // clipped at the top, not wrapped to 64
    EXPECT_EQ(sampleAt<uint16_t>(slice, 1), 107);

    FixtureImage negated;
    negated.pixelRepresentation = 1;
    negated.slope = "-1";
    negated.samples = {5, -32768};
    slice = read(negated);
    ASSERT_NE(slice, nullptr);
    EXPECT_EQ(slice->pixelType, kPixelS16);
    EXPECT_EQ(sampleAt<int16_t>(slice, 0), -5);
    EXPECT_EQ(sampleAt<int16_t>(slice, 1), 32767);
}

TEST_F(DcmReaderTest, FractionalOrSteepRescaleBecomesFloat)
{
    FixtureImage mr;
    mr.modality = "MR";
    mr.pixelRepresentation = 0;
    mr.slope = "2.5";
    mr.intercept = "0";
    mr.samples = {0, 4, 40000};
    isSliceInfo* slice = read(mr);
    ASSERT_NE(slice, nullptr);
    EXPECT_EQ(slice->pixelType, kPixelF32);
    EXPECT_FLOAT_EQ(sampleAt<float>(slice, 1), 10.0f);
    EXPECT_FLOAT_EQ(sampleAt<float>(slice, 2), 100000.0f);

    FixtureImage signedCt;
    signedCt.intercept = "-0.5";
    signedCt.samples = {-3};
    slice = read(signedCt);
    ASSERT_NE(slice, nullptr);
    EXPECT_EQ(slice->pixelType, kPixelF32);
    EXPECT_FLOAT_EQ(sampleAt<float>(slice, 0), -3.5f);
}

TEST_F(DcmReaderTest, NumbersThatAreNotFiniteCountAsAbsent)
{
    // strtod reads "NaN", "inf" and overflowing texts; none may reach the samples or the window.
    FixtureImage image;
    image.pixelRepresentation = 1;
    image.slope = "NaN";
    image.intercept = "1e999";
    image.windowCenter = "inf";
    image.windowWidth = "-nan";
    image.pixelSpacing = "nan\\0.5";
    image.samples = {-7, 300};
    isSliceInfo* slice = read(image);
    ASSERT_NE(slice, nullptr);
    EXPECT_EQ(slice->slope, 1.0f);
    EXPECT_EQ(slice->intercept, 0.0f);
    EXPECT_EQ(slice->pixelType, kPixelS16);
    EXPECT_EQ(sampleAt<int16_t>(slice, 0), -7);
    EXPECT_EQ(sampleAt<int16_t>(slice, 1), 300);
    EXPECT_EQ(slice->windowCenter, 128.0f);
    EXPECT_EQ(slice->windowWidth, 255.0f);
    EXPECT_EQ(slice->spacingX, 1.0f);
    EXPECT_EQ(slice->spacingY, 1.0f);
}

TEST_F(DcmReaderTest, PetDefaultsAndValues)
{
    FixtureImage pet;
    pet.modality = "PT";
    pet.pixelRepresentation = 0;
    pet.extra[{0x0054, 0x1001}] = "BQML";
    pet.extra[{0x0054, 0x1102}] = "START";
    pet.extra[{0x0008, 0x0022}] = "20240305";
    pet.extra[{0x0008, 0x0032}] = "070809";
    pet.extra[{0x0018, 0x1072}] = "063000";
    pet.extra[{0x0010, 0x1030}] = "72.5";
    isSliceInfo* slice = read(pet);
    ASSERT_NE(slice, nullptr);
    EXPECT_EQ(slice->pixelType, kPixelF32);
    EXPECT_FLOAT_EQ(slice->windowWidth, 20000.0f);
    EXPECT_FLOAT_EQ(slice->windowCenter, 10000.0f);
    EXPECT_EQ(slice->units, 1);
    EXPECT_EQ(slice->decayCorrection, 2);
    EXPECT_FLOAT_EQ(slice->weight, 72.5f);
    EXPECT_EQ(slice->petTimesValid, 1);
    EXPECT_EQ(slice->acquisitionTime.year, 2024);
    EXPECT_EQ(slice->acquisitionTime.second, 9);
    EXPECT_EQ(slice->injectionTime.day, 5);
    EXPECT_EQ(slice->injectionTime.hour, 6);
    EXPECT_EQ(slice->injectionTime.minute, 30);

    FixtureImage ct;
    ct.extra.clear();
    slice = read(ct);
    ASSERT_NE(slice, nullptr);
    EXPECT_FLOAT_EQ(slice->windowWidth, 255.0f);
    EXPECT_FLOAT_EQ(slice->windowCenter, 128.0f);
    EXPECT_FLOAT_EQ(slice->weight, -1.0f);
}

TEST_F(DcmReaderTest, FrameCountsBelowOneMeanOneFrame)
{
    for (const char* frames : {"0", "-3"}) {
        FixtureImage image;
        image.frames = frames;
        isSliceInfo* slice = read(image);
        ASSERT_NE(slice, nullptr) << frames;
        EXPECT_EQ(slice->frames, 1) << frames;
    }
    FixtureImage multi;
    multi.frames = "3";
    multi.storedFrames = 3;
    isSliceInfo* slice = read(multi);
    ASSERT_NE(slice, nullptr);
    EXPECT_EQ(slice->frames, 3);
    EXPECT_EQ(sampleAt<int16_t>(slice, 4 * 6 * 3 - 1), static_cast<int16_t>(1000 + 71));
}

TEST_F(DcmReaderTest, EightBitMonochromeOneAndFailures)
{
    FixtureImage image;
    image.bitsAllocated = 8;
    image.pixelRepresentation = 0;
    image.photometric = "MONOCHROME1";
    image.samples = {1, 2, 250};
    isSliceInfo* slice = read(image);
    ASSERT_NE(slice, nullptr);
    EXPECT_EQ(slice->pixelType, kPixelU8);
    EXPECT_EQ(slice->displayCode, 2);
    EXPECT_TRUE(reader->getOutputImage()->isInverted());
    EXPECT_EQ(slice->pixels[2], 250);

    qptest::writeFile(dir.file("junk.dcm"), "not a DICOM file at all");
    EXPECT_EQ(readPath(dir.file("junk.dcm")), nullptr);
    EXPECT_EQ(readPath(dir.file("missing.dcm")), nullptr);
}

TEST_F(DcmReaderTest, RealFilesFromPydicom)
{
    isSliceInfo* ct = readPath(qptest::pydicomDir() + "/CT_small.dcm");
    ASSERT_NE(ct, nullptr);
    EXPECT_EQ(ct->modality, kModalityCT);
    EXPECT_EQ(ct->columns, 128);
    EXPECT_EQ(ct->rows, 128);
    EXPECT_EQ(ct->pixelType, kPixelS16);
    EXPECT_NEAR(ct->spacingX, 0.661468, 1e-5);
    EXPECT_EQ(ct->loaded, 1);

    isSliceInfo* rgb = readPath(qptest::pydicomDir() + "/SC_rgb_small_odd.dcm");
    ASSERT_NE(rgb, nullptr);
    EXPECT_EQ(rgb->pixelType, kPixelRGB8);

    isSliceInfo* mr = readPath(qptest::pydicomDir() + "/MR_small.dcm");
    ASSERT_NE(mr, nullptr);
    EXPECT_EQ(mr->modality, kModalityMR);
    EXPECT_EQ(mr->columns, 64);
}
