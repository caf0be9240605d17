#include "imaging/display/volume/isVRVolume.h"

#include <atomic>

#include "imaging/core/data/isImageData.h"

namespace isImageSDK {

std::shared_ptr<const isVRVolume> isVRVolume::create(isImageData* data)
{
    static std::atomic<uint64_t> lastSerial{0};
    if (!data) return nullptr;
    std::shared_ptr<isVRVolume> volume(new isVRVolume());
    if (!fillVolumeRecord(*data, volume->record, volume->_slices)) return nullptr;
    data->retain();
    volume->data = data;
    volume->serial = ++lastSerial;
    return volume;
}

isVRVolume::~isVRVolume()
{
    if (data) data->release();
}

} // namespace isImageSDK
