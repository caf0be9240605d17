#pragma once
// Decoding JPEG 2000 frames (encapsulated pixel data) with OpenJPEG.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace dcmSDK {

/// Decodes one JPEG 2000 code stream (raw or in a JP2 box) into interleaved samples.
class J2kDecoder {
public:
    /// Decodes data[0..size) expecting columns x rows pixels of `samples` components.
    /// Appends columns x rows x samples values to out, one byte each when bytesPerSample is 1,
    /// else host-order 16-bit words (signed values kept as their two's complement bits).
    /// False (nothing appended) when the stream is damaged or does not match the geometry.
    static bool decode(const uint8_t* data, size_t size, uint32_t columns, uint32_t rows,
                       uint32_t samples, uint32_t bytesPerSample, std::vector<uint8_t>& out);
};

} // namespace dcmSDK
