#pragma once
// Volumes for the volume-rendering actor's tests, and a gate that holds a render pass on its
// thread until the test lets it go (or the pass is cancelled).

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "imaging/core/data/isImageData.h"
#include "imaging/core/volume/isVolumeRenderer.h"

namespace displaytest {

/// A retained volume of the given size, type and modality whose voxel (x, y, z) is value(x, y, z).
inline isImageSDK::isImageData* makeVolume(const int dims[3], int pixelType, int modality,
                                           const std::function<float(int, int, int)>& value,
                                           float windowWidth = 400.0f, float windowCenter = 40.0f)
{
    isImageSDK::isImageData* image = isImageSDK::isImageData::create();
    image->retain();
    const float spacing[3] = {1.0f, 1.0f, 1.0f};
    if (!image->buildVolume(dims, spacing, pixelType, 0, 0, cocos2d::Mat4::IDENTITY)) return image;
    for (int z = 0; z < dims[2]; ++z) {
        isImageSDK::isSliceInfo* slice = image->getSlice(z);
        slice->modality = modality;
        slice->windowWidth = windowWidth;
        slice->windowCenter = windowCenter;
        for (int y = 0; y < dims[1]; ++y)
            for (int x = 0; x < dims[0]; ++x) {
                const size_t i = size_t(y) * size_t(dims[0]) + size_t(x);
                if (pixelType == isImageSDK::kPixelF32)
                    reinterpret_cast<float*>(slice->pixels)[i] = value(x, y, z);
                else
                    reinterpret_cast<int16_t*>(slice->pixels)[i] = int16_t(value(x, y, z));
            }
    }
    return image;
}

/// A ball of `inside` in a field of `outside`, centred in the volume.
inline std::function<float(int, int, int)> ball(const int dims[3], float radius, float inside, float outside)
{
    const float c[3] = {(dims[0] - 1) * 0.5f, (dims[1] - 1) * 0.5f, (dims[2] - 1) * 0.5f};
    return [=](int x, int y, int z) {
        const float dx = x - c[0], dy = y - c[1], dz = z - c[2];
        return dx * dx + dy * dy + dz * dz <= radius * radius ? inside : outside;
    };
}

/// Installed as a renderer's clock, which a pass reads on its own thread just before its rays
/// are cast: while held, every pass stops there until the gate opens or the pass is cancelled.
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
    void hold() { held.store(true); }
    void open() { held.store(false); }

    /// The renderer's view at every call (a finished pass calls twice, a cancelled one once).
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
