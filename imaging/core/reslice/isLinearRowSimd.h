#pragma once
// Trilinear sampling of the interior stretch of one reslice row, eight pixels at a time with
// AVX2 gathers when the processor has them, for single planes and minimum or maximum slabs. The arithmetic is the scalar sampler's, operation for
// operation, so both give the same pixels; only 16-bit volumes take this path.

#include <cstdint>

namespace isImageSDK {

/// One output row: slab sample k of pixel c is taken at voxel position
/// ((start + c * dx) + first) + k * dz (per axis, in single precision, in this order), and the
/// pixel is the maximum (or minimum) of its `samples` samples. Every position of columns [lo, hi]
/// must lie in [0, n - 1) on every axis; `rowLength` is the volume's number of columns.
struct isLinearRow {
    const float* start;
    const float* dx;
    const float* first;
    const float* dz;
    int samples;
    bool maximum;
    int lo;
    int hi;
    int rowLength;
};

/// True when this processor runs the eight-wide path.
bool linearRowSimdAvailable();

/// Fills dst[c] for c from row.lo in groups of eight and returns the first column left to the
/// caller (fewer than eight before row.hi; row.lo when the path is unavailable).
int sampleLinearRowSimd(const int16_t* const* slices, const isLinearRow& row, int16_t* dst);
int sampleLinearRowSimd(const uint16_t* const* slices, const isLinearRow& row, uint16_t* dst);

} // namespace isImageSDK
