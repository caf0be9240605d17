// Plane extraction along the volume's three axes with slabs, on voxel = x + 10y + 100z.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "imaging/core/reslice/isPlaneKernel.h"

using namespace isImageSDK;

namespace {

constexpr int NX = 4, NY = 3, NZ = 5;

int voxel(int x, int y, int z) { return x + 10 * y + 100 * z; }

template <typename T>
struct Volume {
    std::vector<std::vector<T>> slices; // deliberately separate buffers
    isSliceStack stack;
    Volume(int type, double scale = 1.0)
    {
        for (int z = 0; z < NZ; ++z) {
            std::vector<T> s(NX * NY);
            for (int y = 0; y < NY; ++y)
                for (int x = 0; x < NX; ++x) s[y * NX + x] = T(voxel(x, y, z) * scale);
            slices.push_back(std::move(s));
        }
        stack.dims[0] = NX; stack.dims[1] = NY; stack.dims[2] = NZ;
        stack.pixelType = type;
        for (auto& s : slices) stack.slices.push_back(s.data());
    }
};

template <typename T>
std::vector<T> extract(const isSliceStack& st, int orientation, int index, int slab = 1, int mode = 1)
{
    int c = 0, r = 0;
    planeOutputSize(st, orientation, c, r);
    std::vector<T> out(size_t(c) * r, T(-1));
    isPlaneParams p;
    p.orientation = orientation; p.sliceIndex = index; p.slabCount = slab; p.slabMode = mode;
    EXPECT_TRUE(extractPlane(st, p, out.data()));
    return out;
}

} // namespace

TEST(PlaneExtraction, SingleVoxelPlanesInAllThreeOrientations)
{
    Volume<int16_t> v(1);
    auto a = extract<int16_t>(v.stack, 0, 2);
    for (int r = 0; r < NY; ++r)
        for (int c = 0; c < NX; ++c) EXPECT_EQ(a[r * NX + c], voxel(c, r, 2));
    // Orientation 1 counts from the last column: index 0 is x = nx - 1.
    auto s = extract<int16_t>(v.stack, 1, 0);
    for (int r = 0; r < NY; ++r)
        for (int c = 0; c < NZ; ++c) EXPECT_EQ(s[r * NZ + c], voxel(NX - 1, r, c));
    auto co = extract<int16_t>(v.stack, 2, 1);
    for (int r = 0; r < NX; ++r)
        for (int c = 0; c < NZ; ++c) EXPECT_EQ(co[r * NZ + c], voxel(r, 1, c));
}

TEST(PlaneExtraction, SlabModesCombineCentredPlanesCutAtTheEnds)
{
    Volume<int16_t> v(1);
    // Slab of 5 at index 0 covers planes 0..2; at the last index the last three.
    auto mx = extract<int16_t>(v.stack, 0, 0, 5, 1);
    auto mn = extract<int16_t>(v.stack, 0, NZ - 1, 5, 0);
    auto avg = extract<int16_t>(v.stack, 0, 2, 3, 2);
    auto sum = extract<int16_t>(v.stack, 0, 2, 3, 3);
    auto other = extract<int16_t>(v.stack, 0, 2, 3, 9); // unknown modes act as maximum
    for (int r = 0; r < NY; ++r)
        for (int c = 0; c < NX; ++c) {
            const int i = r * NX + c;
            EXPECT_EQ(mx[i], voxel(c, r, 2));
            EXPECT_EQ(mn[i], voxel(c, r, NZ - 3));
            EXPECT_EQ(avg[i], voxel(c, r, 2));
            EXPECT_EQ(sum[i], 3 * voxel(c, r, 2));
            EXPECT_EQ(other[i], voxel(c, r, 3));
        }
    // Across x (orientation 1, index 1 -> x = 2) a slab of 3 spans x = 1..3.
    auto sx = extract<int16_t>(v.stack, 1, 1, 3, 2);
    for (int r = 0; r < NY; ++r)
        for (int c = 0; c < NZ; ++c) EXPECT_EQ(sx[r * NZ + c], voxel(2, r, c));
    auto sy = extract<int16_t>(v.stack, 2, 1, 3, 0);
    for (int r = 0; r < NX; ++r)
        for (int c = 0; c < NZ; ++c) EXPECT_EQ(sy[r * NZ + c], voxel(r, 0, c));
}

TEST(PlaneExtraction, IntegerSumsSaturateAndAveragesTruncate)
{
    std::vector<uint8_t> a(4, 200), b(4, 200), c(4, 201);
    isSliceStack st;
    st.dims[0] = 2; st.dims[1] = 2; st.dims[2] = 3;
    st.pixelType = 0;
    st.slices = {a.data(), b.data(), c.data()};
    EXPECT_EQ(extract<uint8_t>(st, 0, 1, 3, 3)[0], 255);
    EXPECT_EQ(extract<uint8_t>(st, 0, 1, 3, 2)[0], 200); // 601 / 3 = 200.33
    std::vector<int16_t> s0(4, -30000), s1(4, -30000), s2(4, -30000);
    st.pixelType = 1;
    st.slices = {s0.data(), s1.data(), s2.data()};
    EXPECT_EQ(extract<int16_t>(st, 0, 1, 3, 3)[0], -32768);
}

TEST(PlaneExtraction, FloatAndRgbVolumes)
{
    Volume<float> f(2, 0.5);
    auto avg = extract<float>(f.stack, 2, 1, 3, 2);
    EXPECT_FLOAT_EQ(avg[1 * NZ + 2], float(voxel(1, 1, 2)) * 0.5f);

    // RGB: triples copied together, the slab ignored.
    std::vector<std::vector<uint8_t>> slices;
    isSliceStack st;
    st.dims[0] = 2; st.dims[1] = 2; st.dims[2] = 3;
    st.pixelType = 4;
    for (int z = 0; z < 3; ++z) {
        std::vector<uint8_t> s;
        for (int i = 0; i < 4; ++i) { s.push_back(uint8_t(z)); s.push_back(uint8_t(i)); s.push_back(7); }
        slices.push_back(s);
    }
    for (auto& s : slices) st.slices.push_back(s.data());
    std::vector<uint8_t> out(3 * 2 * 3);
    isPlaneParams p;
    p.orientation = 1; p.sliceIndex = 0; p.slabCount = 3; p.slabMode = 3;
    ASSERT_TRUE(extractPlane(st, p, out.data()));
    // Output (c = z, r = y) is voxel (x = 1, y, z): red z, green y * 2 + 1.
    EXPECT_EQ(out[(1 * 3 + 2) * 3 + 0], 2);
    EXPECT_EQ(out[(1 * 3 + 2) * 3 + 1], 3);
    EXPECT_EQ(out[(1 * 3 + 2) * 3 + 2], 7);
}

TEST(PlaneExtraction, RefusesBadIndexOrientationAndMissingSlices)
{
    Volume<int16_t> v(1);
    std::vector<int16_t> out(64, 7);
    isPlaneParams p;
    p.sliceIndex = NZ;
    EXPECT_FALSE(extractPlane(v.stack, p, out.data()));
    p.sliceIndex = 0; p.orientation = 3;
    EXPECT_FALSE(extractPlane(v.stack, p, out.data()));
    p.orientation = 0;
    v.stack.slices[3] = nullptr;
    EXPECT_FALSE(extractPlane(v.stack, p, out.data()));
    EXPECT_EQ(out[0], 7);
}
