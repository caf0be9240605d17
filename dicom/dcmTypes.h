#pragma once
// Small types shared by the library's reading classes.

namespace dcmSDK {

/// Decoded pixel format of an image.
enum PixelType {
    PIXEL_GRAY8 = 0,  ///< one 8-bit grey sample per pixel
    PIXEL_GRAY16 = 1, ///< one 16-bit grey sample per pixel (host order; signed when the file says so)
    PIXEL_RGB = 2,    ///< three 8-bit samples per pixel, R G B
};

/// Language of the library's own texts (tag descriptions); any engine language value may be
/// passed, the library answers in English for all of them.
typedef int LanguageType;

} // namespace dcmSDK
