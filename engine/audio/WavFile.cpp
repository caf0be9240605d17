#include "audio/WavFile.h"

#include <cstring>

namespace CocosDenshion {

namespace {
uint32_t le32(const uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
uint16_t le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
bool failWith(std::string* error, const char* message) {
    if (error)
        *error = message;
    return false;
}
} // namespace

bool WavFile::parse(const std::vector<uint8_t>& bytes, std::string* error) {
    channels = sampleRate = bitsPerSample = 0;
    samples.clear();
    const size_t n = bytes.size();
    if (n < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 || std::memcmp(bytes.data() + 8, "WAVE", 4) != 0)
        return failWith(error, "not a RIFF/WAVE file");
    bool haveFormat = false;
    size_t pos = 12;
    while (pos + 8 <= n) {
        const uint8_t* chunk = bytes.data() + pos;
        const uint32_t size = le32(chunk + 4);
        const size_t body = pos + 8;
        const size_t available = n - body;
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (size < 16 || size > available)
                return failWith(error, "format chunk cut short");
            const uint8_t* f = bytes.data() + body;
            const uint16_t format = le16(f);
            channels = le16(f + 2);
            sampleRate = static_cast<int>(le32(f + 4));
            bitsPerSample = le16(f + 14);
            if (format != 1)
                return failWith(error, "not PCM");
            if (channels < 1 || channels > 2 || (bitsPerSample != 8 && bitsPerSample != 16) ||
                sampleRate <= 0 || sampleRate > 384000)
                return failWith(error, "unsupported channels, sample size or rate");
            haveFormat = true;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (!haveFormat)
                return failWith(error, "data before format");
            // A writer that left the size open (streaming) gets what is there.
            size_t take = size <= available ? size : available;
            const size_t frame = static_cast<size_t>(channels) * (bitsPerSample / 8);
            take -= take % frame;
            samples.assign(bytes.begin() + static_cast<long>(body),
                           bytes.begin() + static_cast<long>(body + take));
            return true;
        }
        if (size > available)
            break;
        pos = body + size + (size & 1); // chunks are padded to even sizes
    }
    return failWith(error, haveFormat ? "no data chunk" : "no format chunk");
}

double WavFile::durationSeconds() const {
    if (channels <= 0 || sampleRate <= 0 || bitsPerSample <= 0)
        return 0.0;
    return static_cast<double>(samples.size()) / (channels * (bitsPerSample / 8)) / sampleRate;
}

} // namespace CocosDenshion
