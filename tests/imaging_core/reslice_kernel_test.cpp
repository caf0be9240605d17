// Reslice geometry and sampling: known geometries, slabs, backgrounds and an oblique plane
// compared with a double-precision reference.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <type_traits>
#include <vector>

#include "imaging/core/reslice/isResliceKernel.h"

using namespace isImageSDK;

namespace {

const float kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

template <typename T, typename F>
std::vector<T> makeVolume(int nx, int ny, int nz, F f)
{
    std::vector<T> v(size_t(nx) * ny * nz);
    for (int z = 0; z < nz; ++z)
        for (int y = 0; y < ny; ++y)
            for (int x = 0; x < nx; ++x) v[(size_t(z) * ny + y) * nx + x] = T(f(x, y, z));
    return v;
}

// Rotation about z by `deg` degrees, column-major, origin at (ox, oy, oz).
void rotationZ(float deg, float out[16], float ox = 0, float oy = 0, float oz = 0)
{
    const float a = deg * float(M_PI) / 180.0f, c = std::cos(a), s = std::sin(a);
    const float m[16] = {c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, ox, oy, oz, 1};
    for (int i = 0; i < 16; ++i) out[i] = m[i];
}

template <typename T>
std::vector<T> runReslice(const isSliceStack& st, const isResliceParams& p)
{
    std::vector<T> out(size_t(p.geometry.columns) * p.geometry.rows);
    EXPECT_TRUE(resliceVolume(st, p, out.data()));
    return out;
}

} // namespace

TEST(ResliceGeometry, IdentityAxesGiveIntervalsNotSamples)
{
    const int dims[3] = {4, 3, 2};
    const float spacing[3] = {1, 1, 1};
    isResliceGeometry g;
    ASSERT_TRUE(computeResliceGeometry(dims, spacing, kIdentity, g));
    EXPECT_EQ(g.columns, 3);
    EXPECT_EQ(g.rows, 2);
    EXPECT_FLOAT_EQ(g.spacingX, 1.0f);
    EXPECT_FLOAT_EQ(g.spacingY, 1.0f);
    for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(g.axes[i], kIdentity[i]);
}

TEST(ResliceGeometry, RotatedAxesCoverTheRotatedSquareWithVoxelSpacing)
{
    const int dims[3] = {100, 100, 10};
    const float spacing[3] = {1, 1, 2.5f};
    float axes[16];
    rotationZ(45, axes);
    isResliceGeometry g;
    ASSERT_TRUE(computeResliceGeometry(dims, spacing, axes, g));
    EXPECT_NEAR(g.spacingX, std::sqrt(2.0f), 1e-5);
    EXPECT_NEAR(g.spacingY, std::sqrt(2.0f), 1e-5);
    EXPECT_NEAR(g.slabSpacing, 2.5f, 1e-6);
    // The projection of the square is 99 * sqrt(2) wide both ways: 99 intervals of sqrt(2).
    EXPECT_EQ(g.columns, 99);
    EXPECT_EQ(g.rows, 99);
    // Pixel (0, 0) is the rectangle's corner: x = -99/sqrt(2) ... along the rotated axes.
    const float ox = g.axes[12], oy = g.axes[13];
    EXPECT_NEAR(ox, 49.5f, 1e-3);
    EXPECT_NEAR(oy, -49.5f, 1e-3);
}

