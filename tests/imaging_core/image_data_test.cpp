// The pixel container: slice records, size limits and the volume layouts.

#include <gtest/gtest.h>

#include "imaging/core/data/isImageData.h"

using namespace isImageSDK;

namespace {

struct Image {
    Image() : data(new isImageData()) { data->init(); }
    ~Image() { data->release(); }
    isImageData* operator->() { return data; }
    isImageData* data;
};

const cocos2d::Mat4 kIdentity;

} // namespace

TEST(ImageData, AddSliceRefusesBadSizesAndCodesWithoutCountingThem)
{
    Image image;
    const float spacing[2] = {0.5f, 0.7f};
    const int zero[2] = {0, 10}, negative[2] = {10, -1}, good[2] = {10, 12};
    EXPECT_EQ(image->addSlice(zero, 1, spacing, kPixelS16, 0, 0, kIdentity), nullptr);
    EXPECT_EQ(image->addSlice(negative, 1, spacing, kPixelS16, 0, 0, kIdentity), nullptr);
    EXPECT_EQ(image->addSlice(good, 0, spacing, kPixelS16, 0, 0, kIdentity), nullptr);
    EXPECT_EQ(image->addSlice(good, 1, spacing, 5, 0, 0, kIdentity), nullptr);
    EXPECT_EQ(image->addSlice(good, 1, spacing, -1, 0, 0, kIdentity), nullptr);
    EXPECT_EQ(image->dimensions[2], 0);
    EXPECT_EQ(image->hasSlices, 0);

    isSliceInfo* slice = image->addSlice(good, 2, spacing, kPixelRGB8, 1, 1, kIdentity);
    ASSERT_NE(slice, nullptr);
    EXPECT_EQ(slice->byteSize(), 10 * 12 * 2 * 3);
    EXPECT_EQ(image->dimensions[2], 1);
    EXPECT_FLOAT_EQ(image->spacing[1], 0.7f);
}

TEST(ImageData, AddSliceSizeLimitIsExclusive)
{
    Image image;
    const float spacing[2] = {1, 1};
    // 607,376,096 = 2^5 x 18,980,503: one 8-bit row of that length reaches the limit exactly.
    const int atLimit[2] = {18980503, 32};
    EXPECT_EQ(image->addSlice(atLimit, 1, spacing, kPixelU8, 0, 0, kIdentity), nullptr);
    // One byte less cannot be laid out as a rectangle of the same width; use 607,376,095 = 5 x 121,475,219.
    const int oneLess[2] = {121475219, 5};
    isSliceInfo* slice = image->addSlice(oneLess, 1, spacing, kPixelU8, 0, 0, kIdentity);
    EXPECT_NE(slice, nullptr); // allocated but never touched: cheap
}

TEST(ImageData, ColumnsRowsFramesProductIsComputedIn64Bits)
{
    Image image;
    const float spacing[2] = {1, 1};
    // 65535 x 65535 x 2 bytes wraps a 32-bit product to a small positive number.
    const int huge[2] = {65535, 65535};
    EXPECT_EQ(image->addSlice(huge, 1, spacing, kPixelS16, 0, 0, kIdentity), nullptr);
    EXPECT_EQ(image->addSlice(huge, 32767, spacing, kPixelF32, 0, 0, kIdentity), nullptr);
}

