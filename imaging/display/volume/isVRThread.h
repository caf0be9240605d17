#pragma once
// A render thread of the volume actor: runs the passes of one ray caster, one request at a time,
// and hands each picture back with its request.

#include <cstdint>
#include <mutex>

#include "thread/NSThread.h"

namespace isImageSDK {

class isVolumeRenderer;

class isVRThread : public NSUI::NSThread {
public:
    /// The renderer is the owner's and must outlive the worker (stop the thread first).
    explicit isVRThread(isVolumeRenderer* renderer) : _renderer(renderer) {}

    /// Drops the waiting requests and abandons the pass in progress; its request still reaches
    /// the callback, marked cancelled. A cancel is never lost, however it falls against the
    /// start of a pass. Main thread.
    void cancelAll();

protected:
    ~isVRThread() override = default;
    /// Binds the request's volume and settings when they changed, renders its view and, unless
    /// the pass was cancelled, copies the picture into the request.
    void process(NSUI::NSThreadRequest* request) override;

private:
    isVolumeRenderer* const _renderer;
    // Orders a cancel against the start of a pass: either the request is seen cancelled before
    // the pass, or the renderer's flag is set after the pass cleared it.
    std::mutex _cancelLock;
    // Worker only: what the renderer was last given.
    uint64_t _boundSerial = 0;
    uint32_t _appliedSettings = 0;
};

} // namespace isImageSDK
