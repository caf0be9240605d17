#pragma once
// Trilinear and tricubic sampling of the interior stretch of one reslice row, eight pixels at a
// time with AVX2 gathers when the processor has them, for single planes and minimum or maximum
// slabs of 16-bit volumes. The arithmetic is the scalar samplers', operation for operation, so
// both give the same pixels.

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace isImageSDK {

/// One output row: slab sample k of pixel c is taken at voxel position
/// ((start + c * dx) + first) + k * dz (per axis, in single precision, in this order), and the
/// pixel is the maximum (or minimum) of its `samples` samples. Every position of columns [lo, hi]
/// must lie in the sampler's interior: [0, n - 1) on every axis for trilinear, [1, n - 2) for
/// tricubic. `rowLength` is the volume's number of columns.
struct isSimdRow {
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
bool rowSimdAvailable();

/// Fill dst[c] for c from row.lo in groups of eight and return the first column left to the
/// caller (fewer than eight before row.hi; row.lo when the path is unavailable).
int sampleLinearRowSimd(const int16_t* const* slices, const isSimdRow& row, int16_t* dst);
int sampleLinearRowSimd(const uint16_t* const* slices, const isSimdRow& row, uint16_t* dst);
int sampleCubicRowSimd(const int16_t* const* slices, const isSimdRow& row, int16_t* dst);
int sampleCubicRowSimd(const uint16_t* const* slices, const isSimdRow& row, uint16_t* dst);

/// True when volumes of pixel type T with slices of `columns` x `rows` take the eight-wide path.
template <typename T>
bool rowSimdFits(int columns, int rows)
{
    if constexpr (std::is_same_v<T, int16_t> || std::is_same_v<T, uint16_t>) {
        // Gather offsets are 32-bit.
        return size_t(columns) * size_t(rows) < (size_t(1) << 30) && rowSimdAvailable();
    } else {
        return false;
    }
}

/// The row functions above for any pixel type: row.lo (nothing done) for types other than 16-bit.
template <typename T>
int sampleRowSimd(bool cubic, const T* const* slices, const isSimdRow& row, T* dst)
{
    if constexpr (std::is_same_v<T, int16_t> || std::is_same_v<T, uint16_t>) {
        return cubic ? sampleCubicRowSimd(slices, row, dst) : sampleLinearRowSimd(slices, row, dst);
    } else {
        (void)cubic, (void)slices, (void)dst;
        return row.lo;
    }
}

} // namespace isImageSDK
