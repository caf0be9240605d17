// The ray caster end to end on small volumes: closed-form pictures, storage and pixel types,
// worker split, scale adaptation and cancellation.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <thread>
#include <vector>

#include "imaging/core/data/isImageData.h"
#include "imaging/core/volume/isVolumeRenderer.h"

using namespace isImageSDK;

namespace {

template <typename T>
struct Cube {
    int n;
    std::vector<T> data;
    isVolumeRecord rec;
    Cube(int n, int type, T fill) : n(n), data(size_t(n) * n * n, fill)
    {
        rec.voxels = data.data();
        rec.dims[0] = rec.dims[1] = rec.dims[2] = n;
        rec.pixelType = type;
    }
    T& at(int x, int y, int z) { return data[(size_t(z) * n + y) * n + x]; }
};

// Looks along +z at the centre of an n-voxel cube through a square viewport of `size` pixels.
isVolumeView frontView(int n, int size, float margin = 4.0f)
{
    isVolumeView v;
    const float c = (n - 1) * 0.5f;
    v.width = v.height = float(size);
    v.zoom = (n - 1 + margin) / float(size);
    v.eye[0] = c; v.eye[1] = c; v.eye[2] = -100.0f;
    v.focal[0] = c; v.focal[1] = c; v.focal[2] = c;
    v.up[0] = 0; v.up[1] = -1; v.up[2] = 0;
    return v;
}

void greyTable(uint8_t rgb[768])
{
    for (int i = 0; i < 768; ++i) rgb[i] = uint8_t(i / 3);
}

const uint8_t* centrePixel(const isVolumeRenderer& r)
{
    const auto res = r.getResult();
    return res.pixels + (size_t(res.height / 2) * res.width + res.width / 2) * 3;
}

struct FixedClock {
    std::vector<double> times;
    size_t i = 0;
    double operator()() { return times[std::min(i++, times.size() - 1)]; }
};

} // namespace

TEST(RayCaster, ConstantCubeCompositesToTheClosedForm)
{
    Cube<int16_t> cube(16, 1, 20);
    for (int interp : {0, 1}) {
        isVolumeRenderer r;
        r.setVolume(&cube.rec);
        r.setView(frontView(16, 64), false);
        uint8_t rgb[768];
        greyTable(rgb);
        r.setColorTable(rgb);
        r.setWindow(255, 128); // raw value v -> entry v: opacity 20/255, grey 20
        r.setInterpolation(interp);
        r.setScaleLocked(true);
        ASSERT_TRUE(r.render());
        // The segment through the box spans 15 voxels; 14 whole steps fit before its end.
        const double a = 20.0 / 255.0, expected = 20.0 * (1.0 - std::pow(1.0 - a, 14));
        EXPECT_NEAR(centrePixel(r)[0], expected, 1.0) << interp;
        EXPECT_EQ(centrePixel(r)[0], centrePixel(r)[2]);
    }
}

TEST(RayCaster, OpaqueFirstSampleEndsTheRayWithItsColour)
{
    Cube<int16_t> cube(16, 1, 100);
    for (int z = 0; z < 3; ++z)
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) cube.at(x, y, z) = 255;
    isVolumeRenderer r;
    r.setVolume(&cube.rec);
    r.setView(frontView(16, 64), false);
    uint8_t rgb[768];
    greyTable(rgb);
    rgb[255 * 3] = 200; rgb[255 * 3 + 1] = 100; rgb[255 * 3 + 2] = 50;
    rgb[0] = 10; rgb[1] = 20; rgb[2] = 30;
    r.setColorTable(rgb);
    r.setWindow(255, 128);
    ASSERT_TRUE(r.render());
    const uint8_t* c = centrePixel(r);
    EXPECT_EQ(c[0], 200);
    EXPECT_EQ(c[1], 100);
    EXPECT_EQ(c[2], 50);
    // Outside the projected rectangle: colour table entry 0.
    const uint8_t* corner = r.getResult().pixels;
    EXPECT_EQ(corner[0], 10);
    EXPECT_EQ(corner[1], 20);
    EXPECT_EQ(corner[2], 30);
}

