#pragma once
// The volume handed to the ray caster; the caller owns it and keeps it alive while it is bound.

#include <cstdint>
#include <vector>

namespace isImageSDK {

struct isVolumeRecord {
    const void* voxels = nullptr;             // contiguous buffer, x fastest, then y, then z
    const void* const* slices = nullptr;      // or one buffer per slice (used when voxels is null)
    int32_t dims[3] = {0, 0, 0};
    float spacing[3] = {1.0f, 1.0f, 1.0f};
    int32_t pixelType = 1;                    // 0 u8, 1 s16, 2 f32, 3 u16 (4 RGB is not rendered)
    float matrix[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}; // column-major

    /// Pointer to slice z, from whichever storage the record uses; null when missing.
    const void* slice(int z) const;
    /// True for a renderable record: positive dimensions, a known grey type and all slices present.
    bool isRenderable() const;
};

class isImageData;

/// Describes an image data volume for the ray caster: its contiguous buffer when it has one, else
/// its slice buffers through `sliceStorage`, which must outlive the record's use. Geometry and
/// pixel type come along. False (record untouched) for data that is not a renderable volume.
bool fillVolumeRecord(isImageData& image, isVolumeRecord& record, std::vector<const void*>& sliceStorage);

} // namespace isImageSDK
