#pragma once
// An image data volume as the ray caster reads it. Render requests share it, so the voxels stay
// alive until the last pass that may read them has ended, whatever the actor binds meanwhile.

#include <cstdint>
#include <memory>
#include <vector>

#include "imaging/core/volume/isVolumeRecord.h"

namespace isImageSDK {

class isImageData;

class isVRVolume {
public:
    /// The data's volume (the data retained), or null when it is not a renderable volume.
    static std::shared_ptr<const isVRVolume> create(isImageData* data);
    ~isVRVolume();
    isVRVolume(const isVRVolume&) = delete;
    isVRVolume& operator=(const isVRVolume&) = delete;

    isImageData* data = nullptr;
    isVolumeRecord record;
    /// Unique for the run: a render thread rebinds its renderer whenever it changes, also when
    /// a new record happens to sit at the address of an old one.
    uint64_t serial = 0;

private:
    isVRVolume() = default;
    std::vector<const void*> _slices;
};

} // namespace isImageSDK
