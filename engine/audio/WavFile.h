#pragma once
// Reads a RIFF/WAVE file of 8- or 16-bit PCM, mono or stereo, into interleaved samples.
// Every chunk size read from the file is bounded by the bytes actually present.

#include <cstdint>
#include <string>
#include <vector>

namespace CocosDenshion {

struct WavFile {
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 0;
    std::vector<uint8_t> samples; // as stored: unsigned 8-bit or little-endian signed 16-bit

    /// False, with the reason in error, for anything but plain PCM of those kinds.
    bool parse(const std::vector<uint8_t>& bytes, std::string* error);
    double durationSeconds() const;
};

} // namespace CocosDenshion
