#include "imaging/core/reslice/isSliceStack.h"

namespace isImageSDK {

namespace {

int sampleBytes(int pixelType)
{
    switch (pixelType) {
    case 0: return 1;
    case 2: return 4;
    case 4: return 3;
    default: return 2;
    }
}

} // namespace

isSliceStack isSliceStack::fromContiguous(const void* voxels, const int dims[3], const float spacing[3],
                                          int pixelType)
{
    isSliceStack s;
    for (int i = 0; i < 3; ++i) {
        s.dims[i] = dims[i];
        s.spacing[i] = spacing[i];
    }
    s.pixelType = pixelType;
    if (!voxels || dims[0] <= 0 || dims[1] <= 0 || dims[2] <= 0) return s;
    const size_t sliceBytes = size_t(dims[0]) * size_t(dims[1]) * size_t(sampleBytes(pixelType));
    s.slices.resize(size_t(dims[2]));
    for (int z = 0; z < dims[2]; ++z)
        s.slices[size_t(z)] = static_cast<const uint8_t*>(voxels) + sliceBytes * size_t(z);
    return s;
}

bool isSliceStack::isValid() const
{
    if (dims[0] <= 0 || dims[1] <= 0 || dims[2] <= 0 || slices.size() != size_t(dims[2])) return false;
    for (const void* p : slices)
        if (!p) return false;
    return true;
}

} // namespace isImageSDK
