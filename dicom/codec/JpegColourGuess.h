#pragma once
// Telling from a lossy JPEG code stream whether its colour samples are YCbCr or RGB.

#include <cstddef>
#include <cstdint>

namespace dcmSDK {

/// How lossy JPEG colour was encoded, as its header says.
class JpegColourGuess {
public:
    /// True when a three-component stream holds YCbCr: a JFIF marker, an Adobe marker with
    /// transform 1, or neither marker and component ids 1, 2, 3 or subsampled chroma.
    /// False otherwise (RGB as labelled), for other component counts and unreadable headers.
    static bool isYcbcr(const uint8_t* data, size_t size);
};

} // namespace dcmSDK
