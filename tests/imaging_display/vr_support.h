#pragma once
// Volumes for the volume-rendering actor's tests, and a gate that holds render passes on their
// thread until the test opens it or the pass is cancelled.

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "imaging/core/data/isImageData.h"
#include "imaging/core/volume/isVolumeRenderer.h"

namespace displaytest {

/// A retained volume whose voxel (x, y, z) is value(x, y, z), its slices of the given modality
/// and window.
inline isImageSDK::isImageData* makeVolume(const int dims[3], int pixelType, int modality,
                                           const std::function<float(int, int, int)>& value,
                                           float windowWidth = 400.0f, float windowCenter = 40.0f)
{
    auto* image = isImageSDK::isImageData::create();
    image->retain();
    const float spacing[3] = {1.0f, 1.0f, 1.0f};
    image->buildVolume(dims, spacing, pixelType, 0, 0, cocos2d::Mat4::IDENTITY);
    for (int z = 0; z < image->getSliceCount(); ++z) {
        isImageSDK::isSliceInfo* slice = image->getSlice(z);
        slice->modality = modality;
        slice->windowWidth = windowWidth;
        slice->windowCenter = windowCenter;
        for (int i = 0; i < dims[0] * dims[1]; ++i) {
            const float v = value(i % dims[0], i / dims[0], z);
            if (pixelType == isImageSDK::kPixelF32) reinterpret_cast<float*>(slice->pixels)[i] = v;
            else reinterpret_cast<int16_t*>(slice->pixels)[i] = int16_t(v);
        }
    }
    return image;
}

/// Installed as a renderer's clock, which a pass reads on its own thread just before it casts
/// its rays (and again after, unless cancelled): while held, a pass waits there.
class PassGate {
public:
    void install(isImageSDK::isVolumeRenderer& renderer)
    {
        renderer.setClock([this, &renderer] {
            {
                std::lock_guard<std::mutex> lock(mutex);
                views.push_back(renderer.getView());
            }
            entries.fetch_add(1);
            while (held.load() && !renderer.isCancelled())
                std::this_thread::yield();
            return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch())
                .count();
        });
    }
    std::vector<isImageSDK::isVolumeView> seenViews()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return views;
    }

    std::atomic<bool> held{false};
    std::atomic<int> entries{0};

private:
    std::mutex mutex;
    std::vector<isImageSDK::isVolumeView> views;
};

} // namespace displaytest