TEST(RayCaster, MipPicksTheBrightestSampleWithoutWrapping)
{
    Cube<int16_t> cube(16, 1, 0);
    const int16_t column[16] = {10, 50, 60, 20, 240, 30, 5, 7, 9, 100, 200, 1, 1, 1, 1, 1};
    for (int z = 0; z < 16; ++z)
        for (int y = 6; y <= 9; ++y)
            for (int x = 6; x <= 9; ++x) cube.at(x, y, z) = column[z];
    isVolumeRenderer r;
    r.setVolume(&cube.rec);
    r.setView(frontView(16, 64), false);
    uint8_t rgb[768];
    greyTable(rgb);
    r.setColorTable(rgb);
    r.setWindow(255, 128);
    r.setRenderMode(3);
    r.setInterpolation(0);
    ASSERT_TRUE(r.render());
    EXPECT_EQ(centrePixel(r)[0], 239); // trunc(240 - 0.5)
    // A voxel far above a narrow window takes the top entry instead of wrapping to transparent.
    cube.at(7, 7, 8) = 7000;
    isVolumeRenderer hot;
    hot.setVolume(&cube.rec);
    hot.setView(frontView(16, 64), false);
    hot.setColorTable(rgb);
    hot.setWindow(50, 0);
    hot.setRenderMode(3);
    hot.setInterpolation(0);
    ASSERT_TRUE(hot.render());
    EXPECT_EQ(centrePixel(hot)[0], 255);
}

TEST(RayCaster, FloatVolumeBelowTheWindowShowsEntryZero)
{
    Cube<float> cube(12, 2, 5.0f);
    cube.at(6, 6, 6) = 3000.0f; // bright spot off the centre ray keeps the grid honest
    isVolumeRenderer r;
    r.setVolume(&cube.rec);
    r.setView(frontView(12, 48), false);
    uint8_t rgb[768];
    greyTable(rgb);
    rgb[0] = 10; rgb[1] = 20; rgb[2] = 30;
    r.setColorTable(rgb);
    r.setWindow(100, 200);
    r.setRenderMode(3);
    ASSERT_TRUE(r.render());
    const auto res = r.getResult();
    const uint8_t* p = res.pixels + (size_t(res.height / 2 - 8) * res.width + res.width / 2 - 8) * 3;
    EXPECT_EQ(p[0], 10);
    EXPECT_EQ(p[1], 20);
    EXPECT_EQ(p[2], 30);
    // Low float values (PET) are visible once the window covers them.
    isVolumeRenderer pet;
    pet.setVolume(&cube.rec);
    pet.setView(frontView(12, 48), false);
    pet.setColorTable(rgb);
    pet.setWindow(10, 0);
    pet.setRenderMode(3);
    ASSERT_TRUE(pet.render());
    EXPECT_EQ(centrePixel(pet)[0], 255);
}

TEST(RayCaster, NanFloatVoxelsLookLikeValuesBelowTheWindow)
{
    // NaN samples take table entry 0 in every mode, as a value under the window does, instead of
    // an index from an undefined float-to-int conversion.
    Cube<float> nan(10, 2, std::nanf(""));
    Cube<float> low(10, 2, -1.0e6f);
    uint8_t rgb[768];
    greyTable(rgb);
    rgb[0] = 10; rgb[1] = 20; rgb[2] = 30;
    for (int mode : {0, 1, 2, 3}) {
        for (int interp : {0, 1}) {
            auto draw = [&](const isVolumeRecord& rec) {
                isVolumeRenderer r;
                r.setVolume(&rec);
                r.setView(frontView(10, 32), false);
                r.setColorTable(rgb);
                r.setWindow(100, 50);
                r.setRenderMode(mode);
                r.setInterpolation(interp);
                r.setScaleLocked(true);
                EXPECT_TRUE(r.render());
                const auto res = r.getResult();
                return std::vector<uint8_t>(res.pixels, res.pixels + size_t(res.width) * res.height * 3);
            };
            EXPECT_EQ(draw(nan.rec), draw(low.rec)) << "mode " << mode << " interpolation " << interp;
        }
    }
}

