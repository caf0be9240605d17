#include "imaging/core/io/SampleConverter.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <type_traits>

#include "dicom/dcmTypes.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace isImageSDK {

namespace {

// The per-sample loops run over whole series; the build's -O2 leaves them scalar, so they ask
// for the vectoriser themselves (several times faster on a 16-bit volume).
#if defined(__GNUC__) && !defined(__clang__)
#define VECTORIZED __attribute__((optimize("tree-loop-vectorize")))
#else
#define VECTORIZED
#endif

template <class Src, class Dst>
void rescaleInto(const Src* src, Dst* dst, int64_t n, float slope, float intercept, float lo, float hi)
{
    for (int64_t i = 0; i < n; ++i) {
        float v = std::trunc(static_cast<float>(src[i]) * slope + intercept);
        if (!(v >= lo)) v = lo; // also catches NaN
        if (v > hi) v = hi;
        dst[i] = static_cast<Dst>(v);
    }
}

// Integral slope and intercept: the float formula is exact in integers here (|result| < 2^24),
// and the integer loop is several times faster over a whole series.
// Source and destination never overlap (decoded samples into a slice); saying so lets the
// compiler turn the loop into vector instructions without a run-time overlap check.
template <class Src, class Dst>
VECTORIZED void rescaleIntegral(const Src* __restrict src, Dst* __restrict dst, int64_t n, int32_t slope, int32_t intercept,
                     int32_t lo, int32_t hi)
{
    for (int64_t i = 0; i < n; ++i) {
        const int32_t v = static_cast<int32_t>(src[i]) * slope + intercept;
        dst[i] = static_cast<Dst>(std::min(hi, std::max(lo, v)));
    }
}

// Signed samples plus a signed 16-bit offset, saturated: a CT volume's usual rescale (slope 1,
// intercept -1024) as one saturating vector add per eight samples.
void offsetSaturated(const int16_t* __restrict src, int16_t* __restrict dst, int64_t n, int16_t offset)
{
    int64_t i = 0;
#if defined(__SSE2__)
    const __m128i add = _mm_set1_epi16(offset);
    for (; i + 8 <= n; i += 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_adds_epi16(v, add));
    }
#endif
    for (; i < n; ++i) dst[i] = static_cast<int16_t>(std::min(32767, std::max(-32768, src[i] + offset)));
}

template <class Src, class Dst>
void rescale(const Src* src, Dst* dst, int64_t n, float slope, float intercept, float lo, float hi)
{
    if (std::is_same<Src, int16_t>::value && std::is_same<Dst, int16_t>::value && slope == 1.0f &&
        intercept >= -32768.0f && intercept <= 32767.0f && std::trunc(intercept) == intercept) {
        offsetSaturated(reinterpret_cast<const int16_t*>(src), reinterpret_cast<int16_t*>(dst), n,
                        static_cast<int16_t>(intercept));
        return;
    }
    const bool integral = std::trunc(slope) == slope && std::trunc(intercept) == intercept &&
                          std::fabs(slope) <= 256.0f && std::fabs(intercept) <= 1048576.0f;
    if (integral)
        rescaleIntegral(src, dst, n, static_cast<int32_t>(slope), static_cast<int32_t>(intercept),
                        static_cast<int32_t>(lo), static_cast<int32_t>(hi));
    else
        rescaleInto(src, dst, n, slope, intercept, lo, hi);
}

template <class Src>
VECTORIZED void toFloat(const Src* __restrict src, float* __restrict dst, int64_t n, float slope, float intercept)
{
    for (int64_t i = 0; i < n; ++i) dst[i] = static_cast<float>(src[i]) * slope + intercept;
}

} // namespace

