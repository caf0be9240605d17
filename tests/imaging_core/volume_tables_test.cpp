// Transfer and pre-integration tables, the light, the space-leaping grid and segment clipping.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "imaging/core/volume/cuLight.h"
#include "imaging/core/volume/isRayFunctions.h"
#include "imaging/core/volume/isTransferTables.h"
#include "imaging/core/volume/vrSpaceLeaping.h"
#include "imaging/core/volume/vrSpaceLeapingFloat.h"

using namespace isImageSDK;

TEST(TransferTables, ColoursAndAveragedPreIntegration)
{
    isTransferTables t;
    uint8_t rgb[768];
    for (int i = 0; i < 256; ++i) {
        rgb[i * 3] = uint8_t(i);
        rgb[i * 3 + 1] = uint8_t(255 - i);
        rgb[i * 3 + 2] = uint8_t(i / 2);
    }
    t.setColors(rgb);
    EXPECT_EQ(t.dirty, 1);
    EXPECT_FLOAT_EQ(t.transfer[10][0], 10.0f);
    EXPECT_FLOAT_EQ(t.transfer[10][2], 245.0f);
    t.buildPreIntegration();
    EXPECT_EQ(t.dirty, 0);
    auto e = [&](int r, int c, int k) { return t.preIntegration[(size_t(r) * 256 + c) * 4 + k]; };
    for (int r : {0, 17, 128, 255})
        for (int k = 0; k < 4; ++k) EXPECT_FLOAT_EQ(e(r, r, k), t.transfer[r][k]);
    // Symmetric, and for linear channels the mean of the two ends.
    EXPECT_FLOAT_EQ(e(10, 200, 0), e(200, 10, 0));
    EXPECT_NEAR(e(10, 200, 0), 105.0f, 1e-3);
    EXPECT_NEAR(e(10, 200, 2), 150.0f, 1e-3);
}

