#include "imaging/core/io/SampleConverter.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "dicom/dcmTypes.h"

namespace isImageSDK {

namespace {

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
template <class Src, class Dst>
void rescaleIntegral(const Src* src, Dst* dst, int64_t n, int32_t slope, int32_t intercept, int32_t lo, int32_t hi)
{
    for (int64_t i = 0; i < n; ++i) {
        int32_t v = static_cast<int32_t>(src[i]) * slope + intercept;
        v = v < lo ? lo : (v > hi ? hi : v);
        dst[i] = static_cast<Dst>(v);
    }
}

template <class Src, class Dst>
void rescale(const Src* src, Dst* dst, int64_t n, float slope, float intercept, float lo, float hi)
{
    const bool integral = std::trunc(slope) == slope && std::trunc(intercept) == intercept &&
                          std::fabs(slope) <= 256.0f && std::fabs(intercept) <= 1048576.0f;
    if (integral)
        rescaleIntegral(src, dst, n, static_cast<int32_t>(slope), static_cast<int32_t>(intercept),
                        static_cast<int32_t>(lo), static_cast<int32_t>(hi));
    else
        rescaleInto(src, dst, n, slope, intercept, lo, hi);
}

template <class Src>
void toFloat(const Src* src, float* dst, int64_t n, float slope, float intercept)
{
    for (int64_t i = 0; i < n; ++i) dst[i] = static_cast<float>(src[i]) * slope + intercept;
}

} // namespace

bool convertSamples(const void* source, int libraryType, int64_t count, isSliceInfo& slice)
{
    if (!source || !slice.pixels || count < 1) return false;
    const int64_t n = std::min<int64_t>(count, slice.sampleCount());
    if (n < 1) return false;
    const bool signedSource = !(slice.displayCode == 0 || slice.displayCode == 2);
    switch (slice.pixelType) {
    case kPixelU8:
        if (libraryType != dcmSDK::PIXEL_GRAY8) return false;
        std::memcpy(slice.pixels, source, static_cast<size_t>(n));
        return true;
    case kPixelRGB8:
        if (libraryType != dcmSDK::PIXEL_RGB) return false;
        std::memcpy(slice.pixels, source, static_cast<size_t>(n * 3));
        return true;
    case kPixelS16:
    case kPixelU16: {
        if (libraryType != dcmSDK::PIXEL_GRAY16) return false;
        if (static_cast<int>(slice.slope) == 1 && static_cast<int>(slice.intercept) == 0) {
            std::memcpy(slice.pixels, source, static_cast<size_t>(n * 2));
            return true;
        }
        const float lo = slice.pixelType == kPixelS16 ? -32768.0f : 0.0f;
        const float hi = slice.pixelType == kPixelS16 ? 32767.0f : 65535.0f;
        if (slice.pixelType == kPixelS16) {
            auto* dst = reinterpret_cast<int16_t*>(slice.pixels);
            if (signedSource)
                rescale(static_cast<const int16_t*>(source), dst, n, slice.slope, slice.intercept, lo, hi);
            else
                rescale(static_cast<const uint16_t*>(source), dst, n, slice.slope, slice.intercept, lo, hi);
        } else {
            auto* dst = reinterpret_cast<uint16_t*>(slice.pixels);
            if (signedSource)
                rescale(static_cast<const int16_t*>(source), dst, n, slice.slope, slice.intercept, lo, hi);
            else
                rescale(static_cast<const uint16_t*>(source), dst, n, slice.slope, slice.intercept, lo, hi);
        }
        return true;
    }
    case kPixelF32: {
        if (libraryType != dcmSDK::PIXEL_GRAY16) return false;
        auto* dst = reinterpret_cast<float*>(slice.pixels);
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

} // namespace isImageSDK
