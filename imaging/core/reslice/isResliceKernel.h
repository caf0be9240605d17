#pragma once
// Samples a volume on an arbitrary plane (and optionally a slab of parallel planes) into one
// 2D image, and computes the output geometry that covers the volume's whole cross-section.

#include "imaging/core/reslice/isSliceStack.h"

namespace isImageSDK {

/// Geometry of a reslice output. `axes` is column-major: columns 0 and 1 are the output's row
/// and column directions, column 2 the plane normal, column 3 the position of pixel (0, 0), all in
/// the volume's own millimetre frame (voxel (i, j, k) at (i sx, j sy, k sz)).
struct isResliceGeometry {
    float axes[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    int columns = 1;
    int rows = 1;
    float spacingX = 1.0f;
    float spacingY = 1.0f;
    float slabSpacing = 1.0f;
};

/// Computes the geometry for `axes` over a volume of `dims` and `spacing`: the origin moves to the
/// corner of the bounding rectangle of the volume's projection, spacings follow the voxel grid.
/// False (and `out` untouched) for singular or non-finite axes, zero or non-finite spacing, or an
/// output that would be unreasonably large.
bool computeResliceGeometry(const int dims[3], const float spacing[3], const float axes[16],
                            isResliceGeometry& out);

struct isResliceParams {
    isResliceGeometry geometry;
    int slabMode = 1;        // 0 minimum, 1 maximum, 2 average, 3 sum; others keep the first sample
    int slabSampleCount = 1; // odd; the samples are centred on the plane
    int interpolation = 1;   // 2 tricubic, anything else trilinear
    float background = 0.0f; // value outside the volume, converted to the pixel type
};

/// Fills `out` (columns * rows pixels of the volume's pixel type) with the reslice. False for an
/// incomplete stack or an unsupported pixel type (RGB); `out` is then untouched.
bool resliceVolume(const isSliceStack& volume, const isResliceParams& params, void* out);

} // namespace isImageSDK
