#pragma once
// Small types shared by the library's reading classes.

#include <cstdint>

namespace dcmSDK {

/// Decoded pixel format of an image.
enum PixelType {
    PIXEL_GRAY8 = 0,  ///< one 8-bit grey sample per pixel
    PIXEL_GRAY16 = 1, ///< one 16-bit grey sample per pixel (host order; signed when the file says so)
    PIXEL_RGB = 2,    ///< three 8-bit samples per pixel, R G B
};

/// Where a file's grey samples lie, for reading them again without parsing the file: native
/// little-endian pixel data of one 8- or 16-bit sample per pixel. The file's identity, size and
/// change time are kept so that a file replaced meanwhile is never read at a stale place.
struct PixelLocation {
    int64_t offset = -1; ///< of the first sample in the file
    uint64_t fileId = 0;
    int64_t fileSize = 0;
    int64_t changedNs = 0;
    int count = 0; ///< frames x rows x columns
    PixelType type = PIXEL_GRAY8;
    // Stored value -> sample: shift right, keep mask, sign-extend from signBit (0: unsigned).
    uint32_t shift = 0;
    uint32_t mask = 0;
    uint32_t signBit = 0;
    bool plain = true; ///< the stored values are the samples
    bool valid() const { return offset >= 0 && count > 0; }
    int64_t byteCount() const { return int64_t(count) * (type == PIXEL_GRAY16 ? 2 : 1); }
};

/// Language of the library's own texts (tag descriptions); any engine language value may be
/// passed, the library answers in English for all of them.
typedef int LanguageType;

} // namespace dcmSDK
