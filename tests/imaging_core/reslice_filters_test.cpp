// The plane, slice-copy and reslice pipeline stages over image data: geometry of their outputs,
// slabs, backgrounds, volumes held as separate slice buffers, and degenerate settings.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>

#include "imaging/core/data/isImageData.h"
#include "imaging/core/reslice/isImagePlane.h"
#include "imaging/core/reslice/isImageReslice2D.h"
#include "imaging/core/reslice/isImageSlice.h"

using namespace isImageSDK;

namespace {

template <class T>
T* make()
{
    T* object = new T();
    object->init();
    return object; // one reference owned by the test
}

int voxel(int x, int y, int z) { return x + 10 * y + 100 * z; }

// A signed 16-bit volume of voxel = x + 10y + 100z with a translated volume matrix.
isImageData* makeVolume(int nx, int ny, int nz, const float spacing[3])
{
    isImageData* image = make<isImageData>();
    const int dims[3] = {nx, ny, nz};
    cocos2d::Mat4 m;
    m.m[12] = 100.0f;
    m.m[13] = -50.0f;
    m.m[14] = 7.0f;
    EXPECT_TRUE(image->buildVolume(dims, spacing, kPixelS16, 0, 0, m));
    for (int z = 0; z < nz; ++z) {
        auto* px = reinterpret_cast<int16_t*>(image->slices[size_t(z)]->pixels);
        for (int y = 0; y < ny; ++y)
            for (int x = 0; x < nx; ++x) px[y * nx + x] = int16_t(voxel(x, y, z));
        image->slices[size_t(z)]->windowWidth = 400;
        image->slices[size_t(z)]->modality = kModalityCT;
    }
    return image;
}

// The same volume with every slice in a buffer of its own, as for series over the size limit.
isImageData* makeSlicedVolume(int nx, int ny, int nz)
{
    isImageData* image = make<isImageData>();
    const int dims[2] = {nx, ny};
    const float spacing[2] = {1, 1};
    cocos2d::Mat4 m;
    for (int z = 0; z < nz; ++z) {
        isSliceInfo* s = image->addSlice(dims, 1, spacing, kPixelS16, 0, 0, m);
        auto* px = reinterpret_cast<int16_t*>(s->pixels);
        for (int y = 0; y < ny; ++y)
            for (int x = 0; x < nx; ++x) px[y * nx + x] = int16_t(voxel(x, y, z));
    }
    image->volumeFlag = 1;
    image->spacing[2] = 1.0f;
    return image;
}

int16_t pixelAt(isImageData* image, int c, int r)
{
    const isSliceInfo* s = image->getSlice(0);
    return reinterpret_cast<const int16_t*>(s->pixels)[r * s->columns + c];
}

} // namespace

TEST(ImagePlane, OutputsOfTheThreeOrientations)
{
    const float sp[3] = {0.5f, 0.8f, 2.0f};
    isImageData* volume = makeVolume(4, 3, 5, sp);
    isImagePlane* plane = make<isImagePlane>();
    EXPECT_EQ(plane->getSliceCount(), -1);
    plane->setInputImage(volume);
    EXPECT_EQ(plane->sliceIndex, 0);
    EXPECT_EQ(plane->getSliceCount(), 5);
    isImageData* out = plane->getOutputImage();
    out->Update();
    ASSERT_EQ(out->getSliceCount(), 1);
    EXPECT_EQ(out->slices[0]->modality, kModalityCT);
    EXPECT_EQ(pixelAt(out, 3, 2), voxel(3, 2, 0));

    plane->orientation = 1;
    plane->sliceIndex = 0;
    plane->setModified();
    out->Update();
    const isSliceInfo* s = out->getSlice(0);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->columns, 5);
    EXPECT_EQ(s->rows, 3);
    EXPECT_FLOAT_EQ(s->spacingX, 2.0f);
    EXPECT_FLOAT_EQ(s->spacingY, 0.8f);
    EXPECT_EQ(pixelAt(out, 4, 1), voxel(3, 1, 4));
    // The plane of index 0 lies at x = nx - 1; its origin and normal say so.
    EXPECT_FLOAT_EQ(s->matrix.m[12], 100.0f + 3 * 0.5f);
    EXPECT_FLOAT_EQ(s->matrix.m[8], -1.0f);
    EXPECT_EQ(plane->getSliceIndexAt(100.0 + 1.5, -50.0, 7.0), 0);
    EXPECT_EQ(plane->getSliceIndexAt(100.0, -50.0, 7.0), 3);

    plane->orientation = 2;
    plane->sliceIndex = 2;
    plane->slabCount = 3;
    plane->slabMode = 2;
    plane->setModified();
    out->Update();
    s = out->getSlice(0);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->columns, 5);
    EXPECT_EQ(s->rows, 4);
    EXPECT_FLOAT_EQ(s->matrix.m[13], -50.0f + 2 * 0.8f);
    EXPECT_EQ(pixelAt(out, 1, 3), (voxel(3, 1, 1) + voxel(3, 2, 1)) / 2); // y = 1, 2: cut at the end
    plane->sliceIndex = 3; // out of range: empty output
    plane->setModified();
    out->Update();
    EXPECT_EQ(out->getSliceCount(), 0);
    plane->release();
    volume->release();
}

