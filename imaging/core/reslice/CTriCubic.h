#pragma once
// Tricubic (Catmull-Rom) sampling of a volume; results saturate to the sample type's range
// because the kernel overshoots next to sharp edges. The stack it was built from must outlive it.

#include <cmath>

#include "imaging/core/reslice/isSampleCast.h"
#include "imaging/core/reslice/isSliceStack.h"

namespace isImageSDK {

template <typename T>
class CTriCubic {
public:
    CTriCubic(const isSliceStack& volume, T background)
        : _slices(volume.typed<T>()), _background(background)
    {
        for (int a = 0; a < 3; ++a) {
            _dims[a] = volume.dims[a];
            _recip[a] = 1.0f / volume.spacing[a];
        }
    }
    virtual ~CTriCubic() = default;

    /// Value at (x, y, z) millimetres.
    T interpolate(float x, float y, float z) const
    {
        return sample(x * _recip[0], y * _recip[1], z * _recip[2]);
    }

    /// Value at a point in voxel units. A point within one voxel outside the first or last voxel
    /// centre is still inside (the border voxel repeats); farther out gives the background.
    T sample(float u, float v, float w) const
    {
        if (!(u > -1.0f && u < float(_dims[0]) && v > -1.0f && v < float(_dims[1]) && w > -1.0f &&
              w < float(_dims[2])))
            return _background;
        const float fu = std::floor(u), fv = std::floor(v), fw = std::floor(w);
        int ix[4], iy[4], iz[4];
        clampedIndices(int(fu), _dims[0], ix);
        clampedIndices(int(fv), _dims[1], iy);
        clampedIndices(int(fw), _dims[2], iz);
        float wx[4], wy[4], wz[4];
        weights(u - fu, wx);
        weights(v - fv, wy);
        weights(w - fw, wz);
        float sum = 0.0f;
        for (int c = 0; c < 4; ++c) {
            const T* slice = _slices[iz[c]];
            float plane = 0.0f;
            for (int b = 0; b < 4; ++b) {
                const T* row = slice + iy[b] * _dims[0];
                const float line = wx[0] * float(row[ix[0]]) + wx[1] * float(row[ix[1]]) +
                                   wx[2] * float(row[ix[2]]) + wx[3] * float(row[ix[3]]);
                plane += wy[b] * line;
            }
            sum += wz[c] * plane;
        }
        return saturateSample<T>(sum);
    }

    /// The four Catmull-Rom weights of neighbours -1, 0, +1, +2 at fraction f in [0, 1).
    static void weights(float f, float out[4])
    {
        const float f2 = f * f, f3 = f2 * f;
        out[0] = -0.5f * f + f2 - 0.5f * f3;
        out[1] = 1.0f - 2.5f * f2 + 1.5f * f3;
        out[2] = 0.5f * f + 2.0f * f2 - 1.5f * f3;
        out[3] = -0.5f * f2 + 0.5f * f3;
    }

private:
    static void clampedIndices(int i, int n, int out[4])
    {
        for (int k = 0; k < 4; ++k) {
            int v = i - 1 + k;
            out[k] = v < 0 ? 0 : (v > n - 1 ? n - 1 : v);
        }
    }

    int _dims[3];
    float _recip[3];
    const T* const* _slices;
    T _background;
};

} // namespace isImageSDK
