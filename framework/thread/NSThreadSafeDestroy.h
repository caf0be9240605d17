#pragma once
// Mixin with which the owner of worker threads stops them and waits until they have exited.

#include <condition_variable>
#include <mutex>

namespace NSUI {

class NSThread;

/// Counts the live workers attached to this owner: a request-queue thread handed to
/// safeDestroyThread, or one-shot threads started with this owner.
class NSThreadSafeDestroy {
public:
    NSThreadSafeDestroy() = default;
    NSThreadSafeDestroy(const NSThreadSafeDestroy&) = delete;
    NSThreadSafeDestroy& operator=(const NSThreadSafeDestroy&) = delete;

    /// Stops the thread and blocks until its worker has finished and the thread object is gone.
    /// The caller must not touch the thread afterwards. Null returns at once.
    void safeDestroyThread(NSThread* thread);
    /// The same, but every request already queued runs first (NSThread::finishAndStop).
    void safeFinishThread(NSThread* thread);

    /// True when no worker attached to this owner is alive. Once it has returned true the owner
    /// may be destroyed: the last worker no longer touches it.
    bool isWorkerFinished() const;

    /// Blocks until isWorkerFinished() holds.
    void waitWorkersFinished();

    /// Called by the threads themselves when a worker attaches and when it is gone.
    void workerStarted();
    void workerExited();

private:
    mutable std::mutex _mutex;
    std::condition_variable _cond;
    int _liveWorkers = 0;
};

} // namespace NSUI
