#pragma once
// Tricubic (Catmull-Rom) sampling of a volume; results saturate to the sample type's range
// because the kernel overshoots next to sharp edges. The stack it was built from must outlive it.

#include <cmath>
#include <cstdint>
#include <cstring>
#include <type_traits>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "imaging/core/reslice/isRowSimd.h"
#include "imaging/core/reslice/isSampleCast.h"
#include "imaging/core/reslice/isSliceStack.h"

namespace isImageSDK {

template <typename T>
class CTriCubic {
public:
    CTriCubic(const isSliceStack& volume, T background)
        : _slices(volume.typed<T>()), _background(background)
    {
        for (int a = 0; a < 3; ++a) {
            _dims[a] = volume.dims[a];
            _recip[a] = 1.0f / volume.spacing[a];
        }
    }
    virtual ~CTriCubic() = default;

    /// Value at (x, y, z) millimetres.
    T interpolate(float x, float y, float z) const
    {
        return sample(x * _recip[0], y * _recip[1], z * _recip[2]);
    }

    /// Value at a point in voxel units. A point within one voxel outside the first or last voxel
    /// centre is still inside (the border voxel repeats); farther out gives the background.
    T sample(float u, float v, float w) const
    {
        if (!(u > -1.0f && u < float(_dims[0]) && v > -1.0f && v < float(_dims[1]) && w > -1.0f &&
              w < float(_dims[2])))
            return _background;
        const float fu = std::floor(u), fv = std::floor(v), fw = std::floor(w);
        int ix[4], iy[4], iz[4];
        clampedIndices(int(fu), _dims[0], ix);
        clampedIndices(int(fv), _dims[1], iy);
        clampedIndices(int(fw), _dims[2], iz);
        float wx[4], wy[4], wz[4];
        weights(u - fu, wx);
        weights(v - fv, wy);
        weights(w - fw, wz);
        float sum = 0.0f;
        for (int c = 0; c < 4; ++c) {
            const T* slice = _slices[iz[c]];
            float plane = 0.0f;
            for (int b = 0; b < 4; ++b) {
                const T* row = slice + iy[b] * _dims[0];
                const float line = wx[0] * float(row[ix[0]]) + wx[1] * float(row[ix[1]]) +
                                   wx[2] * float(row[ix[2]]) + wx[3] * float(row[ix[3]]);
                plane += wy[b] * line;
            }
            sum += wz[c] * plane;
        }
        return saturateSample<T>(sum);
    }

    /// Fast path: u, v, w must lie in [1, n - 2) on every axis (all 64 neighbours exist).
    T sampleInterior(float u, float v, float w) const
    {
        const int i = int(u), j = int(v), k = int(w);
        float wx[4], wy[4], wz[4];
        weights(u - float(i), wx);
        weights(v - float(j), wy);
        weights(w - float(k), wz);
        const size_t row = size_t(_dims[0]);
        const size_t off = size_t(j - 1) * row + size_t(i - 1);
        // Accumulate the 16 rows of four x-neighbours weighted by wy * wz; weight by wx once.
#ifdef __SSE2__
        __m128 acc = _mm_setzero_ps();
        for (int c = 0; c < 4; ++c) {
            const T* base = _slices[k - 1 + c] + off;
            for (int b = 0; b < 4; ++b)
                acc = _mm_add_ps(acc, _mm_mul_ps(_mm_set1_ps(wy[b] * wz[c]), load4(base + size_t(b) * row)));
        }
        acc = _mm_mul_ps(acc, _mm_loadu_ps(wx));
        acc = _mm_add_ps(acc, _mm_shuffle_ps(acc, acc, _MM_SHUFFLE(1, 0, 3, 2)));
        acc = _mm_add_ss(acc, _mm_shuffle_ps(acc, acc, _MM_SHUFFLE(2, 3, 0, 1)));
        return saturateSample<T>(_mm_cvtss_f32(acc));
#else
        float acc[4] = {0.0f, 0.0f, 0.0f, 0.0f};
        for (int c = 0; c < 4; ++c) {
            const T* base = _slices[k - 1 + c] + off;
            for (int b = 0; b < 4; ++b) {
                const T* r = base + size_t(b) * row;
                const float wyz = wy[b] * wz[c];
                for (int a = 0; a < 4; ++a) acc[a] += wyz * float(r[a]);
            }
        }
        return saturateSample<T>(wx[0] * acc[0] + wx[1] * acc[1] + wx[2] * acc[2] + wx[3] * acc[3]);
#endif
    }

