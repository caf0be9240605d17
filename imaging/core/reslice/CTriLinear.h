#pragma once
// Trilinear sampling of a volume at any point of its own millimetre frame; a small value object
// built once per reslice and called once per output sample, without allocation. It reads the
// slice pointers of the stack it was built from, which must outlive it.

#include <type_traits>

#include "imaging/core/reslice/isRowSimd.h"
#include "imaging/core/reslice/isSampleCast.h"
#include "imaging/core/reslice/isSliceStack.h"

namespace isImageSDK {

template <typename T>
class CTriLinear {
public:
    CTriLinear(const isSliceStack& volume, T background)
        : _slices(volume.typed<T>()), _background(background)
    {
        for (int a = 0; a < 3; ++a) {
            _dims[a] = volume.dims[a];
            _max[a] = float(volume.dims[a] - 1);
            _recip[a] = 1.0f / volume.spacing[a];
        }
    }
    virtual ~CTriLinear() = default;

    /// Value at (x, y, z) millimetres; the background outside the box of voxel centres.
    T interpolate(float x, float y, float z) const
    {
        return sample(x * _recip[0], y * _recip[1], z * _recip[2]);
    }

    /// Value at a point given in voxel units (voxel i at i). Points on the boundary are inside.
    T sample(float u, float v, float w) const
    {
        if (!(u >= 0.0f && u <= _max[0] && v >= 0.0f && v <= _max[1] && w >= 0.0f && w <= _max[2]))
            return _background;
        int i = int(u), j = int(v), k = int(w);
        if (i > _dims[0] - 1) i = _dims[0] - 1;
        if (j > _dims[1] - 1) j = _dims[1] - 1;
        if (k > _dims[2] - 1) k = _dims[2] - 1;
        const float fx = u - float(i), fy = v - float(j), fz = w - float(k);
        // The upper face repeats its last voxel; its weight is then 0.
        const int di = i + 1 < _dims[0] ? 1 : 0;
        const int rowStep = j + 1 < _dims[1] ? _dims[0] : 0;
        const T* s0 = _slices[k] + j * _dims[0] + i;
        const T* s1 = _slices[k + 1 < _dims[2] ? k + 1 : k] + j * _dims[0] + i;
        const float a00 = float(s0[0]) + fx * (float(s0[di]) - float(s0[0]));
        const float a01 = float(s0[rowStep]) + fx * (float(s0[rowStep + di]) - float(s0[rowStep]));
        const float a10 = float(s1[0]) + fx * (float(s1[di]) - float(s1[0]));
        const float a11 = float(s1[rowStep]) + fx * (float(s1[rowStep + di]) - float(s1[rowStep]));
        const float b0 = a00 + fy * (a01 - a00);
        const float b1 = a10 + fy * (a11 - a10);
        return saturateSample<T>(b0 + fz * (b1 - b0));
    }

    /// Fast path: u, v, w must lie in [0, n - 1) on every axis (so both neighbours exist).
    T sampleInterior(float u, float v, float w) const
    {
        const int i = int(u), j = int(v), k = int(w);
        const float fx = u - float(i), fy = v - float(j), fz = w - float(k);
        const size_t row = size_t(_dims[0]);
        const T* s0 = _slices[k] + size_t(j) * row + size_t(i);
        const T* s1 = _slices[k + 1] + size_t(j) * row + size_t(i);
        const float a00 = float(s0[0]) + fx * (float(s0[1]) - float(s0[0]));
        const float a01 = float(s0[row]) + fx * (float(s0[row + 1]) - float(s0[row]));
        const float a10 = float(s1[0]) + fx * (float(s1[1]) - float(s1[0]));
        const float a11 = float(s1[row]) + fx * (float(s1[row + 1]) - float(s1[row]));
        const float b0 = a00 + fy * (a01 - a00);
        const float b1 = a10 + fy * (a11 - a10);
        return saturateSample<T>(b0 + fz * (b1 - b0));
    }

    /// Asks the memory system for the voxels a later sampleInterior at (u, v, w) reads.
    void prefetch(float u, float v, float w) const
    {
        const int i = int(u), j = int(v), k = int(w);
        const size_t off = size_t(j) * size_t(_dims[0]) + size_t(i);
        __builtin_prefetch(_slices[k] + off);
        __builtin_prefetch(_slices[k] + off + size_t(_dims[0]));
        __builtin_prefetch(_slices[k + 1] + off);
        __builtin_prefetch(_slices[k + 1] + off + size_t(_dims[0]));
    }

    /// True when sampleRowInterior does its work here (16-bit volumes, a processor with AVX2).
    bool samplesRowsInEights() const { return rowSimdFits<T>(_dims[0], _dims[1]); }

    /// Samples the interior columns of `row` (its rowLength is filled in here) eight at a time
    /// where samplesRowsInEights; returns the first column not done.
    int sampleRowInterior(isSimdRow row, T* dst) const
    {
        row.rowLength = _dims[0];
        return samplesRowsInEights() ? sampleRowSimd(false, _slices, row, dst) : row.lo;
    }

    /// Reads the voxels a later sampleInterior at (u, v, w) needs (same precondition) and drops
    /// them: afterwards their cache lines and pages are present.
    void touch(float u, float v, float w) const
    {
        const int i = int(u), j = int(v), k = int(w);
        const size_t row = size_t(_dims[0]);
        const size_t off = size_t(j) * row + size_t(i);
        const volatile T* s0 = _slices[k] + off;
        const volatile T* s1 = _slices[k + 1] + off;
        (void)s0[0];
        (void)s0[row];
        (void)s1[0];
        (void)s1[row];
    }

    /// The interior of an axis for sampleInterior: [interiorLow, interiorHigh).
    static constexpr float interiorLow() { return 0.0f; }
    float interiorHigh(int axis) const { return float(_dims[axis] - 1); }

private:
    int _dims[3];
    float _max[3];
    float _recip[3];
    const T* const* _slices;
    T _background;
};

} // namespace isImageSDK