TEST(ImageData, BuildVolumeLayouts)
{
    Image image;
    const float spacing[3] = {0.5f, 0.5f, 2.0f};
    cocos2d::Mat4 origin;
    cocos2d::Mat4::createTranslation(1, 2, 3, &origin);

    const int single[3] = {4, 3, 1};
    ASSERT_TRUE(image->buildVolume(single, spacing, kPixelS16, 0, 0, origin));
    EXPECT_FALSE(image->isVolume());
    EXPECT_EQ(image->getVolumePointer(), nullptr);
    ASSERT_EQ(image->getSliceCount(), 1);
    EXPECT_NE(image->slices[0]->pixels, nullptr);

    const int dims[3] = {4, 3, 5};
    ASSERT_TRUE(image->buildVolume(dims, spacing, kPixelF32, 2, 1, origin));
    EXPECT_TRUE(image->isVolume());
    auto* voxels = static_cast<uint8_t*>(image->getVolumePointer());
    ASSERT_NE(voxels, nullptr);
    for (int i = 0; i < 5; ++i) {
        isSliceInfo* slice = image->getSlice(i);
        ASSERT_NE(slice, nullptr);
        EXPECT_EQ(slice->pixels, voxels + i * 4 * 3 * 4);
        EXPECT_FLOAT_EQ(slice->matrix.m[14], 3.0f + 2.0f * i); // steps along the normal
        EXPECT_EQ(slice->facing, 2);
        EXPECT_EQ(slice->pixels[5], 0);
    }
    EXPECT_EQ(image->getSlice(-1), nullptr);
    EXPECT_EQ(image->getSlice(5), nullptr);

    const int bad[3] = {4, 3, 0};
    EXPECT_FALSE(image->buildVolume(bad, spacing, kPixelS16, 0, 0, origin));
    EXPECT_EQ(image->getSliceCount(), 0);
    const int badCode[3] = {4, 3, 3};
    EXPECT_FALSE(image->buildVolume(badCode, spacing, 9, 0, 0, origin));
}

TEST(ImageData, OneVoxelBufferOnlyBelowTheSizeLimit)
{
    const int fits[3] = {512, 512, 1158};  // 607,125,504 bytes of 16-bit voxels
    const int over[3] = {512, 512, 1159};  // 607,649,792 bytes
    EXPECT_TRUE(isImageData::fitsOneBuffer(fits, kPixelS16));
    EXPECT_FALSE(isImageData::fitsOneBuffer(over, kPixelS16));
    EXPECT_FALSE(isImageData::fitsOneBuffer(fits, kPixelF32));
    EXPECT_FALSE(isImageData::fitsOneBuffer(fits, 7));
}

TEST(ImageData, AddSliceCopyCopiesDescriptionAndPixels)
{
    Image image;
    isSliceInfo src;
    src.columns = 2;
    src.rows = 2;
    src.pixelType = kPixelU16;
    src.modality = kModalityPT;
    src.windowWidth = 400;
    src.filePath = "/a/b.dcm";
    src.spacingValid = 0;
    src.halfLife = 6586.2f;
    uint16_t pixels[4] = {1, 2, 3, 65535};
    src.pixels = reinterpret_cast<uint8_t*>(pixels);
    src.loaded = 1;
    isSliceInfo* copy = image->addSliceCopy(src);
    src.pixels = nullptr;
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->modality, kModalityPT);
    EXPECT_EQ(copy->filePath, "/a/b.dcm");
    EXPECT_FLOAT_EQ(copy->halfLife, 6586.2f);
    EXPECT_EQ(copy->spacingValid, 1);
    EXPECT_EQ(copy->loaded, 1);
    EXPECT_EQ(reinterpret_cast<uint16_t*>(copy->pixels)[3], 65535);

    isSliceInfo empty;
    empty.columns = 3;
    empty.rows = 1;
    empty.pixelType = kPixelF32;
    isSliceInfo* zeroed = image->addSliceCopy(empty);
    ASSERT_NE(zeroed, nullptr);
    EXPECT_EQ(reinterpret_cast<float*>(zeroed->pixels)[2], 0.0f);
}

TEST(ImageData, WindowAndInversionComeFromTheFirstSlice)
{
    Image image;
    float width = -1, center = -1;
    image->getDefaultWindow(width, center);
    EXPECT_EQ(width, -1);
    EXPECT_FALSE(image->isInverted());
    const int dims[2] = {1, 1};
    const float spacing[2] = {1, 1};
    isSliceInfo* slice = image->addSlice(dims, 1, spacing, kPixelU8, 0, 0, kIdentity);
    slice->windowWidth = 80;
    slice->windowCenter = 40;
    slice->displayCode = 2;
    image->getDefaultWindow(width, center);
    EXPECT_EQ(width, 80);
    EXPECT_EQ(center, 40);
    EXPECT_TRUE(image->isInverted());
}
