// Maximum intensity projection against a plain walk that samples every step: block skipping,
// the early stop at the table's top and the single rounding of the maximum must not change a
// pixel, for every pixel type, both samplers and windows that saturate early or never.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "imaging/core/volume/isRayFunctions.h"
#include "imaging/core/volume/vrSpaceLeaping.h"
#include "imaging/core/volume/vrSpaceLeapingFloat.h"

using namespace isImageSDK;

namespace {

constexpr int kDims[3] = {23, 19, 17};

template <typename T>
struct NoisyVolume {
    std::vector<T> data;
    isVolumeRecord rec;
    isRayVolume vol;
    std::unique_ptr<vrSpaceLeapingBase> grid;

    NoisyVolume(int type, float mean, float sigma, float peak, unsigned seed)
    {
        std::mt19937 rng(seed);
        std::normal_distribution<float> noise(mean, sigma);
        const size_t n = size_t(kDims[0]) * kDims[1] * kDims[2];
        data.resize(n);
        const float lo = float(std::numeric_limits<T>::lowest()), hi = float(std::numeric_limits<T>::max());
        for (size_t i = 0; i < n; ++i) data[i] = T(std::clamp(std::round(noise(rng)), lo, hi));
        // A few bright blobs so some rays reach the window's top and stop early.
        std::uniform_int_distribution<size_t> where(0, n - 1);
        for (int b = 0; b < 6; ++b) data[where(rng)] = T(std::clamp(peak, lo, hi));
        rec.voxels = data.data();
        for (int a = 0; a < 3; ++a) rec.dims[a] = kDims[a];
        rec.pixelType = type;
        for (int a = 0; a < 3; ++a) vol.dims[a] = kDims[a];
        vol.sliceSize = kDims[0] * kDims[1];
        vol.pixelType = type;
        for (int z = 0; z < kDims[2]; ++z) vol.slices.push_back(rec.slice(z));
        if (type == 2) grid = std::make_unique<vrSpaceLeapingFloat>();
        else grid = std::make_unique<vrSpaceLeaping>();
        grid->bind(&rec);
        grid->build();
    }

    float voxel(int x, int y, int z) const { return float(data[(size_t(z) * kDims[1] + y) * kDims[0] + x]); }

    float sample(const float p[3], bool linear) const
    {
        if (!linear) {
            int i[3];
            for (int a = 0; a < 3; ++a) i[a] = std::clamp(int(p[a] + 0.5f), 0, kDims[a] - 1);
            return voxel(i[0], i[1], i[2]);
        }
        int i[3];
        float f[3];
        for (int a = 0; a < 3; ++a) {
            const float c = std::max(0.0f, p[a]);
            i[a] = int(c);
            f[a] = c - float(i[a]);
            if (i[a] >= kDims[a] - 1) { i[a] = kDims[a] - 2; f[a] = 1.0f; }
        }
        auto lerp = [](float a, float b, float t) { return a + t * (b - a); };
        float plane[2];
        for (int dz = 0; dz < 2; ++dz) {
            const int z = i[2] + dz;
            const float a0 = lerp(voxel(i[0], i[1], z), voxel(i[0] + 1, i[1], z), f[0]);
            const float a1 = lerp(voxel(i[0], i[1] + 1, z), voxel(i[0] + 1, i[1] + 1, z), f[0]);
            plane[dz] = lerp(a0, a1, f[1]);
        }
        const float v = lerp(plane[0], plane[1], f[2]);
        return std::is_floating_point_v<T> ? v : std::floor(v + 0.5f);
    }

    // Every step of the clipped ray, each sample rounded, the maximum through the window.
    int reference(const isRay& ray, bool linear, float low, float scale, int maxSteps) const
    {
        const float len = std::sqrt(ray.step[0] * ray.step[0] + ray.step[1] * ray.step[1] + ray.step[2] * ray.step[2]);
        float far[3], entry[3], exit[3];
        for (int a = 0; a < 3; ++a) far[a] = ray.start[a] + float(maxSteps) * ray.step[a] / len * len;
        if (!clipSegmentToBox(ray.start, far, grid->getBox(), entry, exit)) return -1;
        const float d[3] = {exit[0] - entry[0], exit[1] - entry[1], exit[2] - entry[2]};
        const int steps = std::max(0, int((std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]) - 0.01f) / len));
        if (steps < 1) return -1;
        float p[3];
        for (int a = 0; a < 3; ++a) p[a] = entry[a] + ray.step[a] / len * 0.005f;
        float m = -1.0e7f;
        for (int k = 0; k < steps; ++k) {
            m = std::max(m, sample(p, linear));
            for (int a = 0; a < 3; ++a) p[a] += ray.step[a];
        }
        return windowedIndex(m, low, scale);
    }
};

