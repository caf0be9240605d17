#pragma once
// One worker of a ray-casting pass: casts rays taken in chunks from a shared counter until the
// rays run out or the pass is cancelled.

#include <atomic>
#include <cstddef>

#include "imaging/core/volume/cuLight.h"
#include "imaging/core/volume/isRayFunctions.h"

namespace isImageSDK {

class CRayCastingThread {
public:
    CRayCastingThread(const isRay* rays, size_t count, std::atomic<size_t>* next, const isRayContext& context,
                      isRayFunction function, const cuLight& light, const std::atomic<bool>* cancel);

    /// Casts chunks of rays until none are left or the cancel flag is set; then sets `done`.
    void castRange();

    std::atomic<bool> done{false};

    /// Rays a worker takes at a time: small enough to balance uneven rays between workers.
    static constexpr size_t kChunk = 256;

private:
    const isRay* _rays;
    size_t _count;
    std::atomic<size_t>* _next;
    isRayContext _context;
    isRayFunction _function;
    cuLight _light; // own copy: the shaded mode changes the material per sample
    const std::atomic<bool>* _cancel;
};

} // namespace isImageSDK
