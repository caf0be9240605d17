#include "imaging/core/volume/CRayCastingThread.h"

#include <algorithm>

namespace isImageSDK {

CRayCastingThread::CRayCastingThread(const isRay* rays, size_t count, std::atomic<size_t>* next,
                                     const isRayContext& context, isRayFunction function, const cuLight& light,
                                     const std::atomic<bool>* cancel)
    : _rays(rays), _count(count), _next(next), _context(context), _function(function), _light(light),
      _cancel(cancel)
{
}

void CRayCastingThread::castRange()
{
    for (;;) {
        const size_t begin = _next->fetch_add(kChunk, std::memory_order_relaxed);
        if (begin >= _count) break;
        const size_t end = std::min(_count, begin + kChunk);
        for (size_t i = begin; i < end; ++i) {
            if (_cancel->load(std::memory_order_relaxed)) {
                done.store(true, std::memory_order_release);
                return;
            }
            _function(_context, _rays[i], _light);
        }
    }
    done.store(true, std::memory_order_release);
}

} // namespace isImageSDK