    /// True when sampleRowInterior does its work here (16-bit volumes, a processor with AVX2).
    bool samplesRowsInEights() const { return rowSimdFits<T>(_dims[0], _dims[1]); }

    /// Samples the interior columns of `row` (its rowLength is filled in here) eight at a time
    /// where samplesRowsInEights; returns the first column not done.
    int sampleRowInterior(isSimdRow row, T* dst) const
    {
        row.rowLength = _dims[0];
        return samplesRowsInEights() ? sampleRowSimd(true, _slices, row, dst) : row.lo;
    }

    /// Reads one voxel of each of the four slices a later sampleInterior at (u, v, w) needs (same
    /// precondition) and drops them: afterwards the pages and the first lines are present.
    void touch(float u, float v, float w) const
    {
        const int i = int(u), j = int(v), k = int(w);
        const size_t off = size_t(j) * size_t(_dims[0]) + size_t(i);
        for (int c = -1; c <= 2; ++c) {
            const volatile T* p = _slices[k + c] + off;
            (void)p[0];
        }
    }

    /// Asks the memory system for the central rows a later sampleInterior at (u, v, w) reads.
    void prefetch(float u, float v, float w) const
    {
        const int i = int(u), j = int(v), k = int(w);
        const size_t row = size_t(_dims[0]);
        for (int c = -1; c <= 2; ++c)
            for (int b = 0; b <= 1; ++b) __builtin_prefetch(_slices[k + c] + size_t(j + b) * row + size_t(i));
    }

    static constexpr float interiorLow() { return 1.0f; }
    float interiorHigh(int axis) const { return float(_dims[axis] - 2); }

    /// The four Catmull-Rom weights of neighbours -1, 0, +1, +2 at fraction f in [0, 1).
    static void weights(float f, float out[4])
    {
        const float f2 = f * f, f3 = f2 * f;
        out[0] = -0.5f * f + f2 - 0.5f * f3;
        out[1] = 1.0f - 2.5f * f2 + 1.5f * f3;
        out[2] = 0.5f * f + 2.0f * f2 - 1.5f * f3;
        out[3] = -0.5f * f2 + 0.5f * f3;
    }

private:
#ifdef __SSE2__
    // Four consecutive samples as floats.
    static __m128 load4(const T* p)
    {
        if constexpr (std::is_same_v<T, float>) {
            return _mm_loadu_ps(p);
        } else if constexpr (std::is_same_v<T, int16_t>) {
            const __m128i v = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
            return _mm_cvtepi32_ps(_mm_srai_epi32(_mm_unpacklo_epi16(v, v), 16));
        } else if constexpr (std::is_same_v<T, uint16_t>) {
            const __m128i v = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
            return _mm_cvtepi32_ps(_mm_unpacklo_epi16(v, _mm_setzero_si128()));
        } else {
            int32_t bytes;
            std::memcpy(&bytes, p, 4);
            const __m128i z = _mm_setzero_si128();
            const __m128i v = _mm_unpacklo_epi8(_mm_cvtsi32_si128(bytes), z);
            return _mm_cvtepi32_ps(_mm_unpacklo_epi16(v, z));
        }
    }
#endif

    static void clampedIndices(int i, int n, int out[4])
    {
        for (int k = 0; k < 4; ++k) {
            int v = i - 1 + k;
            out[k] = v < 0 ? 0 : (v > n - 1 ? n - 1 : v);
        }
    }

    int _dims[3];
    float _recip[3];
    const T* const* _slices;
    T _background;
};

} // namespace isImageSDK
