#include "imaging/core/volume/isVolumeRecord.h"

#include <cstddef>
#include <cstring>

#include "imaging/core/data/isImageData.h"

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

bool fillVolumeRecord(isImageData& image, isVolumeRecord& record, std::vector<const void*>& sliceStorage)
{
    image.Update();
    if (!image.volumeFlag || image.dimensions[2] < 2 || image.slices.size() < size_t(image.dimensions[2])) return false;
    isVolumeRecord r;
    for (int a = 0; a < 3; ++a) {
        r.dims[a] = image.dimensions[a];
        r.spacing[a] = image.spacing[a];
    }
    r.pixelType = image.pixelType;
    std::memcpy(r.matrix, image.volumeMatrix.m, sizeof(r.matrix));
    std::vector<const void*> slices;
    if (image.ownsVoxels && image.voxels) {
        r.voxels = image.voxels;
    } else {
        // A slice of another size or type cannot be addressed as part of the volume.
        for (int z = 0; z < r.dims[2]; ++z) {
            const isSliceInfo* s = image.slices[size_t(z)];
            const bool fits = s && s->columns == r.dims[0] && s->rows == r.dims[1] && s->pixelType == r.pixelType;
            slices.push_back(fits ? s->pixels : nullptr);
        }
        r.slices = slices.data();
    }
    if (!r.isRenderable()) return false;
    sliceStorage.swap(slices);
    if (!r.voxels) r.slices = sliceStorage.data();
    record = r;
    return true;
}

} // namespace isImageSDK