TEST(RayCaster, SliceBuffersUnsignedAndEightBitVolumes)
{
    Cube<int16_t> cube(16, 1, 0);
    for (int z = 0; z < 16; ++z)
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) cube.at(x, y, z) = int16_t((x * 7 + y * 3 + z * 11) % 256);
    uint8_t rgb[768];
    greyTable(rgb);
    auto renderOf = [&](const isVolumeRecord& rec, float width, float level) {
        isVolumeRenderer r;
        r.setVolume(&rec);
        r.setView(frontView(16, 64), false);
        r.setColorTable(rgb);
        r.setWindow(width, level);
        r.setInterpolation(1);
        r.render();
        const auto res = r.getResult();
        return std::vector<uint8_t>(res.pixels, res.pixels + size_t(res.width) * res.height * 3);
    };
    const auto contiguous = renderOf(cube.rec, 255, 128);
    std::vector<const void*> slices;
    for (int z = 0; z < 16; ++z) slices.push_back(&cube.at(0, 0, z));
    isVolumeRecord split = cube.rec;
    split.voxels = nullptr;
    split.slices = slices.data();
    EXPECT_EQ(renderOf(split, 255, 128), contiguous);

    Cube<uint8_t> bytes(16, 0, 0);
    for (size_t i = 0; i < bytes.data.size(); ++i) bytes.data[i] = uint8_t(cube.data[i]);
    EXPECT_EQ(renderOf(bytes.rec, 255, 128), contiguous);

    // Unsigned values above 32767 are bright, not negative.
    Cube<uint16_t> high(16, 3, 60000);
    const auto hi = renderOf(high.rec, 1000, 59000);
    EXPECT_GT(hi[(32 * 64 + 32) * 3], 200);
}

TEST(RayCaster, MovedVolumeIsSeenThroughItsMatrix)
{
    Cube<int16_t> cube(16, 1, 0);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x)
            for (int z = 0; z < 16; ++z) cube.at(x, y, z) = 255;
    uint8_t rgb[768];
    greyTable(rgb);
    isVolumeRenderer plain;
    plain.setVolume(&cube.rec);
    plain.setView(frontView(16, 64), true);
    plain.setColorTable(rgb);
    plain.render();
    const auto a = plain.getResult();
    std::vector<uint8_t> expected(a.pixels, a.pixels + size_t(a.width) * a.height * 3);

    Cube<int16_t> moved(16, 1, 0);
    moved.data = cube.data;
    moved.rec.voxels = moved.data.data();
    moved.rec.matrix[12] = 100.0f; // translated in world space
    isVolumeView view = frontView(16, 64);
    view.eye[0] += 100.0f;
    view.focal[0] += 100.0f;
    isVolumeRenderer r;
    r.setVolume(&moved.rec);
    r.setView(view, true);
    r.setColorTable(rgb);
    r.render();
    const auto b = r.getResult();
    EXPECT_EQ(std::vector<uint8_t>(b.pixels, b.pixels + size_t(b.width) * b.height * 3), expected);
}

TEST(RayCaster, WorkerSplitFollowsTheRayCount)
{
    EXPECT_EQ(isVolumeRenderer::workerCountFor(99), 1);
    EXPECT_EQ(isVolumeRenderer::workerCountFor(100), 4);
    Cube<int16_t> tiny(2, 1, 100);
    isVolumeRenderer r;
    r.setVolume(&tiny.rec);
    r.setView(frontView(2, 64, 60.0f), false); // the volume covers a few pixels only
    ASSERT_TRUE(r.render());
    EXPECT_LT(r.getLastRayCount(), 100u);
    EXPECT_EQ(r.getLastWorkerCount(), 1);
    r.setView(frontView(2, 64, 0.0f), false);
    ASSERT_TRUE(r.render());
    EXPECT_GE(r.getLastRayCount(), 100u);
    EXPECT_EQ(r.getLastWorkerCount(), 4);
}