TEST(ImagePlane, SlabThicknessAndSingleImages)
{
    const float sp[3] = {1, 1, 1};
    isImageData* volume = makeVolume(4, 3, 5, sp);
    isImagePlane* plane = make<isImagePlane>();
    plane->setInputImage(volume);
    plane->setSlabThickness(0.0);
    EXPECT_EQ(plane->slabCount, 1);
    plane->setSlabThickness(2.9);
    EXPECT_EQ(plane->slabCount, 3);
    plane->setSlabThickness(-4.0);
    EXPECT_EQ(plane->slabCount, 1);
    plane->setSlabThickness(1e30);
    EXPECT_GT(plane->slabCount, 1); // huge but no overflow to a negative count
    plane->release();
    volume->release();

    // Separate images: only orientation 0 exists; pixels are copied.
    isImageData* images = make<isImageData>();
    const int dims[2] = {2, 2};
    const float s2[2] = {1, 1};
    cocos2d::Mat4 m;
    for (int i = 0; i < 2; ++i) {
        isSliceInfo* s = images->addSlice(dims, 1, s2, kPixelS16, 0, 0, m);
        std::memset(s->pixels, i + 1, 8);
    }
    isImagePlane* p = make<isImagePlane>();
    p->setInputImage(images);
    p->sliceIndex = 1;
    p->setModified();
    p->getOutputImage()->Update();
    EXPECT_EQ(pixelAt(p->getOutputImage(), 1, 1), 0x0202);
    p->orientation = 1;
    p->setModified();
    p->getOutputImage()->Update();
    EXPECT_EQ(p->getOutputImage()->getSliceCount(), 0);
    p->release();
    images->release();
}

TEST(ImagePlane, VolumesOfSeparateSliceBuffersAndTheSliceCopy)
{
    isImageData* volume = makeSlicedVolume(4, 3, 5);
    EXPECT_EQ(volume->getVolumePointer(), nullptr);
    isImagePlane* plane = make<isImagePlane>();
    plane->setInputImage(volume);
    plane->orientation = 2;
    plane->sliceIndex = 1;
    plane->slabCount = 3;
    plane->slabMode = 1;
    plane->setModified();
    isImageSlice* copy = make<isImageSlice>();
    copy->setInputImage(plane->getOutputImage());
    isImageData* out = copy->getOutputImage();
    out->Update();
    ASSERT_EQ(out->getSliceCount(), 1);
    EXPECT_EQ(pixelAt(out, 4, 2), voxel(2, 2, 4));
    copy->release();
    plane->release();
    volume->release();
}

TEST(ImageReslice, IdentityGeometryBackgroundAndSlab)
{
    const float sp[3] = {1, 1, 1};
    isImageData* volume = makeVolume(4, 3, 2, sp);
    isImageReslice2D* reslice = make<isImageReslice2D>();
    reslice->setInputImage(volume);
    EXPECT_FLOAT_EQ(reslice->backgroundValue, -1024.0f);
    EXPECT_EQ(reslice->outputColumns, 3);
    EXPECT_EQ(reslice->outputRows, 2);
    isImageData* out = reslice->getOutputImage();
    out->Update();
    const isSliceInfo* s = out->getSlice(0);
    ASSERT_NE(s, nullptr);
    for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(s->matrix.m[i], volume->volumeMatrix.m[i]);
    EXPECT_EQ(s->windowWidth, 400);
    EXPECT_EQ(pixelAt(out, 2, 1), voxel(2, 1, 0));

    // The plane z = 3 lies beyond the volume: background.
    float axes[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 3, 1};
    EXPECT_TRUE(reslice->setResliceAxes(axes));
    out->Update();
    EXPECT_EQ(pixelAt(out, 0, 0), -1024);

    reslice->setSlabThickness(5.0f);
    EXPECT_EQ(reslice->slabSampleCount, 5);
    EXPECT_FLOAT_EQ(reslice->slabSpacing, 1.25f);
    reslice->setSlabThickness(0.01f);
    EXPECT_EQ(reslice->slabSampleCount, 1);
    // Beyond the volume's diagonal (sqrt(4^2 + 3^2 + 2^2) = 5.39 mm) a slab adds only background.
    reslice->setSlabThickness(1e9f);
    EXPECT_EQ(reslice->slabSampleCount, 5);

    // Singular axes keep the geometry in force.
    const float singular[16] = {1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    EXPECT_FALSE(reslice->setResliceAxes(singular));
    EXPECT_EQ(reslice->outputColumns, 3);
    EXPECT_FLOAT_EQ(reslice->resliceAxes[14], 3.0f);
    reslice->release();
    volume->release();
}

TEST(ImageReslice, SeparateSliceBuffersAreResliced)
{
    isImageData* volume = makeSlicedVolume(6, 6, 4);
    isImageReslice2D* reslice = make<isImageReslice2D>();
    reslice->setInputImage(volume);
    // 90 degrees about x: output rows run along z.
    const float axes[16] = {1, 0, 0, 0, 0, 0, 1, 0, 0, -1, 0, 0, 0, 2, 0, 1};
    ASSERT_TRUE(reslice->setResliceAxes(axes));
    isImageData* out = reslice->getOutputImage();
    out->Update();
    ASSERT_EQ(out->getSliceCount(), 1);
    EXPECT_EQ(reslice->outputColumns, 5);
    EXPECT_EQ(reslice->outputRows, 3);
    EXPECT_EQ(pixelAt(out, 4, 2), voxel(4, 2, 2));
    EXPECT_EQ(pixelAt(out, 1, 0), voxel(1, 2, 0));
    reslice->release();
    volume->release();
}

TEST(ImageReslice, RgbInputGivesNoOutput)
{
    isImageData* rgb = make<isImageData>();
    const int dims[3] = {4, 4, 3};
    const float sp[3] = {1, 1, 1};
    ASSERT_TRUE(rgb->buildVolume(dims, sp, kPixelRGB8, 0, 0, cocos2d::Mat4()));
    isImageReslice2D* reslice = make<isImageReslice2D>();
    reslice->setInputImage(rgb);
    reslice->getOutputImage()->Update();
    EXPECT_EQ(reslice->getOutputImage()->getSliceCount(), 0);
    reslice->release();
    rgb->release();
}