TEST(TransferTables, NumericalAndAccumulatedStayInRange)
{
    for (int kind : {isTransferTables::Numerical, isTransferTables::Accumulated}) {
        isTransferTables t;
        t.kind = kind;
        t.buildPreIntegration();
        float lo = 1e9f, hi = -1e9f;
        for (float v : t.preIntegration) {
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
        EXPECT_GE(lo, 0.0f) << kind;
        EXPECT_LE(hi, 255.0f) << kind;
        // A fully transparent segment stays transparent and black.
        EXPECT_FLOAT_EQ(t.preIntegration[0], 0.0f) << kind;
        // Opacity grows with the values the segment crosses.
        EXPECT_GT(t.preIntegration[(size_t(255) * 256 + 200) * 4], t.preIntegration[(size_t(60) * 256 + 10) * 4]);
    }
    isTransferTables t;
    // Constant opacity 255 along the segment: 1 - exp(-1) of full opacity.
    float out[4];
    t.preIntegrateSegment(255, 255, out);
    EXPECT_NEAR(out[0], (1 - std::exp(-1.0f)) * 255, 0.01);
}

TEST(Light, PhongWithClampAndMaterial)
{
    cuLight light;
    light.position[2] = 10;
    light.eye[2] = 10;
    const float p[3] = {0, 0, 0}, n[3] = {0, 0, 1};
    float out[3];
    light.shade(p, n, out);
    // Ambient 0.15 * 1.2 + diffuse 0.9 + specular 0.3 exceeds 1.
    EXPECT_FLOAT_EQ(out[0], 1.0f);
    const float dark[3] = {0.5f, 0.0f, 0.0f};
    light.setMaterial(dark);
    light.shade(p, n, out);
    EXPECT_NEAR(out[0], 0.5f * (0.15f * 1.2f + 0.9f + 0.3f), 1e-5);
    EXPECT_FLOAT_EQ(out[1], 0.0f);
    // Lit from the side at 60 degrees, seen head-on: diffuse cos 60, specular of the mirrored ray.
    light.position[0] = 10.0f * std::sqrt(3.0f);
    light.shade(p, n, out);
    const float specular = std::pow(0.5f, 15.0f);
    EXPECT_NEAR(out[0], 0.5f * (0.15f * 1.2f + 0.9f * 0.5f + 0.3f * specular), 1e-5);
}

namespace {

template <typename T>
struct Grid {
    std::vector<T> data;
    isVolumeRecord rec;
    Grid(int nx, int ny, int nz, int type, T fill) : data(size_t(nx) * ny * nz, fill)
    {
        rec.voxels = data.data();
        rec.dims[0] = nx; rec.dims[1] = ny; rec.dims[2] = nz;
        rec.pixelType = type;
    }
    T& at(int x, int y, int z) { return data[(size_t(z) * rec.dims[1] + y) * rec.dims[0] + x]; }
};

} // namespace

TEST(SpaceLeaping, BlockCountsAndTheBoxOfNonEmptyBlocks)
{
    Grid<int16_t> g(512, 512, 100, 1, 0);
    vrSpaceLeaping grid;
    grid.bind(&g.rec);
    EXPECT_EQ(grid.blocks[0], 128);
    EXPECT_EQ(grid.blocks[2], 25);
    Grid<int16_t> small(5, 9, 6, 1, -1000);
    small.at(4, 8, 3) = 500;  // on the x and y block boundary, inside the first z block
    vrSpaceLeaping sg;
    sg.bind(&small.rec);
    EXPECT_EQ(sg.blocks[0], 2);
    sg.build();
    sg.setThreshold(100);
    const float* b = sg.getBox();
    // Blocks overlap by one voxel: voxel 4 belongs to blocks 0 and 1; the box ends at the last voxel.
    EXPECT_FLOAT_EQ(b[0], 0); EXPECT_FLOAT_EQ(b[1], 4);
    EXPECT_FLOAT_EQ(b[2], 4); EXPECT_FLOAT_EQ(b[3], 8);
    EXPECT_FLOAT_EQ(b[4], 0); EXPECT_FLOAT_EQ(b[5], 4);
    const float inside[3] = {3.9f, 7.5f, 3.2f}, empty[3] = {0.5f, 0.5f, 4.5f};
    EXPECT_FALSE(sg.isEmptyAt(inside));
    EXPECT_TRUE(sg.isEmptyAt(empty));
    sg.setThreshold(600);
    EXPECT_GT(sg.getBox()[0], sg.getBox()[1]); // nothing reaches it: an empty box
}

TEST(SpaceLeaping, ReadsTheRealPixelType)
{
    // Unsigned 16-bit values above 32767 must not read as negative.
    Grid<uint16_t> u(8, 8, 8, 3, 0);
    u.at(6, 6, 6) = 60000;
    vrSpaceLeaping ug;
    ug.bind(&u.rec);
    ug.build();
    ug.setThreshold(40000);
    EXPECT_FLOAT_EQ(ug.getBox()[0], 4);
    // Float data below 200 (PET) is visible once the threshold follows the window.
    Grid<float> f(8, 8, 8, 2, 0.0f);
    f.at(1, 1, 1) = 3.5f;
    vrSpaceLeapingFloat fg;
    fg.bind(&f.rec);
    fg.build();
    EXPECT_GT(fg.getBox()[0], fg.getBox()[1]);
    fg.setThreshold(1.0f);
    EXPECT_FLOAT_EQ(fg.getBox()[0], 0);
    EXPECT_FLOAT_EQ(fg.getBox()[1], 4);
    // An integer grid does not build from a float volume.
    vrSpaceLeaping wrong;
    wrong.bind(&f.rec);
    wrong.build();
    EXPECT_FALSE(wrong.built);
}

TEST(ClipSegment, EntryExitMissAndInsideStart)
{
    const float box[6] = {0, 10, 0, 10, 0, 10};
    float en[3], ex[3];
    const float s[3] = {-5, 5, 5}, f[3] = {15, 5, 5};
    ASSERT_TRUE(clipSegmentToBox(s, f, box, en, ex));
    EXPECT_FLOAT_EQ(en[0], 0); EXPECT_FLOAT_EQ(ex[0], 10);
    const float in[3] = {2, 3, 4};
    ASSERT_TRUE(clipSegmentToBox(in, f, box, en, ex));
    EXPECT_FLOAT_EQ(en[0], 2); EXPECT_FLOAT_EQ(en[1], 3);
    const float miss0[3] = {-5, 11, 5}, miss1[3] = {15, 11, 5};
    EXPECT_FALSE(clipSegmentToBox(miss0, miss1, box, en, ex));
    const float shortEnd[3] = {-1, 5, 5};
    EXPECT_FALSE(clipSegmentToBox(s, shortEnd, box, en, ex));
    const float emptyBox[6] = {1, 0, 0, 10, 0, 10};
    EXPECT_FALSE(clipSegmentToBox(s, f, emptyBox, en, ex));
}

TEST(WindowedIndex, ClampsBeforeNarrowing)
{
    // 7000 through a 50-wide window at level 0 is far above the top: entry 255, never wrapped.
    EXPECT_EQ(windowedIndex(7000.0f, -25.0f, 255.0f / 50.0f), 255);
    EXPECT_EQ(windowedIndex(-1.0e7f, -25.0f, 255.0f / 50.0f), 0);
    EXPECT_EQ(windowedIndex(0.0f, -25.0f, 255.0f / 50.0f), 127);
}
