#pragma once
// A read-only view of a volume as one pixel pointer per slice, so that the same kernels serve
// volumes held in one contiguous buffer and series whose slices were allocated one by one.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace isImageSDK {

struct isSliceStack {
    int dims[3] = {0, 0, 0};                 // columns, rows, slices
    float spacing[3] = {1.0f, 1.0f, 1.0f};   // millimetres between voxel centres
    int pixelType = 1;                        // shared pixel type code
    std::vector<const void*> slices;          // one pointer per z, row-major x fastest

    /// A stack over one contiguous buffer of dims[0] * dims[1] * dims[2] samples.
    static isSliceStack fromContiguous(const void* voxels, const int dims[3], const float spacing[3],
                                       int pixelType);

    /// True when every slice pointer is present and the dimensions are positive.
    bool isValid() const;

    template <typename T>
    const T* const* typed() const { return reinterpret_cast<const T* const*>(slices.data()); }
};

} // namespace isImageSDK
