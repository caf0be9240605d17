#pragma once
// The benchmark volume: a raw little-endian signed 16-bit file, or the CT phantom generated in
// memory, chosen from the command line shared by the imaging benchmarks.

#include <cstdint>
#include <string>
#include <vector>

struct BenchVolume {
    int dims[3] = {512, 512, 400};
    float spacing[3] = {0.7f, 0.7f, 1.0f};
    std::vector<int16_t> voxels;

    /// Reads "--raw FILE --dims X Y Z --spacing SX SY SZ" (without --raw: the phantom of those
    /// dimensions) and "--write-raw FILE" (saves the volume for the comparison scripts).
    /// False, with a message on stderr, for bad arguments or an unreadable file.
    bool load(int argc, char** argv);
};

/// The value following `name` on the command line, or `fallback`.
std::string benchOption(int argc, char** argv, const std::string& name, const std::string& fallback);