TEST(RayCaster, ScaleAdaptsToTheTargetTime)
{
    Cube<int16_t> cube(8, 1, 100);
    isVolumeRenderer r;
    r.setVolume(&cube.rec);
    r.setView(frontView(8, 100), false);
    FixedClock clock;
    auto pass = [&](double ms) {
        clock.times = {1000.0, 1000.0 + ms};
        clock.i = 0;
        r.setClock([&clock] { return clock(); });
        return r.render();
    };
    ASSERT_TRUE(pass(120));
    EXPECT_NEAR(r.getImageScale(), 0.5f, 1e-6);
    EXPECT_EQ(r.getResult().width, 100);
    r.setImageScale(0.1f);
    ASSERT_TRUE(pass(1000));
    EXPECT_EQ(r.getResult().width, 10);
    EXPECT_NEAR(r.getImageScale(), 0.05f, 1e-6);
    // A pass quicker than a millisecond counts as one: the scale grows, it is not pinned low.
    ASSERT_TRUE(pass(0.2));
    EXPECT_NEAR(r.getImageScale(), std::min(1.0, 0.05 * std::sqrt(30.0)), 1e-6);
    // Locked scales stay.
    r.setScaleLocked(true);
    ASSERT_TRUE(pass(5000));
    EXPECT_NEAR(r.getImageScale(), std::min(1.0, 0.05 * std::sqrt(30.0)), 1e-6);
}

TEST(RayCaster, TinyViewportsAndMissingVolumesDrawNothing)
{
    isVolumeRenderer none;
    EXPECT_FALSE(none.render());
    Cube<int16_t> cube(8, 1, 100);
    isVolumeRenderer r;
    r.setVolume(&cube.rec);
    isVolumeView v = frontView(8, 30);
    r.setView(v, false);
    r.setImageScale(0.05f); // 1.5 pixels: no pixel pitch
    r.setScaleLocked(true);
    EXPECT_FALSE(r.render());
    EXPECT_EQ(r.getResult().pixels, nullptr);
    isVolumeRecord broken = cube.rec;
    broken.voxels = nullptr;
    isVolumeRenderer b;
    b.setVolume(&broken);
    b.setView(v, false);
    EXPECT_FALSE(b.render());
}

