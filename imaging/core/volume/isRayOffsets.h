#pragma once
// Where each ray of the ray caster takes its first sample, as a fraction of a step past the point
// where it enters the volume: a blue-noise tile repeated over the picture.

#include <cstddef>
#include <vector>

namespace isImageSDK {

/// Per-pixel sample offsets in [0, 1). Rays that all sampled at one phase would show the rows of
/// samples as stripes along a surface; offsets spread evenly over [0, 1) turn them into a fine
/// grain, and blue noise keeps that grain free of clumps. The tile is fixed, so one view always
/// gives one picture.
class isRayOffsets {
public:
    static constexpr int kSize = 32; // tile side in pixels

    /// The offset of output pixel (column, row).
    static float at(int column, int row)
    {
        const std::vector<float>& t = tile();
        return t[size_t(row & (kSize - 1)) * kSize + size_t(column & (kSize - 1))];
    }

    /// The tile, row by row: every value (i + 0.5) / kSize^2 once. Built on first use.
    static const std::vector<float>& tile();
};

} // namespace isImageSDK
