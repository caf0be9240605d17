#pragma once
// Rendering a decoded image's first frame as 8-bit RGB for a picture file.

#include "dcmTypes.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace dcmSDK {

class DicomFile;
struct ImageGeometry;

/// First frame of decoded pixels as columns x rows RGB bytes. Grey images go through the
/// modality rescale and the file's first window (when useStoredWindow and it has a positive
/// width), else through the frame's value range; MONOCHROME1 is inverted.
bool renderFirstFrame(const DicomFile& file, const ImageGeometry& geometry, PixelType type,
                      const uint8_t* pixels, size_t size, bool useStoredWindow, std::vector<uint8_t>& rgb);

} // namespace dcmSDK