template <typename T>
void expectSameAsEveryStep(int type, float mean, float sigma, float peak, unsigned seed)
{
    NoisyVolume<T> v(type, mean, sigma, peak, seed);
    // A table whose entries are all distinct, so a pixel names the entry that made it.
    std::vector<float> transfer(256 * 4);
    for (int i = 0; i < 256; ++i) {
        transfer[size_t(i) * 4 + 1] = float(i);
        transfer[size_t(i) * 4 + 2] = float(255 - i);
        transfer[size_t(i) * 4 + 3] = float(i / 2);
    }
    isRayShading shading;
    shading.background[0] = 1;
    shading.background[1] = 2;
    shading.background[2] = 3;
    shading.transfer = transfer.data();
    std::mt19937 rng(seed + 1);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    // Narrow windows saturate after a step or two; wide ones never; fractional levels and widths
    // put the window's top between whole values.
    const float windows[][2] = {{2.0f, mean}, {7.3f, mean + sigma}, {40.5f, mean + 0.5f}, {400.0f, mean},
                                {3000.0f, mean}, {13.7f, peak - 3.2f}, {50.0f, peak + 500.0f}};
    int compared = 0, saturated = 0;
    for (const auto& w : windows) {
        shading.windowLow = w[1] - w[0] * 0.5f;
        shading.windowScale = 255.0f / w[0];
        v.grid->setThreshold(shading.windowLow);
        for (int linear = 0; linear < 2; ++linear) {
            v.vol.interpolation = linear;
            isRayContext ctx;
            ctx.volume = &v.vol;
            ctx.shading = &shading;
            ctx.grid = v.grid.get();
            ctx.maxSteps = 1000;
            ctx.mode = 3;
            cuLight light;
            const isRayFunction cast = selectRayFunction(3, type, linear);
            for (int r = 0; r < 150; ++r) {
                // From outside the volume through a random point inside it.
                float inside[3], dir[3], dirLen = 0.0f;
                for (int a = 0; a < 3; ++a) {
                    inside[a] = unit(rng) * float(kDims[a] - 1);
                    dir[a] = unit(rng) * 2.0f - 1.0f;
                    dirLen += dir[a] * dir[a];
                }
                dirLen = std::sqrt(dirLen);
                if (dirLen < 0.1f) continue;
                const float stepLength = 0.4f + unit(rng);
                uint8_t out[3] = {0, 0, 0};
                isRay ray;
                for (int a = 0; a < 3; ++a) {
                    ray.step[a] = dir[a] / dirLen * stepLength;
                    ray.start[a] = inside[a] - dir[a] / dirLen * 40.0f;
                }
                ray.out = out;
                cast(ctx, ray, light);
                const int entry = v.reference(ray, linear != 0, shading.windowLow, shading.windowScale, ctx.maxSteps);
                SCOPED_TRACE(testing::Message() << "window " << w[0] << "/" << w[1] << " linear " << linear
                                                << " ray " << r);
                if (entry < 0) {
                    EXPECT_EQ(out[0], 1);
                    EXPECT_EQ(out[1], 2);
                    EXPECT_EQ(out[2], 3);
                    continue;
                }
                ++compared;
                if (entry == 255) ++saturated;
                ASSERT_EQ(out[0], entry);
                ASSERT_EQ(out[1], 255 - entry);
                ASSERT_EQ(out[2], entry / 2);
            }
        }
    }
    // The cases above must really have exercised both ends of the table.
    EXPECT_GT(compared, 500);
    EXPECT_GT(saturated, 20);
}

} // namespace

TEST(MaximumProjection, MatchesSamplingEveryStepForEachPixelType)
{
    {
        SCOPED_TRACE("signed 16-bit");
        expectSameAsEveryStep<int16_t>(1, 40.0f, 25.0f, 1500.0f, 11u);
    }
    {
        SCOPED_TRACE("signed 16-bit near the type's limits");
        expectSameAsEveryStep<int16_t>(1, -32000.0f, 300.0f, 32767.0f, 12u);
    }
    {
        SCOPED_TRACE("unsigned 8-bit");
        expectSameAsEveryStep<uint8_t>(0, 90.0f, 20.0f, 255.0f, 13u);
    }
    {
        SCOPED_TRACE("unsigned 16-bit");
        expectSameAsEveryStep<uint16_t>(3, 2000.0f, 150.0f, 65535.0f, 14u);
    }
    {
        SCOPED_TRACE("float");
        expectSameAsEveryStep<float>(2, 3.0f, 1.5f, 40.0f, 15u);
    }
}
