#pragma once
// One render pass queued on a volume render thread: the view, the volume and the colour, window
// and mode as they were when it was made, and after the pass the picture it produced.

#include <cstdint>
#include <memory>
#include <vector>

#include "imaging/core/volume/isVolumeView.h"
#include "imaging/display/volume/isVRVolume.h"
#include "thread/NSThreadRequest.h"

namespace isImageSDK {

/// What the user set for the rendering; `serial` changes with every change.
struct isVRSettings {
    uint8_t colors[768];
    float windowWidth = 255.0f;
    float windowLevel = 128.0f;
    int renderMode = 0;
    uint32_t serial = 0;

    isVRSettings();
};

class isVRRenderRequest : public NSUI::NSThreadRequest {
public:
    /// Autoreleased.
    static isVRRenderRequest* create(const isVolumeView& view, std::shared_ptr<const isVRVolume> volume,
                                     const isVRSettings& settings);

    // What the pass is made of; written before the request is queued, read-only afterwards.
    isVolumeView view; // in world coordinates
    std::shared_ptr<const isVRVolume> volume;
    isVRSettings settings;

    // The picture, written by the render thread before the request is handed back.
    bool hasPicture = false;
    int width = 0, height = 0;
    float unitsPerPixelX = 0.0f, unitsPerPixelY = 0.0f; // viewport units per output pixel
    std::vector<uint8_t> pixels;                        // RGB, top row first
    double passMs = 0.0;                                // time the pass took
    float imageScale = 0.0f;                            // scale of the pass's picture

private:
    isVRRenderRequest() = default;
};

} // namespace isImageSDK
