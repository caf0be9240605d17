// Trilinear and tricubic sampling: exactness on functions they must reproduce, borders, saturation.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "imaging/core/reslice/CTriCubic.h"
#include "imaging/core/reslice/CTriLinear.h"

using namespace isImageSDK;

namespace {

template <typename T, typename F>
std::vector<T> makeVolume(int nx, int ny, int nz, F f)
{
    std::vector<T> v(size_t(nx) * ny * nz);
    for (int z = 0; z < nz; ++z)
        for (int y = 0; y < ny; ++y)
            for (int x = 0; x < nx; ++x) v[(size_t(z) * ny + y) * nx + x] = T(f(x, y, z));
    return v;
}

isSliceStack stackOf(const void* data, int nx, int ny, int nz, int type, float sx = 1, float sy = 1,
                     float sz = 1)
{
    const int d[3] = {nx, ny, nz};
    const float s[3] = {sx, sy, sz};
    return isSliceStack::fromContiguous(data, d, s, type);
}

} // namespace

TEST(TriLinear, ReproducesLinearFunctionsWithAnisotropicSpacing)
{
    auto vol = makeVolume<float>(6, 5, 4, [](int x, int y, int z) { return 3.0f * x - 2.0f * y + 5.0f * z + 7.0f; });
    const isSliceStack st = stackOf(vol.data(), 6, 5, 4, 2, 0.5f, 2.0f, 1.5f);
    CTriLinear<float> lin(st, -1.0f);
    for (float x : {0.0f, 0.3f, 1.1f, 2.49f})
        for (float y : {0.0f, 1.7f, 5.3f, 8.0f})
            for (float z : {0.0f, 0.9f, 3.2f, 4.5f}) {
                const float u = x / 0.5f, v = y / 2.0f, w = z / 1.5f;
                EXPECT_NEAR(lin.interpolate(x, y, z), 3 * u - 2 * v + 5 * w + 7, 1e-3) << x << "," << y << "," << z;
            }
}

TEST(TriLinear, VoxelCentresMidpointsAndBorders)
{
    std::vector<uint8_t> vol = {10, 20, 30, 40, 50, 60, 70, 80}; // 2x2x2
    const isSliceStack st = stackOf(vol.data(), 2, 2, 2, 0);
    CTriLinear<uint8_t> lin(st, 0);
    EXPECT_EQ(lin.interpolate(1, 1, 1), 80);
    EXPECT_EQ(lin.interpolate(0.5f, 0, 0), 15);
    // The far face is inside and repeats its voxel; just beyond it, or before 0, is background.
    EXPECT_EQ(lin.interpolate(1.0f, 0.0f, 0.0f), 20);
    EXPECT_EQ(lin.interpolate(1.001f, 0, 0), 0);
    EXPECT_EQ(lin.interpolate(-0.5f, 0, 0), 0);
    EXPECT_EQ(lin.interpolate(0, 0, 1.2f), 0);
}

TEST(TriLinear, WorksOverSeparatelyAllocatedSlices)
{
    std::vector<int16_t> s0 = {0, 10, 20, 30}, s1 = {100, 110, 120, 130};
    isSliceStack st;
    st.dims[0] = 2; st.dims[1] = 2; st.dims[2] = 2;
    st.pixelType = 1;
    st.slices = {s0.data(), s1.data()};
    CTriLinear<int16_t> lin(st, -1024);
    EXPECT_EQ(lin.interpolate(0.5f, 0.5f, 0.5f), 65);
    EXPECT_EQ(lin.interpolate(0, 0, 2), -1024);
}

TEST(TriCubic, ReproducesQuadraticsInsideAndVoxelsAtCentres)
{
    auto f = [](double x, double y, double z) { return 0.5 * x * x - y * y + 2 * z * z + x * y - 3 * z + 10; };
    auto vol = makeVolume<float>(8, 8, 8, f);
    const isSliceStack st = stackOf(vol.data(), 8, 8, 8, 2);
    CTriCubic<float> cub(st, 0.0f);
    for (float x : {2.0f, 2.25f, 3.5f, 4.9f})
        for (float y : {2.0f, 2.7f, 4.1f})
            for (float z : {2.5f, 3.3f, 4.75f})
                EXPECT_NEAR(cub.interpolate(x, y, z), f(x, y, z), 1e-2) << x << "," << y << "," << z;
    EXPECT_FLOAT_EQ(cub.interpolate(3, 4, 5), float(f(3, 4, 5)));
}

TEST(TriCubic, StepEdgeSaturatesInsteadOfWrapping)
{
    // A 0 -> 255 step along x: Catmull-Rom overshoots on both sides of the edge.
    auto vol = makeVolume<uint8_t>(8, 4, 4, [](int x, int, int) { return x < 4 ? 0 : 255; });
    const isSliceStack st = stackOf(vol.data(), 8, 4, 4, 0);
    CTriCubic<uint8_t> cub(st, 0);
    EXPECT_EQ(cub.interpolate(2.5f, 1, 1), 0);    // would be -15 -> 241 if it wrapped
    EXPECT_EQ(cub.interpolate(4.5f, 1, 1), 255);  // would be 270 -> 14 if it wrapped
    auto svol = makeVolume<int16_t>(8, 4, 4, [](int x, int, int) { return x < 4 ? -32768 : 32767; });
    const isSliceStack sst = stackOf(svol.data(), 8, 4, 4, 1);
    CTriCubic<int16_t> scub(sst, 0);
    EXPECT_EQ(scub.interpolate(2.5f, 1, 1), -32768);
    EXPECT_EQ(scub.interpolate(4.5f, 1, 1), 32767);
}

TEST(TriCubic, HalfVoxelOutsideFirstVoxelRepeatsTheBorder)
{
    auto vol = makeVolume<float>(4, 4, 4, [](int x, int y, int z) { return float(x + 10 * y + 100 * z); });
    const isSliceStack st = stackOf(vol.data(), 4, 4, 4, 2);
    CTriCubic<float> cub(st, -5.0f);
    // In (-1, 0) the index is floored and clamped: between the repeated border voxel and itself.
    // Weights at f = 0.5 are (-1, 9, 9, -1)/16 over voxels (0, 0, 0, 1).
    EXPECT_FLOAT_EQ(cub.interpolate(-0.5f, 0, 0), -0.0625f);
    EXPECT_FLOAT_EQ(cub.interpolate(-0.5f, 1, 2), 209.9375f);
    EXPECT_FLOAT_EQ(cub.interpolate(-1.0f, 0, 0), -5.0f);
    EXPECT_FLOAT_EQ(cub.interpolate(0, 0, 4.0f), -5.0f);
}