TEST(RayCaster, CancelStopsAPassFromAnotherThread)
{
    Cube<int16_t> cube(96, 1, 0);
    for (size_t i = 0; i < cube.data.size(); ++i) cube.data[i] = int16_t(i % 97); // faint everywhere
    isVolumeRenderer r;
    r.setVolume(&cube.rec);
    r.setView(frontView(96, 400), false);
    r.setWindow(4000, 2000);
    r.setInterpolation(1);
    std::atomic<bool> finished{false};
    std::thread canceller([&] {
        while (!finished.load()) {
            r.cancel();
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    });
    const bool drawn = r.render();
    finished = true;
    canceller.join();
    EXPECT_FALSE(drawn);
    EXPECT_FLOAT_EQ(r.getImageScale(), 1.0f); // a cancelled pass does not adapt the scale
}

TEST(RayCaster, PreIntegratedModesDrawInsideAndStayBackgroundOutside)
{
    Cube<int16_t> cube(16, 1, 200);
    uint8_t rgb[768];
    greyTable(rgb);
    rgb[0] = 10; rgb[1] = 20; rgb[2] = 30;
    for (int mode : {1, 2}) {
        isVolumeRenderer r;
        r.setVolume(&cube.rec);
        r.setView(frontView(16, 64), false);
        r.setColorTable(rgb);
        r.setWindow(255, 128);
        r.setRenderMode(mode);
        ASSERT_TRUE(r.render());
        EXPECT_GT(centrePixel(r)[0], 100) << mode;
        EXPECT_EQ(r.getResult().pixels[0], 10) << mode;
    }
}

TEST(RayCaster, ImageDataVolumesBindWithOrWithoutOneBuffer)
{
    auto* whole = new isImageData(); // one reference owned by the test
    whole->init();
    const int dims[3] = {12, 12, 12};
    const float spacing[3] = {1, 1, 1};
    ASSERT_TRUE(whole->buildVolume(dims, spacing, kPixelS16, 0, 0, cocos2d::Mat4()));
    auto* sliced = new isImageData();
    sliced->init();
    const int d2[2] = {12, 12};
    const float s2[2] = {1, 1};
    for (int z = 0; z < 12; ++z) {
        auto* a = reinterpret_cast<int16_t*>(whole->slices[size_t(z)]->pixels);
        auto* b = reinterpret_cast<int16_t*>(sliced->addSlice(d2, 1, s2, kPixelS16, 0, 0, cocos2d::Mat4())->pixels);
        for (int i = 0; i < 144; ++i) a[i] = b[i] = int16_t((i * 5 + z * 17) % 256);
    }
    sliced->volumeFlag = 1;
    uint8_t rgb[768];
    greyTable(rgb);
    auto pictureOf = [&](isImageData* image) {
        isVolumeRecord record;
        std::vector<const void*> storage;
        EXPECT_TRUE(fillVolumeRecord(*image, record, storage));
        isVolumeRenderer r;
        r.setVolume(&record);
        r.setView(frontView(12, 48), true);
        r.setColorTable(rgb);
        EXPECT_TRUE(r.render());
        const auto res = r.getResult();
        return std::vector<uint8_t>(res.pixels, res.pixels + size_t(res.width) * res.height * 3);
    };
    EXPECT_EQ(pictureOf(sliced), pictureOf(whole));
    // A slice of another size cannot be part of the volume.
    sliced->slices[3]->columns = 11;
    isVolumeRecord record;
    std::vector<const void*> storage;
    EXPECT_FALSE(fillVolumeRecord(*sliced, record, storage));
    sliced->slices[3]->columns = 12;
    sliced->release();
    whole->release();
}

TEST(RayCaster, OwnerSettersDuringAPassAreSafe)
{
    Cube<int16_t> cube(48, 1, 0);
    for (size_t i = 0; i < cube.data.size(); ++i) cube.data[i] = int16_t(i % 300);
    isVolumeRenderer r;
    r.setVolume(&cube.rec);
    r.setView(frontView(48, 160), false);
    std::atomic<bool> finished{false};
    std::thread owner([&] {
        uint8_t rgb[768];
        greyTable(rgb);
        for (int i = 0; !finished.load(); ++i) {
            r.setWindow(float(100 + i % 50), 40);
            r.setColorTable(rgb);
            r.setRenderMode(i % 2 == 0 ? 0 : 3);
            r.setImageScale(0.5f + 0.1f * float(i % 5));
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        }
    });
    for (int pass = 0; pass < 20; ++pass) r.render();
    finished = true;
    owner.join();
    EXPECT_GT(r.getResult().width, 0);
}

TEST(RayCaster, PerspectiveViewSeesTheCubeInTheMiddle)
{
    Cube<int16_t> cube(16, 1, 255);
    uint8_t rgb[768];
    greyTable(rgb);
    rgb[0] = 10; rgb[1] = 20; rgb[2] = 30;
    isVolumeRenderer r;
    r.setVolume(&cube.rec);
    isVolumeView v = frontView(16, 64);
    v.perspective = true;
    v.fov = 30.0f; // the cube (15 wide, 100 away) fills about a third of the view
    r.setView(v, false);
    r.setColorTable(rgb);
    r.setWindow(255, 128);
    ASSERT_TRUE(r.render());
    EXPECT_EQ(centrePixel(r)[0], 255); // the opaque front face
    const auto res = r.getResult();
    const uint8_t* corner = res.pixels + (size_t(2) * res.width + 2) * 3;
    EXPECT_EQ(corner[0], 10);
    EXPECT_EQ(corner[2], 30);
    // Near the edge of the cube's silhouette, 7.5 / (100 tan 15) of the half width: about 28%.
    const uint8_t* inside = res.pixels + (size_t(32) * res.width + 32 + 7) * 3;
    const uint8_t* outside = res.pixels + (size_t(32) * res.width + 32 + 12) * 3;
    EXPECT_EQ(inside[0], 255);
    EXPECT_EQ(outside[0], 10);
}

TEST(RayCaster, PixelsSampleTheWorldWhereTheViewSaysTheyLie)
{
    // A ramp along x, constant along the rays: each column's maximum is the ramp at its x. A
    // small picture is stretched over the same viewport, so its pixels must sample the middle
    // of the wider area each one covers there.
    Cube<int16_t> cube(16, 1, 0);
    for (int z = 0; z < 16; ++z)
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) cube.at(x, y, z) = int16_t(10 * x);
    for (const float scale : {1.0f, 0.125f}) {
        isVolumeRenderer r;
        r.setVolume(&cube.rec);
        const isVolumeView view = frontView(16, 64);
        r.setView(view, false);
        uint8_t rgb[768];
        greyTable(rgb);
        r.setColorTable(rgb);
        r.setWindow(255, 128);
        r.setRenderMode(3);
        r.setInterpolation(1);
        r.setImageScale(scale);
        r.setScaleLocked(true);
        ASSERT_TRUE(r.render());
        const auto res = r.getResult();
        const double left = view.focal[0] - view.width * 0.5 * view.zoom;
        const double pitch = view.width * view.zoom / res.width;
        int compared = 0;
        for (int c = 0; c < res.width; ++c) {
            const double x = left + (c + 0.5) * pitch;
            if (x < 0.05 || x > 14.95) continue; // the box's edges, where a ray may just miss
            const int expected = int(std::trunc(10.0 * x - 0.5));
            EXPECT_NEAR(res.pixels[(size_t(res.height / 2) * res.width + c) * 3], expected, 1) << scale << " " << c;
            ++compared;
        }
        EXPECT_GT(compared, res.width * 2 / 3) << scale;
    }
}

