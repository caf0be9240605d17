#pragma once
// Pixel type codes shared by image data, slice records, the series cache and colour tables.

#include <cstdint>

namespace isImageSDK {

enum isPixelType : int32_t {
    kPixelU8 = 0,    // unsigned 8-bit grey
    kPixelS16 = 1,   // signed 16-bit grey
    kPixelF32 = 2,   // 32-bit float grey
    kPixelU16 = 3,   // unsigned 16-bit grey
    kPixelRGB8 = 4,  // three unsigned 8-bit samples, interleaved
};

/// The largest pixel buffer (one slice, or one whole volume) allocated in one piece.
constexpr int64_t kMaxBufferBytes = 607376096;

/// True for the five codes above; every other value is refused wherever it is read.
inline bool isValidPixelType(int32_t code) { return code >= kPixelU8 && code <= kPixelRGB8; }

/// Bytes one pixel of a code takes; 0 for an unknown code, so that sizes computed
/// from an untrusted code come out as 0 and are refused.
inline int bytesPerPixel(int32_t code)
{
    switch (code) {
    case kPixelU8: return 1;
    case kPixelS16: return 2;
    case kPixelF32: return 4;
    case kPixelU16: return 2;
    case kPixelRGB8: return 3;
    default: return 0;
    }
}

/// Byte size of an image of columns x rows x frames pixels, in 64 bits; 0 when any
/// count is not positive or the code is unknown (callers treat 0 as "refuse").
inline int64_t imageByteSize(int64_t columns, int64_t rows, int64_t frames, int32_t code)
{
    if (columns <= 0 || rows <= 0 || frames <= 0) return 0;
    int bpp = bytesPerPixel(code);
    if (bpp == 0) return 0;
    // Each count comes from a 16- or 32-bit field, so the product stays far below 2^63.
    return columns * rows * frames * bpp;
}

} // namespace isImageSDK