TEST(ResliceGeometry, DegenerateAxesAndSpacingKeepTheOldGeometry)
{
    const int dims[3] = {10, 10, 10};
    const float spacing[3] = {1, 1, 1};
    isResliceGeometry g;
    g.columns = 42;
    float singular[16] = {1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    EXPECT_FALSE(computeResliceGeometry(dims, spacing, singular, g));
    float nan[16];
    for (int i = 0; i < 16; ++i) nan[i] = kIdentity[i];
    nan[5] = std::numeric_limits<float>::quiet_NaN();
    EXPECT_FALSE(computeResliceGeometry(dims, spacing, nan, g));
    // A nearly singular matrix would ask for billions of pixels.
    float tiny[16] = {1e-5f, 0, 0, 0, 0, 1e-5f, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    EXPECT_FALSE(computeResliceGeometry(dims, spacing, tiny, g));
    const float zero[3] = {1, 0, 1};
    EXPECT_FALSE(computeResliceGeometry(dims, zero, kIdentity, g));
    EXPECT_EQ(g.columns, 42);
}

TEST(ResliceSampling, IdentityPlanesReturnTheVoxels)
{
    auto vol = makeVolume<int16_t>(5, 4, 3, [](int x, int y, int z) { return x + 10 * y + 100 * z; });
    const int dims[3] = {5, 4, 3};
    const float spacing[3] = {1, 1, 1};
    isSliceStack st = isSliceStack::fromContiguous(vol.data(), dims, spacing, 1);
    isResliceParams p;
    float axes[16];
    for (int i = 0; i < 16; ++i) axes[i] = kIdentity[i];
    axes[14] = 1.0f; // the plane z = 1
    ASSERT_TRUE(computeResliceGeometry(dims, spacing, axes, p.geometry));
    auto out = runReslice<int16_t>(st, p);
    for (int r = 0; r < p.geometry.rows; ++r)
        for (int c = 0; c < p.geometry.columns; ++c) EXPECT_EQ(out[r * p.geometry.columns + c], c + 10 * r + 100);
}

TEST(ResliceSampling, SlabsAreCentredOnThePlane)
{
    auto vol = makeVolume<int16_t>(4, 4, 7, [](int x, int y, int z) { return x + 10 * y + 100 * z; });
    const int dims[3] = {4, 4, 7};
    const float spacing[3] = {1, 1, 1};
    isSliceStack st = isSliceStack::fromContiguous(vol.data(), dims, spacing, 1);
    float axes[16];
    for (int i = 0; i < 16; ++i) axes[i] = kIdentity[i];
    axes[14] = 3.0f;
    isResliceParams p;
    ASSERT_TRUE(computeResliceGeometry(dims, spacing, axes, p.geometry));
    p.slabSampleCount = 3; // planes z = 2, 3, 4
    const int expect[4] = {200, 400, 300, 900};
    for (int mode = 0; mode < 4; ++mode) {
        p.slabMode = mode;
        auto out = runReslice<int16_t>(st, p);
        EXPECT_EQ(out[1 * p.geometry.columns + 2], expect[mode] + (mode == 3 ? 3 * 12 : 12)) << mode;
    }
    p.slabMode = 7; // unknown modes keep the first sample
    EXPECT_EQ(runReslice<int16_t>(st, p)[0], 200);
}

TEST(ResliceSampling, BackgroundAndSaturatedSums)
{
    auto vol = makeVolume<uint8_t>(4, 4, 4, [](int, int, int) { return 200; });
    const int dims[3] = {4, 4, 4};
    const float spacing[3] = {1, 1, 1};
    isSliceStack st = isSliceStack::fromContiguous(vol.data(), dims, spacing, 0);
    float axes[16];
    for (int i = 0; i < 16; ++i) axes[i] = kIdentity[i];
    axes[14] = 1.5f;
    isResliceParams p;
    ASSERT_TRUE(computeResliceGeometry(dims, spacing, axes, p.geometry));
    p.slabSampleCount = 3;
    p.slabMode = 3;
    EXPECT_EQ(runReslice<uint8_t>(st, p)[0], 255);

    auto svol = makeVolume<int16_t>(4, 4, 4, [](int, int, int) { return 5; });
    isSliceStack sst = isSliceStack::fromContiguous(svol.data(), dims, spacing, 1);
    axes[14] = 10.0f; // wholly outside the volume
    isResliceParams q;
    q.geometry = p.geometry;
    for (int i = 0; i < 16; ++i) q.geometry.axes[i] = axes[i];
    q.background = -1024.0f;
    EXPECT_EQ(runReslice<int16_t>(sst, q)[0], -1024);
    q.background = -1024.0f; // an unsigned volume saturates the background to 0
    EXPECT_EQ(runReslice<uint8_t>(st, q)[0], 0);
}

TEST(ResliceSampling, ObliquePlaneMatchesDoubleReferenceWithinOne)
{
    const int nx = 64, ny = 60, nz = 40;
    const float sp[3] = {0.7f, 0.7f, 1.0f};
    // A smooth but steep CT-like field: a sphere of bone in water with a gradient.
    auto f = [&](int x, int y, int z) {
        const double dx = x * sp[0] - 22, dy = y * sp[1] - 21, dz = z * sp[2] - 20;
        const double r = std::sqrt(dx * dx + dy * dy + dz * dz);
        return int16_t(std::lround(-1000 + 2500 / (1 + std::exp((r - 12) * 2)) + 7 * x - 3 * y));
    };
    auto vol = makeVolume<int16_t>(nx, ny, nz, f);
    const int dims[3] = {nx, ny, nz};
    isSliceStack st = isSliceStack::fromContiguous(vol.data(), dims, sp, 1);

    // 45 degrees about the x axis through the centre, then 20 degrees about z (rows run mostly
    // along the volume's rows); and the diagonal of the slices with columns along z (each pixel
    // of a row lies in another volume row, the path that is read ahead of sampling).
    const double a = M_PI / 4, b = M_PI / 9;
    const double r0[3] = {std::cos(b), std::sin(b), 0};
    const double r1[3] = {-std::sin(b) * std::cos(a), std::cos(b) * std::cos(a), std::sin(a)};
    const double r2[3] = {r0[1] * r1[2] - r0[2] * r1[1], r0[2] * r1[0] - r0[0] * r1[2], r0[0] * r1[1] - r0[1] * r1[0]};
    const float d = float(std::sqrt(0.5));
    const float planes[2][16] = {
        {float(r0[0]), float(r0[1]), float(r0[2]), 0, float(r1[0]), float(r1[1]), float(r1[2]), 0, float(r2[0]),
         float(r2[1]), float(r2[2]), 0, 22, 21, 20, 1},
        {d, d, 0, 0, 0, 0, 1, 0, d, -d, 0, 0, 22, 21, 20, 1}};
    for (int test = 0; test < 4; ++test) {
        const int interp = 1 + test % 2;
        const float* axes = planes[test / 2];
        isResliceParams p;
        p.interpolation = interp;
        p.background = -1024;
        ASSERT_TRUE(computeResliceGeometry(dims, sp, axes, p.geometry));
        auto out = runReslice<int16_t>(st, p);
        const isResliceGeometry& g = p.geometry;
        int compared = 0, worst = 0;
        for (int r = 0; r < g.rows; ++r)
            for (int c = 0; c < g.columns; ++c) {
                double pos[3];
                for (int k = 0; k < 3; ++k)
                    pos[k] = (double(g.axes[12 + k]) + c * double(g.spacingX) * g.axes[k] +
                              r * double(g.spacingY) * g.axes[4 + k]) / sp[k];
                // Skip samples within a hair of the volume's border, where the float and double
                // positions may fall on different sides.
                bool inside = true, nearBorder = false;
                for (int k = 0; k < 3; ++k) {
                    const double lo = interp == 2 ? -1 : 0, hi = interp == 2 ? dims[k] : dims[k] - 1;
                    if (pos[k] < lo || pos[k] > hi) inside = false;
                    if (std::fabs(pos[k] - lo) < 1e-3 || std::fabs(pos[k] - hi) < 1e-3) nearBorder = true;
                }
                if (nearBorder) continue;
                double ref = -1024;
                if (inside) {
                    ref = 0;
                    const int i0[3] = {int(std::floor(pos[0])), int(std::floor(pos[1])), int(std::floor(pos[2]))};
                    const int lo = interp == 2 ? -1 : 0, hi = interp == 2 ? 2 : 1;
                    for (int k = lo; k <= hi; ++k)
                        for (int j = lo; j <= hi; ++j)
                            for (int i = lo; i <= hi; ++i) {
                                const int idx[3] = {i0[0] + i, i0[1] + j, i0[2] + k};
                                int cl[3];
                                double w = 1;
                                for (int q = 0; q < 3; ++q) {
                                    cl[q] = std::min(std::max(idx[q], 0), dims[q] - 1);
                                    const double t = pos[q] - i0[q];
                                    const int n = q == 0 ? i : q == 1 ? j : k;
                                    if (interp == 1) w *= n == 0 ? 1 - t : t;
                                    else {
                                        const double d = std::fabs(t - n);
                                        w *= d < 1 ? 1.5 * d * d * d - 2.5 * d * d + 1
                                                   : -0.5 * d * d * d + 2.5 * d * d - 4 * d + 2;
                                    }
                                }
                                ref += w * vol[(size_t(cl[2]) * ny + cl[1]) * nx + cl[0]];
                            }
                    ref = std::trunc(std::min(std::max(ref, -32768.0), 32767.0));
                }
                const int diff = std::abs(int(out[r * g.columns + c]) - int(ref));
                worst = std::max(worst, diff);
                ++compared;
            }
        EXPECT_GT(compared, 1000);
        EXPECT_LE(worst, 1) << "interpolation " << interp << ", plane " << test / 2;
    }
}

TEST(ResliceSampling, DiagonalSlabIsTheMaximumOfItsPlanes)
{
    const int dims[3] = {48, 40, 12};
    const float sp[3] = {0.8f, 0.8f, 1.5f};
    auto vol = makeVolume<int16_t>(dims[0], dims[1], dims[2],
                                   [](int x, int y, int z) { return (x * 37 + y * 91 + z * 53) % 400 - 100; });
    isSliceStack st = isSliceStack::fromContiguous(vol.data(), dims, sp, 1);
    const float d = float(std::sqrt(0.5));
    const float axes[16] = {d, d, 0, 0, 0, 0, 1, 0, d, -d, 0, 0, 19, 16, 8, 1};
    isResliceParams slab;
    ASSERT_TRUE(computeResliceGeometry(dims, sp, axes, slab.geometry));
    slab.slabSampleCount = 5;
    slab.slabMode = 1;
    slab.background = -1024;
    const auto got = runReslice<int16_t>(st, slab);
    // The same planes one at a time: origins moved along the normal by -2 .. 2 slab spacings.
    std::vector<int> expected(got.size(), std::numeric_limits<int>::min());
    for (int k = -2; k <= 2; ++k) {
        isResliceParams one = slab;
        one.slabSampleCount = 1;
        for (int a = 0; a < 3; ++a) one.geometry.axes[12 + a] += float(k) * slab.geometry.slabSpacing * axes[8 + a];
        const auto plane = runReslice<int16_t>(st, one);
        for (size_t i = 0; i < plane.size(); ++i) expected[i] = std::max(expected[i], int(plane[i]));
    }
    int worst = 0, inside = 0;
    for (size_t i = 0; i < got.size(); ++i) {
        if (got[i] == -1024 || expected[i] == -1024) continue; // a border the two may place apart
        worst = std::max(worst, std::abs(int(got[i]) - expected[i]));
        ++inside;
    }
    EXPECT_GT(inside, int(got.size() / 3));
    EXPECT_LE(worst, 1);
}

// 16-bit volumes are sampled eight pixels at a time where the processor allows; the float samplers
// go one pixel at a time through the same arithmetic, so truncating its pixels must give the
// same values exactly, whatever the plane (rows along x, across rows, across slices) or slab.
TEST(ResliceSampling, SixteenBitRowsMatchTheFloatSamplerExactly)
{
    const int dims[3] = {70, 66, 30};
    const float sp[3] = {0.7f, 0.7f, 1.2f};
    auto value = [](int x, int y, int z) { return (x * 977 + y * 131 + z * 7919) % 60000; };
    auto u16 = makeVolume<uint16_t>(dims[0], dims[1], dims[2], [&](int x, int y, int z) { return value(x, y, z) + 5000; });
    auto s16 = makeVolume<int16_t>(dims[0], dims[1], dims[2], [&](int x, int y, int z) { return value(x, y, z) - 30000; });
    auto u16f = makeVolume<float>(dims[0], dims[1], dims[2], [&](int x, int y, int z) { return value(x, y, z) + 5000; });
    auto s16f = makeVolume<float>(dims[0], dims[1], dims[2], [&](int x, int y, int z) { return value(x, y, z) - 30000; });
    const float d = float(std::sqrt(0.5));
    // Rows that climb through the slices: groups of eight pixels straddle two slices.
    const float n = std::sqrt(0.6f * 0.6f + 0.3f * 0.3f + 0.78f * 0.78f), m = std::sqrt(0.3f * 0.3f + 0.6f * 0.6f);
    const float planes[3][16] = {
        {1, 0, 0, 0, 0, d, d, 0, 0, -d, d, 0, 24, 23, 17, 1},
        {d, d, 0, 0, 0, 0, 1, 0, d, -d, 0, 0, 24, 23, 17, 1},
        {0.6f / n, 0.3f / n, 0.78f / n, 0, -0.3f / m, 0.6f / m, 0, 0, 0, 0, 1, 0, 24, 23, 17, 1}};
    // Single planes, and maximum and minimum slabs of five samples; trilinear, then tricubic.
    for (int test = 0; test < 18; ++test) {
        const int plane = test % 3, kind = test % 9;
        isResliceParams p;
        p.background = -1024;
        ASSERT_TRUE(computeResliceGeometry(dims, sp, planes[plane], p.geometry));
        p.slabSampleCount = kind < 3 ? 1 : 5;
        p.slabMode = kind < 6 ? 1 : 0;
        p.interpolation = test < 9 ? 1 : 2;
        auto check = [&](const auto& narrow, const std::vector<float>& reference, int pixelType) {
            using T = typename std::decay_t<decltype(narrow)>::value_type;
            const auto got = runReslice<T>(isSliceStack::fromContiguous(narrow.data(), dims, sp, pixelType), p);
            const auto ref = runReslice<float>(isSliceStack::fromContiguous(reference.data(), dims, sp, 2), p);
            int mismatches = 0, inside = 0;
            for (size_t i = 0; i < got.size(); ++i) {
                const double lo = std::numeric_limits<T>::lowest(), hi = std::numeric_limits<T>::max();
                const double expected = std::min(std::max(std::trunc(double(ref[i])), lo), hi);
                if (double(got[i]) != expected) ++mismatches;
                if (ref[i] != -1024.0f) ++inside;
            }
            EXPECT_GT(inside, int(got.size() / 4)) << "case " << test;
            EXPECT_EQ(mismatches, 0) << "case " << test << ", pixel type " << pixelType;
        };
        check(s16, s16f, 1);
        check(u16, u16f, 3);
    }
}
