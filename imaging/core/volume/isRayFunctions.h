#pragma once
// The per-ray walks of the volume ray caster: compositing, maximum intensity projection and the
// pre-integrated modes, each writing one RGB pixel. Voxel coordinates put voxel i at i.

#include <cstdint>
#include <vector>

#include "imaging/core/volume/cuLight.h"
#include "imaging/core/volume/vrSpaceLeapingBase.h"

namespace isImageSDK {

/// The volume as the ray functions read it.
struct isRayVolume {
    int dims[3] = {0, 0, 0};
    int sliceSize = 0;
    double spacing[3] = {1, 1, 1};
    double recipSpacing[3] = {1, 1, 1};
    int pixelType = 1;
    std::vector<const void*> slices;
    int interpolation = 1;        // 1 trilinear, 0 nearest
};

/// Classification state shared by the rays of one pass.
struct isRayShading {
    uint8_t background[3] = {0, 0, 0};
    float windowLow = 0.0f;
    float windowScale = 1.0f;
    const float* lookup = nullptr;    // mode 0: by raw value (+32768 for signed 16-bit) or, for
                                      // float volumes, by windowed value; modes 1-2: back*256+front
    const float* transfer = nullptr;  // the 256-entry transfer table (MIP colours)
    int lookupBias = 0;
};

/// One ray: start and step in voxel coordinates and the pixel it writes. The interpolating
/// compositing walk places its first sample `offset` steps (0 to 1) past the entry point.
struct isRay {
    float start[3];
    float step[3];
    uint8_t* out;
    float offset = 0.0f;
};

struct isRayContext {
    const isRayVolume* volume = nullptr;
    const isRayShading* shading = nullptr;
    const vrSpaceLeapingBase* grid = nullptr;
    int maxSteps = 100000;
    int mode = 0;
};

/// Clips the segment s..f to the box (x min, x max, y min, y max, z min, z max); false when it
/// misses. A start inside the box is its own entry.
bool clipSegmentToBox(const float s[3], const float f[3], const float box[6], float entry[3], float exit[3]);

/// Casts one ray; `light` is the caller's own copy (the shaded mode changes its material).
using isRayFunction = void (*)(const isRayContext&, const isRay&, cuLight&);

/// The ray function of a mode (0 composite, 1 pre-integrated, 2 shaded, 3 maximum intensity) for
/// the volume's pixel type and interpolation; unknown modes give a function drawing the background.
isRayFunction selectRayFunction(int mode, int pixelType, int interpolation);

/// Windowed 8-bit index of a value: clamped before it is narrowed, so no value wraps around.
/// A NaN (float data, or infinities of opposite sign blended by interpolation) gives 0 rather
/// than an index taken from an undefined conversion.
inline int windowedIndex(float v, float low, float scale)
{
    const float i = (v - low) * scale;
    return !(i > 0.0f) ? 0 : (i >= 255.0f ? 255 : int(i));
}

} // namespace isImageSDK
