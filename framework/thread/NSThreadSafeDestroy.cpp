#include "thread/NSThreadSafeDestroy.h"

#include "thread/NSThread.h"

namespace NSUI {

void NSThreadSafeDestroy::safeDestroyThread(NSThread* thread) {
    if (!thread)
        return;
    thread->attachOwner(this);
    thread->stop();
    waitWorkersFinished();
}

void NSThreadSafeDestroy::safeFinishThread(NSThread* thread) {
    if (!thread)
        return;
    thread->attachOwner(this);
    thread->finishAndStop();
    waitWorkersFinished();
}

bool NSThreadSafeDestroy::isWorkerFinished() const {
    // Taken under the lock so that a worker still inside workerExited() is never overtaken by an
    // owner that polls, sees zero and frees itself.
    std::lock_guard<std::mutex> lock(_mutex);
    return _liveWorkers == 0;
}

void NSThreadSafeDestroy::waitWorkersFinished() {
    std::unique_lock<std::mutex> lock(_mutex);
    _cond.wait(lock, [this] { return _liveWorkers == 0; });
}

void NSThreadSafeDestroy::workerStarted() {
    std::lock_guard<std::mutex> lock(_mutex);
    ++_liveWorkers;
}

void NSThreadSafeDestroy::workerExited() {
    std::lock_guard<std::mutex> lock(_mutex);
    --_liveWorkers;
    // Notified under the lock: once the waiter can run, this thread no longer touches the owner.
    _cond.notify_all();
}

} // namespace NSUI
