#pragma once
// Synthetic pixel content: body phantoms in physical units and a colour test picture.

#include <cstdint>
#include <vector>

namespace samplemaker {

/// Pixel generators; z runs over slices (0 .. slices-1), every image is width x height.
class Phantom {
public:
    /// CT values in Hounsfield units: air outside, soft tissue body, lungs, spine and ribs,
    /// a contrast-filled aorta and kidneys that come and go along z.
    static std::vector<int16_t> ctSlice(int width, int height, int z, int slices, unsigned seed);
    /// MR head: skull rim, grey and white matter, ventricles; unsigned signal values.
    static std::vector<uint16_t> mrSlice(int width, int height, int z, int slices, unsigned seed);
    /// PET activity in Bq/ml: low body background, hot spots, a bright bladder.
    static std::vector<float> petSlice(int width, int height, int z, int slices, unsigned seed);
    /// Colour picture: gradients, colour bars and a circle, 8-bit RGB interleaved.
    static std::vector<uint8_t> colourPicture(int width, int height);
    /// Cine frame: a bright disc moving across a dark field, 8-bit grey.
    static std::vector<uint8_t> cineFrame(int width, int height, int frame, int frames);
};

} // namespace samplemaker
