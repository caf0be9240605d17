#include "imaging/core/reslice/isRowSimd.h"

#include <type_traits>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define QP_ROW_SIMD_AVX2 1
#include <immintrin.h>
#endif

namespace isImageSDK {

#ifdef QP_ROW_SIMD_AVX2

namespace {

#define QP_AVX2 __attribute__((target("avx2")))

// The two neighbours along x come from one 32-bit read: the low half is voxel i, the high half
// voxel i + 1 (little-endian).
template <typename T>
QP_AVX2 inline void splitPair(__m256i pair, __m256& low, __m256& high)
{
    if constexpr (std::is_signed_v<T>) {
        low = _mm256_cvtepi32_ps(_mm256_srai_epi32(_mm256_slli_epi32(pair, 16), 16));
        high = _mm256_cvtepi32_ps(_mm256_srai_epi32(pair, 16));
    } else {
        low = _mm256_cvtepi32_ps(_mm256_and_si256(pair, _mm256_set1_epi32(0xffff)));
        high = _mm256_cvtepi32_ps(_mm256_srli_epi32(pair, 16));
    }
}

// The first and last slice index of eight lanes.
QP_AVX2 inline void sliceRange(__m256i cell, int& low, int& high)
{
    alignas(32) int k[8];
    _mm256_store_si256(reinterpret_cast<__m256i*>(k), cell);
    low = high = k[0];
    for (int l = 1; l < 8; ++l) {
        low = k[l] < low ? k[l] : low;
        high = k[l] > high ? k[l] : high;
    }
}

// Voxel pairs (index, index + 1) of slice (lane's slice + offset) for eight lanes; a group that
// crosses slices takes one masked gather per slice it touches.
template <typename T>
QP_AVX2 inline __m256i gatherPairs(const T* const* slices, __m256i cell, int low, int high, int offset, __m256i index)
{
    if (low == high) return _mm256_i32gather_epi32(reinterpret_cast<const int*>(slices[low + offset]), index, 2);
    __m256i pairs = _mm256_setzero_si256();
    for (int s = low; s <= high; ++s) {
        const __m256i mask = _mm256_cmpeq_epi32(cell, _mm256_set1_epi32(s));
        if (_mm256_testz_si256(mask, mask)) continue;
        pairs = _mm256_mask_i32gather_epi32(pairs, reinterpret_cast<const int*>(slices[s + offset]), index, mask, 2);
    }
    return pairs;
}

// a + f * (b - a), the trilinear sampler's blend, without fused multiply-add.
QP_AVX2 inline __m256 blend(__m256 a, __m256 b, __m256 f)
{
    return _mm256_add_ps(a, _mm256_mul_ps(f, _mm256_sub_ps(b, a)));
}

// Eight trilinear samples at positions `pos` (voxel units, interior), truncated toward zero.
template <typename T>
QP_AVX2 inline __m256i linearGroup(const T* const* slices, const __m256 pos[3], __m256i rowStep)
{
    __m256i cell[3];
    __m256 frac[3];
    for (int a = 0; a < 3; ++a) {
        cell[a] = _mm256_cvttps_epi32(pos[a]); // positions are not negative: truncation floors
        frac[a] = _mm256_sub_ps(pos[a], _mm256_cvtepi32_ps(cell[a]));
    }
    const __m256i index = _mm256_add_epi32(_mm256_mullo_epi32(cell[1], rowStep), cell[0]);
    const __m256i below = _mm256_add_epi32(index, rowStep);
    int low, high;
    sliceRange(cell[2], low, high);
    __m256 a[4]; // slice k / k + 1, row j / j + 1, blended along x
    for (int q = 0; q < 4; ++q) {
        __m256 v0, v1;
        splitPair<T>(gatherPairs(slices, cell[2], low, high, q / 2, q % 2 ? below : index), v0, v1);
        a[q] = blend(v0, v1, frac[0]);
    }
    return _mm256_cvttps_epi32(blend(blend(a[0], a[1], frac[1]), blend(a[2], a[3], frac[1]), frac[2]));
}

// Catmull-Rom weights of neighbours -1 .. 2, in the tricubic sampler's order of operations.
QP_AVX2 inline void cubicWeights(__m256 f, __m256 w[4])
{
    const __m256 f2 = _mm256_mul_ps(f, f), f3 = _mm256_mul_ps(f2, f);
    const __m256 half = _mm256_set1_ps(0.5f), minusHalf = _mm256_set1_ps(-0.5f);
    const __m256 one = _mm256_set1_ps(1.0f), two = _mm256_set1_ps(2.0f);
    const __m256 threeHalves = _mm256_set1_ps(1.5f), fiveHalves = _mm256_set1_ps(2.5f);
    w[0] = _mm256_sub_ps(_mm256_add_ps(_mm256_mul_ps(minusHalf, f), f2), _mm256_mul_ps(half, f3));
    w[1] = _mm256_add_ps(_mm256_sub_ps(one, _mm256_mul_ps(fiveHalves, f2)), _mm256_mul_ps(threeHalves, f3));
    w[2] = _mm256_sub_ps(_mm256_add_ps(_mm256_mul_ps(half, f), _mm256_mul_ps(two, f2)), _mm256_mul_ps(threeHalves, f3));
    w[3] = _mm256_add_ps(_mm256_mul_ps(minusHalf, f2), _mm256_mul_ps(half, f3));
}

// Eight tricubic samples at positions `pos` (voxel units, interior), truncated toward zero. The
// sixteen rows of four x-neighbours are summed weighted by wy * wz, then weighted by wx, and the
// four sums added as (0 + 2) + (1 + 3), as the single-sample sampler does.
template <typename T>
QP_AVX2 inline __m256i cubicGroup(const T* const* slices, const __m256 pos[3], __m256i rowStep)
{
    __m256i cell[3];
    __m256 w[3][4];
    for (int a = 0; a < 3; ++a) {
        cell[a] = _mm256_cvttps_epi32(pos[a]);
        cubicWeights(_mm256_sub_ps(pos[a], _mm256_cvtepi32_ps(cell[a])), w[a]);
    }
    const __m256i one = _mm256_set1_epi32(1);
    const __m256i corner = _mm256_add_epi32(_mm256_mullo_epi32(_mm256_sub_epi32(cell[1], one), rowStep),
                                            _mm256_sub_epi32(cell[0], one));
    int low, high;
    sliceRange(cell[2], low, high);
    __m256 acc[4] = {_mm256_setzero_ps(), _mm256_setzero_ps(), _mm256_setzero_ps(), _mm256_setzero_ps()};
    for (int c = 0; c < 4; ++c)
        for (int b = 0; b < 4; ++b) {
            const __m256i index = _mm256_add_epi32(corner, _mm256_mullo_epi32(_mm256_set1_epi32(b), rowStep));
            const __m256 wyz = _mm256_mul_ps(w[1][b], w[2][c]);
            __m256 v[4];
            splitPair<T>(gatherPairs(slices, cell[2], low, high, c - 1, index), v[0], v[1]);
            splitPair<T>(gatherPairs(slices, cell[2], low, high, c - 1, _mm256_add_epi32(index, _mm256_set1_epi32(2))),
                         v[2], v[3]);
            for (int a = 0; a < 4; ++a) acc[a] = _mm256_add_ps(acc[a], _mm256_mul_ps(wyz, v[a]));
        }
    for (int a = 0; a < 4; ++a) acc[a] = _mm256_mul_ps(acc[a], w[0][a]);
    return _mm256_cvttps_epi32(_mm256_add_ps(_mm256_add_ps(acc[0], acc[2]), _mm256_add_ps(acc[1], acc[3])));
}

// Slab sample k of eight pixels whose first samples are at `base`.
template <bool Cubic, typename T>
QP_AVX2 inline __m256i slabSample(const T* const* slices, const __m256 base[3], const __m256 dz[3], int k,
                                  __m256i rowStep)
{
    const __m256 kk = _mm256_set1_ps(float(k));
    __m256 pos[3];
    for (int a = 0; a < 3; ++a) pos[a] = _mm256_add_ps(base[a], _mm256_mul_ps(kk, dz[a]));
    return Cubic ? cubicGroup(slices, pos, rowStep) : linearGroup(slices, pos, rowStep);
}

template <bool Cubic, typename T>
QP_AVX2 int sampleRow(const T* const* slices, const isSimdRow& row, T* dst)
{
    const __m256i lanes = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    const __m256i rowStep = _mm256_set1_epi32(row.rowLength);
    __m256 start[3], dx[3], first[3], dz[3];
    for (int a = 0; a < 3; ++a) {
        start[a] = _mm256_set1_ps(row.start[a]);
        dx[a] = _mm256_set1_ps(row.dx[a]);
        first[a] = _mm256_set1_ps(row.first[a]);
        dz[a] = _mm256_set1_ps(row.dz[a]);
    }
    const int samples = row.samples < 1 ? 1 : row.samples;
    int c = row.lo;
    for (; c + 7 <= row.hi; c += 8) {
        const __m256 col = _mm256_cvtepi32_ps(_mm256_add_epi32(_mm256_set1_epi32(c), lanes));
        __m256 base[3];
        for (int a = 0; a < 3; ++a)
            base[a] = _mm256_add_ps(_mm256_add_ps(start[a], _mm256_mul_ps(col, dx[a])), first[a]);
        // Truncation and saturation never reorder values, so the extreme of the truncated samples
        // saturates to the extreme of the saturated ones.
        __m256i result = slabSample<Cubic>(slices, base, dz, 0, rowStep);
        for (int k = 1; k < samples; ++k) {
            const __m256i next = slabSample<Cubic>(slices, base, dz, k, rowStep);
            result = row.maximum ? _mm256_max_epi32(result, next) : _mm256_min_epi32(result, next);
        }
        // Saturation to the pixel type, as the scalar samplers do.
        const __m128i lowHalf = _mm256_castsi256_si128(result), highHalf = _mm256_extracti128_si256(result, 1);
        const __m128i packed = std::is_signed_v<T> ? _mm_packs_epi32(lowHalf, highHalf)
                                                   : _mm_packus_epi32(lowHalf, highHalf);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + c), packed);
    }
    return c;
}

