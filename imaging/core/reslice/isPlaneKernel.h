#pragma once
// Cuts one plane (or a slab of neighbouring planes) out of a volume along one of its own axes.

#include "imaging/core/reslice/isSliceStack.h"

namespace isImageSDK {

struct isPlaneParams {
    int orientation = 0;  // 0 across z, 1 across x (counted from the last column), 2 across y
    int sliceIndex = 0;
    int slabCount = 1;    // odd; the slab is centred on sliceIndex and cut at the volume's ends
    int slabMode = 1;     // 0 minimum, 1 maximum, 2 average, 3 sum; other values act as maximum
};

/// Output size (columns, rows) of a plane: (nx, ny), (nz, ny) or (nz, nx).
void planeOutputSize(const isSliceStack& volume, int orientation, int& columns, int& rows);

/// Number of planes along the plane axis of an orientation.
int planeCount(const isSliceStack& volume, int orientation);

/// Fills `out` (columns * rows pixels of the volume's type) with the plane. False when the stack
/// is incomplete, the orientation unknown or the index outside the volume; `out` is then untouched.
bool extractPlane(const isSliceStack& volume, const isPlaneParams& params, void* out);

} // namespace isImageSDK
