#pragma once
// Turning a file's pixel data, in any supported transfer syntax, into the library's decoded
// pixel formats. Internal to the library.

#include "dcmTypes.h"

#include <cstdint>
#include <string>
#include <vector>

namespace dcmSDK {

class DicomFile;

/// The image attributes that decide how pixels are decoded.
struct ImageGeometry {
    uint32_t rows = 0;
    uint32_t columns = 0;
    uint32_t frames = 1;
    uint32_t samples = 1;
    uint32_t bitsAllocated = 0;
    uint32_t bitsStored = 0;
    uint32_t highBit = 0;
    uint32_t pixelRepresentation = 0;
    uint32_t planarConfiguration = 0;
    std::string photometric;
};

/// Pixel decoding of one loaded file.
class PixelDecoder {
public:
    /// Reads the image attributes; false when rows, columns or bits allocated are missing.
    static bool readGeometry(const DicomFile& file, ImageGeometry& geometry);
    /// The decoded format for these attributes; false when the library cannot decode them.
    static bool classify(const ImageGeometry& geometry, PixelType& type);
    /// Where the samples of a grey image in native little-endian pixel data lie in the file,
    /// when its value was left on disk by the lazy parse; false otherwise.
    static bool locate(const DicomFile& file, PixelLocation& location);
    /// Applies a location's bit layout to samples read from the file, in place.
    static void applyBitsInPlace(void* samples, const PixelLocation& location);
    /// Decodes all frames present (never more than the data holds), or with firstFrameOnly
    /// the first frame alone, reading no other frame's bytes from a lazily parsed file; count
    /// is the number of pixels and geometry.frames the frames decoded. data points at the
    /// samples: into out, or, when the file's own samples need no change, into the file's
    /// pixel data (valid while the file stays loaded). False, with one log line, on any failure.
    static bool decode(DicomFile& file, std::vector<uint8_t>& out, const uint8_t*& data, PixelType& type,
                       int& count, ImageGeometry& geometry, bool firstFrameOnly = false);
};

} // namespace dcmSDK
