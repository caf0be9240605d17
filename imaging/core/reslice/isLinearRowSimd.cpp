#include "imaging/core/reslice/isLinearRowSimd.h"

#include <type_traits>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define QP_LINEAR_ROW_AVX2 1
#include <immintrin.h>
#endif

namespace isImageSDK {

#ifdef QP_LINEAR_ROW_AVX2

namespace {

// The two neighbours along x come from one 32-bit read: the low half is voxel i, the high half
// voxel i + 1 (little-endian).
template <typename T>
__attribute__((target("avx2"))) inline void splitPair(__m256i pair, __m256& low, __m256& high)
{
    if constexpr (std::is_signed_v<T>) {
        low = _mm256_cvtepi32_ps(_mm256_srai_epi32(_mm256_slli_epi32(pair, 16), 16));
        high = _mm256_cvtepi32_ps(_mm256_srai_epi32(pair, 16));
    } else {
        low = _mm256_cvtepi32_ps(_mm256_and_si256(pair, _mm256_set1_epi32(0xffff)));
        high = _mm256_cvtepi32_ps(_mm256_srli_epi32(pair, 16));
    }
}

// a + f * (b - a), the scalar sampler's blend, without fused multiply-add.
__attribute__((target("avx2"))) inline __m256 blend(__m256 a, __m256 b, __m256 f)
{
    return _mm256_add_ps(a, _mm256_mul_ps(f, _mm256_sub_ps(b, a)));
}

// Eight trilinear samples at positions `pos` (voxel units, interior), truncated toward zero.
template <typename T>
__attribute__((target("avx2"))) inline __m256i sampleGroup(const T* const* slices, const __m256 pos[3],
                                                          __m256i rowStep)
{
    __m256i cell[3];
    __m256 frac[3];
    for (int a = 0; a < 3; ++a) {
        cell[a] = _mm256_cvttps_epi32(pos[a]); // positions are not negative: truncation floors
        frac[a] = _mm256_sub_ps(pos[a], _mm256_cvtepi32_ps(cell[a]));
    }
    const __m256i index = _mm256_add_epi32(_mm256_mullo_epi32(cell[1], rowStep), cell[0]);
    const __m256i below = _mm256_add_epi32(index, rowStep);
    alignas(32) int k[8];
    _mm256_store_si256(reinterpret_cast<__m256i*>(k), cell[2]);
    int kLow = k[0], kHigh = k[0];
    for (int l = 1; l < 8; ++l) {
        kLow = k[l] < kLow ? k[l] : kLow;
        kHigh = k[l] > kHigh ? k[l] : kHigh;
    }
    __m256i g00, g01, g10, g11; // slice k / k + 1, row j / j + 1
    if (kLow == kHigh) {
        const int* s0 = reinterpret_cast<const int*>(slices[kLow]);
        const int* s1 = reinterpret_cast<const int*>(slices[kLow + 1]);
        g00 = _mm256_i32gather_epi32(s0, index, 2);
        g01 = _mm256_i32gather_epi32(s0, below, 2);
        g10 = _mm256_i32gather_epi32(s1, index, 2);
        g11 = _mm256_i32gather_epi32(s1, below, 2);
    } else {
        // The group crosses slices: one masked gather per slice it touches.
        g00 = g01 = g10 = g11 = _mm256_setzero_si256();
        for (int s = kLow; s <= kHigh; ++s) {
            const __m256i mask = _mm256_cmpeq_epi32(cell[2], _mm256_set1_epi32(s));
            if (_mm256_testz_si256(mask, mask)) continue;
            const int* s0 = reinterpret_cast<const int*>(slices[s]);
            const int* s1 = reinterpret_cast<const int*>(slices[s + 1]);
            g00 = _mm256_mask_i32gather_epi32(g00, s0, index, mask, 2);
            g01 = _mm256_mask_i32gather_epi32(g01, s0, below, mask, 2);
            g10 = _mm256_mask_i32gather_epi32(g10, s1, index, mask, 2);
            g11 = _mm256_mask_i32gather_epi32(g11, s1, below, mask, 2);
        }
    }
    __m256 v0, v1;
    splitPair<T>(g00, v0, v1);
    const __m256 a00 = blend(v0, v1, frac[0]);
    splitPair<T>(g01, v0, v1);
    const __m256 a01 = blend(v0, v1, frac[0]);
    splitPair<T>(g10, v0, v1);
    const __m256 a10 = blend(v0, v1, frac[0]);
    splitPair<T>(g11, v0, v1);
    const __m256 a11 = blend(v0, v1, frac[0]);
    return _mm256_cvttps_epi32(blend(blend(a00, a01, frac[1]), blend(a10, a11, frac[1]), frac[2]));
}

// Slab sample k of eight pixels whose first samples are at `base`.
template <typename T>
__attribute__((target("avx2"))) inline __m256i slabSample(const T* const* slices, const __m256 base[3],
                                                         const __m256 dz[3], int k, __m256i rowStep)
{
    const __m256 kk = _mm256_set1_ps(float(k));
    __m256 pos[3];
    for (int a = 0; a < 3; ++a) pos[a] = _mm256_add_ps(base[a], _mm256_mul_ps(kk, dz[a]));
    return sampleGroup(slices, pos, rowStep);
}

template <typename T>
__attribute__((target("avx2"))) int sampleRow(const T* const* slices, const isLinearRow& row, T* dst)
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
        for (int a = 0; a < 3; ++a) base[a] = _mm256_add_ps(_mm256_add_ps(start[a], _mm256_mul_ps(col, dx[a])), first[a]);
        // Truncation and saturation never reorder values, so the extreme of the truncated samples
        // saturates to the extreme of the saturated ones.
        __m256i result = slabSample(slices, base, dz, 0, rowStep);
        for (int k = 1; k < samples; ++k) {
            const __m256i next = slabSample(slices, base, dz, k, rowStep);
            result = row.maximum ? _mm256_max_epi32(result, next) : _mm256_min_epi32(result, next);
        }
        // Saturation to the pixel type, as the scalar sampler does.
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

bool linearRowSimdAvailable()
{
    static const bool available = detectAvx2();
    return available;
}

int sampleLinearRowSimd(const int16_t* const* slices, const isLinearRow& row, int16_t* dst)
{
    return linearRowSimdAvailable() ? sampleRow(slices, row, dst) : row.lo;
}

int sampleLinearRowSimd(const uint16_t* const* slices, const isLinearRow& row, uint16_t* dst)
{
    return linearRowSimdAvailable() ? sampleRow(slices, row, dst) : row.lo;
}

#else

bool linearRowSimdAvailable() { return false; }
int sampleLinearRowSimd(const int16_t* const*, const isLinearRow& row, int16_t*) { return row.lo; }
int sampleLinearRowSimd(const uint16_t* const*, const isLinearRow& row, uint16_t*) { return row.lo; }

#endif

} // namespace isImageSDK