TEST(RayCaster, SmoothSurfaceSquareToTheVoxelsShowsNoStripes)
{
    // A cylinder along y with a soft edge, seen along z: its front curves smoothly away across
    // the picture, so the column brightness must change smoothly too. Samples taken on the voxel
    // planes by every ray alike meet the edge at a phase that repeats with each voxel, which
    // shows as stripes: columns alternating in brightness.
    const int n = 48;
    Cube<int16_t> cube(n, 1, -1000);
    const float c = (n - 1) * 0.5f;
    for (int z = 0; z < n; ++z)
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x) {
                const float d = std::hypot(x - c, z - c) - 18.0f; // distance to the surface, voxels
                const float f = std::min(1.0f, std::max(0.0f, 0.5f - d / 8.0f));
                cube.at(x, y, z) = int16_t(std::lround(-1000.0f + 1040.0f * f));
            }
    isVolumeRenderer r;
    r.setVolume(&cube.rec);
    r.setView(frontView(n, 128), false);
    uint8_t rgb[768];
    greyTable(rgb);
    r.setColorTable(rgb);
    r.setWindow(200, -400); // the middle of the edge
    r.setInterpolation(1);
    r.setScaleLocked(true);
    ASSERT_TRUE(r.render());
    const auto res = r.getResult();
    // Column means over the rows inside the volume, across the middle half of the cylinder.
    const int rows = res.height - 32;
    std::vector<double> mean(size_t(res.width), 0.0);
    for (int row = 16; row < res.height - 16; ++row)
        for (int col = 0; col < res.width; ++col)
            mean[size_t(col)] += res.pixels[(size_t(row) * res.width + col) * 3] / double(rows);
    const int from = res.width / 2 - 22, to = res.width / 2 + 22;
    double alternation = 0.0;
    for (int col = from; col <= to; ++col)
        alternation += std::fabs(mean[size_t(col)] - 0.5 * (mean[size_t(col - 1)] + mean[size_t(col + 1)]));
    EXPECT_LT(alternation / (to - from + 1), 1.1); // 1.6 with every ray sampling on the voxel planes
}
