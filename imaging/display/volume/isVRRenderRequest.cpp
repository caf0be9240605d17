#include "imaging/display/volume/isVRRenderRequest.h"

#include <new>

namespace isImageSDK {

isVRSettings::isVRSettings()
{
    for (int i = 0; i < 256; ++i) colors[i * 3] = colors[i * 3 + 1] = colors[i * 3 + 2] = uint8_t(i);
}

isVRRenderRequest* isVRRenderRequest::create(const isVolumeView& view, std::shared_ptr<const isVRVolume> volume,
                                             const isVRSettings& settings)
{
    auto* request = new (std::nothrow) isVRRenderRequest();
    if (!request) return nullptr;
    request->view = view;
    request->volume = std::move(volume);
    request->settings = settings;
    request->autorelease();
    return request;
}

} // namespace isImageSDK
