#pragma once
// Small matrix helpers of the reslice and ray-casting code (column-major 4x4).

namespace isImageSDK {

/// Inverse of a column-major 4x4 matrix; false for a singular or non-finite one.
bool invertMatrix4(const double m[16], double inv[16]);

} // namespace isImageSDK