bool detectAvx2()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}

} // namespace

bool rowSimdAvailable()
{
    static const bool available = detectAvx2();
    return available;
}

int sampleLinearRowSimd(const int16_t* const* slices, const isSimdRow& row, int16_t* dst)
{
    return rowSimdAvailable() ? sampleRow<false>(slices, row, dst) : row.lo;
}

int sampleLinearRowSimd(const uint16_t* const* slices, const isSimdRow& row, uint16_t* dst)
{
    return rowSimdAvailable() ? sampleRow<false>(slices, row, dst) : row.lo;
}

int sampleCubicRowSimd(const int16_t* const* slices, const isSimdRow& row, int16_t* dst)
{
    return rowSimdAvailable() ? sampleRow<true>(slices, row, dst) : row.lo;
}

int sampleCubicRowSimd(const uint16_t* const* slices, const isSimdRow& row, uint16_t* dst)
{
    return rowSimdAvailable() ? sampleRow<true>(slices, row, dst) : row.lo;
}

#else

bool rowSimdAvailable() { return false; }
int sampleLinearRowSimd(const int16_t* const*, const isSimdRow& row, int16_t*) { return row.lo; }
int sampleLinearRowSimd(const uint16_t* const*, const isSimdRow& row, uint16_t*) { return row.lo; }
int sampleCubicRowSimd(const int16_t* const*, const isSimdRow& row, int16_t*) { return row.lo; }
int sampleCubicRowSimd(const uint16_t* const*, const isSimdRow& row, uint16_t*) { return row.lo; }

#endif

} // namespace isImageSDK