namespace {

// Samples of the library's format that are the slice's pixels as they are.
bool copiesAsIs(int libraryType, const isSliceInfo& slice)
{
    const bool signedSource = !(slice.displayCode == 0 || slice.displayCode == 2);
    switch (slice.pixelType) {
    case kPixelU8:
        return libraryType == dcmSDK::PIXEL_GRAY8;
    case kPixelRGB8:
        return libraryType == dcmSDK::PIXEL_RGB;
    case kPixelS16:
    case kPixelU16:
        // Only under the identity rescale and when the source's sign is the slice's: a
        // fractional slope of a volume's later slice (e.g. 1.5) or unsigned samples above
        // 32767 in a signed slice still go through the saturating rescale.
        return libraryType == dcmSDK::PIXEL_GRAY16 && slice.slope == 1.0f && slice.intercept == 0.0f &&
               signedSource == (slice.pixelType == kPixelS16);
    default:
        return false;
    }
}

int librarySampleBytes(int libraryType)
{
    return libraryType == dcmSDK::PIXEL_GRAY16 ? 2 : (libraryType == dcmSDK::PIXEL_RGB ? 3 : 1);
}

// n pixels from source into out, a part of the slice's buffer (source and out never overlap).
bool convertInto(const void* source, int libraryType, int64_t n, const isSliceInfo& slice, void* out)
{
    const bool signedSource = !(slice.displayCode == 0 || slice.displayCode == 2);
    switch (slice.pixelType) {
    case kPixelU8:
        if (libraryType != dcmSDK::PIXEL_GRAY8) return false;
        std::memcpy(out, source, static_cast<size_t>(n));
        return true;
    case kPixelRGB8:
        if (libraryType != dcmSDK::PIXEL_RGB) return false;
        std::memcpy(out, source, static_cast<size_t>(n * 3));
        return true;
    case kPixelS16:
    case kPixelU16: {
        if (libraryType != dcmSDK::PIXEL_GRAY16) return false;
        if (copiesAsIs(libraryType, slice)) {
            std::memcpy(out, source, static_cast<size_t>(n * 2));
            return true;
        }
        const float lo = slice.pixelType == kPixelS16 ? -32768.0f : 0.0f;
        const float hi = slice.pixelType == kPixelS16 ? 32767.0f : 65535.0f;
        if (slice.pixelType == kPixelS16) {
            auto* dst = static_cast<int16_t*>(out);
            if (signedSource)
                rescale(static_cast<const int16_t*>(source), dst, n, slice.slope, slice.intercept, lo, hi);
            else
                rescale(static_cast<const uint16_t*>(source), dst, n, slice.slope, slice.intercept, lo, hi);
        } else {
            auto* dst = static_cast<uint16_t*>(out);
            if (signedSource)
                rescale(static_cast<const int16_t*>(source), dst, n, slice.slope, slice.intercept, lo, hi);
            else
                rescale(static_cast<const uint16_t*>(source), dst, n, slice.slope, slice.intercept, lo, hi);
        }
        return true;
    }
    case kPixelF32: {
        if (libraryType != dcmSDK::PIXEL_GRAY16) return false;
        auto* dst = static_cast<float*>(out);
        if (signedSource)
            toFloat(static_cast<const int16_t*>(source), dst, n, slice.slope, slice.intercept);
        else
            toFloat(static_cast<const uint16_t*>(source), dst, n, slice.slope, slice.intercept);
        return true;
    }
    default:
        return false;
    }
}

} // namespace

bool convertSamples(const void* source, int libraryType, int64_t count, isSliceInfo& slice)
{
    if (!source || !slice.pixels || count < 1) return false;
    const int64_t n = std::min<int64_t>(count, slice.sampleCount());
    if (n < 1) return false;
    return convertInto(source, libraryType, n, slice, slice.pixels);
}

bool convertSamplesInPlace(int libraryType, int64_t count, isSliceInfo& slice)
{
    const int sampleBytes = librarySampleBytes(libraryType);
    if (!slice.pixels || count < 1 || slice.byteSize() != slice.sampleCount() * sampleBytes) return false;
    const int64_t n = std::min<int64_t>(count, slice.sampleCount());
    if (copiesAsIs(libraryType, slice)) return true;
    // A small copy of each part at a time, so that the conversion never reads what it wrote.
    alignas(16) uint8_t part[16 * 1024];
    const int64_t perPart = static_cast<int64_t>(sizeof part) / sampleBytes;
    for (int64_t at = 0; at < n; at += perPart) {
        const int64_t m = std::min(perPart, n - at);
        uint8_t* where = slice.pixels + at * sampleBytes;
        std::memcpy(part, where, static_cast<size_t>(m * sampleBytes));
        if (!convertInto(part, libraryType, m, slice, where)) return false;
    }
    return true;
}

} // namespace isImageSDK
