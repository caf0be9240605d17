#pragma once
// Slices and colour tables made in code for the display tests.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "imaging/core/clut/isClut.h"
#include "imaging/core/data/isImageData.h"
#include "imaging/core/data/isSliceInfo.h"
#include "imaging/core/object/isImageFilter.h"

namespace displaytest {

/// A slice record with its own pixel buffer.
struct TestSlice {
    isImageSDK::isSliceInfo info;
    std::vector<uint8_t> bytes;

    template <typename Sample>
    TestSlice(int type, int columns, int rows, const std::vector<Sample>& samples, int frames = 1) {
        info.pixelType = type;
        info.columns = columns;
        info.rows = rows;
        info.frames = int16_t(frames);
        bytes.resize(samples.size() * sizeof(Sample));
        std::memcpy(bytes.data(), samples.data(), bytes.size());
        info.pixels = bytes.data();
        info.loaded = 1;
    }
};

/// A colour table whose entry i is (i, 255 - i, i / 2), so that index errors show in every
/// channel; set to the pixel type and window given.
inline isImageSDK::isClut* makeClut(int pixelType, float width, float level, int curve = 0) {
    auto* clut = isImageSDK::isClut::create();
    clut->retain();
    for (uint32_t i = 0; i < 256; ++i)
        clut->colors[i] = i << 24 | (255 - i) << 16 | (i / 2) << 8 | 255u;
    clut->configureForPixelType(pixelType);
    clut->setCurve(curve);
    clut->setWindowLevel(width, level);
    clut->buildLut();
    return clut;
}

inline int indexOfColour(const uint8_t* rgb) {
    return rgb[0];
}

/// The value of a signed 16-bit slice filtered exactly at (u, v), counted in samples from the
/// first one's centre: bilinear between the four nearest samples, edges clamped.
inline double filteredSample(const isImageSDK::isSliceInfo& slice, double u, double v) {
    const auto* samples = reinterpret_cast<const int16_t*>(slice.pixels);
    auto at = [&](int x, int y) {
        return double(
            samples[std::clamp(y, 0, slice.rows - 1) * slice.columns + std::clamp(x, 0, slice.columns - 1)]);
    };
    const int x0 = int(std::floor(u)), y0 = int(std::floor(v));
    const double fx = u - x0, fy = v - y0;
    return (at(x0, y0) * (1 - fx) + at(x0 + 1, y0) * fx) * (1 - fy) +
           (at(x0, y0 + 1) * (1 - fx) + at(x0 + 1, y0 + 1) * fx) * fy;
}

/// Hands the slice of its input on to its output, as the slice stage of the pipeline does.
class CopyFilter : public isImageSDK::isImageFilter {
public:
    void execute(isImageSDK::isImageData* input, isImageSDK::isImageData* output) override {
        output->releaseSlices();
        output->reset();
        if (input && input->getSliceCount() > 0)
            output->addSliceCopy(*input->getSlice(0));
    }
};

} // namespace displaytest
