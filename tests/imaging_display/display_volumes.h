#pragma once
// Volumes made in code for the actor tests, placed as the reader places a head-first supine
// axial series: rows along world x, columns along world -z, slices stacked along world y.

#include <functional>
#include <string>

#include "imaging/core/data/isImageData.h"

namespace displaytest {

/// A retained volume of nx x ny x nz samples of the pixel type, every sample value(x, y, z),
/// its first slice at world height `base`; slice k is "slice<k>" and marked loaded.
inline isImageSDK::isImageData* makeVolume(int nx, int ny, int nz, int type,
                                           const std::function<float(int, int, int)>& value,
                                           float spacing = 1.0f, float base = 0.0f) {
    using namespace isImageSDK;
    cocos2d::Mat4 m;
    m.m[0] = 1.0f; // rows along +x
    m.m[5] = 0.0f;
    m.m[6] = -1.0f; // columns along -z
    m.m[9] = 1.0f;  // slices along +y
    m.m[10] = 0.0f;
    m.m[13] = base;
    auto* data = isImageData::create();
    const int dims[3] = {nx, ny, nz};
    const float sp[3] = {spacing, spacing, spacing};
    if (!data->buildVolume(dims, sp, type, 0, 0, m))
        return nullptr;
    data->retain();
    for (int z = 0; z < nz; ++z) {
        isSliceInfo* slice = data->slices[size_t(z)];
        slice->filePath = "slice" + std::to_string(z);
        slice->modality = kModalityCT;
        slice->windowWidth = 400.0f;
        slice->windowCenter = 40.0f;
        for (int y = 0; y < ny; ++y)
            for (int x = 0; x < nx; ++x) {
                const float v = value(x, y, z);
                const size_t i = size_t(y) * size_t(nx) + size_t(x);
                switch (type) {
                case kPixelU8:
                    slice->pixels[i] = uint8_t(v);
                    break;
                case kPixelS16:
                    reinterpret_cast<int16_t*>(slice->pixels)[i] = int16_t(v);
                    break;
                case kPixelU16:
                    reinterpret_cast<uint16_t*>(slice->pixels)[i] = uint16_t(v);
                    break;
                default:
                    reinterpret_cast<float*>(slice->pixels)[i] = v;
                    break;
                }
            }
        slice->loaded = 1;
    }
    return data;
}

inline isImageSDK::isImageData* constantVolume(int nx, int ny, int nz, int type, float value,
                                               float spacing = 1.0f) {
    return makeVolume(
        nx, ny, nz, type, [value](int, int, int) { return value; }, spacing);
}

} // namespace displaytest
