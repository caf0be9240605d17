#include "imaging/core/volume/isVolumeRecord.h"

#include <cstddef>

namespace isImageSDK {

namespace {
int bytesOf(int type) { return type == 0 ? 1 : type == 2 ? 4 : 2; }
} // namespace

const void* isVolumeRecord::slice(int z) const
{
    if (z < 0 || z >= dims[2]) return nullptr;
    if (voxels)
        return static_cast<const uint8_t*>(voxels) +
               size_t(z) * size_t(dims[0]) * size_t(dims[1]) * size_t(bytesOf(pixelType));
    return slices ? slices[z] : nullptr;
}

bool isVolumeRecord::isRenderable() const
{
    if (dims[0] < 1 || dims[1] < 1 || dims[2] < 1 || pixelType < 0 || pixelType > 3) return false;
    for (int i = 0; i < 3; ++i)
        if (!(spacing[i] > 0.0f)) return false;
    for (int z = 0; z < dims[2]; ++z)
        if (!slice(z)) return false;
    return true;
}

} // namespace isImageSDK
