#pragma once
// A long-lived worker with a queue of requests processed one at a time; each finished request
// is handed to the owner's callback on the main thread, oldest first.

#include "thread/NSThreadRequest.h"

#include <cstddef>
#include <functional>
#include <memory>

namespace NSUI {

class NSThreadSafeDestroy;

/// Not reference-counted: the object deletes itself when its worker ends after stop(), so the
/// owner never deletes it and must not touch it after stop(). A queued or finished request is
/// retained by the thread until its callback has returned or it is dropped.
class NSThread {
public:
    NSThread();
    NSThread(const NSThread&) = delete;
    NSThread& operator=(const NSThread&) = delete;

    /// Queues the request (retained) and starts the worker on first use; false when the request
    /// is null or the thread is stopping.
    virtual bool addRequest(NSThreadRequest* request);
    /// Makes the first queued request with that id the next one processed.
    void moveRequestToFront(unsigned int requestId);
    /// Drops every queued and finished request (no callbacks) and marks the one in progress
    /// cancelled; that one still reaches the callback, with its flag set.
    void clearRequests();
    /// Drops all requests and ends the worker after the request in progress; no callback runs
    /// afterwards. The object is deleted by its worker (at once when it never started).
    void stop();
    /// Takes no more requests and ends the worker once every queued request has run; none of
    /// them, nor those finished before, reaches the callback. The object is deleted by its
    /// worker (at once when it never started).
    void finishAndStop();

    /// Drops the queued requests that have not started (no callbacks); the one in progress and
    /// the finished ones are left alone.
    void dropWaitingRequests();

    /// True while process() runs.
    bool isBusy() const;
    /// Requests queued and not yet started.
    size_t getWaitingCount() const;
    /// Nothing queued, in progress or waiting for its callback, and not stopping.
    bool isIdle() const;

    /// Runs on the main thread with each finished request; assign before adding requests.
    std::function<void(NSThreadRequest*)> finishedCallback;

protected:
    virtual ~NSThread();
    /// Runs one request on the worker, with no lock held. Long work polls request->cancelled.
    virtual void process(NSThreadRequest* request);

private:
    friend class NSThreadSafeDestroy;
    struct Shared;

    void attachOwner(NSThreadSafeDestroy* owner);
    void end(bool runQueued);
    void startWorker();
    void run();
    static void deliverFinished(const std::shared_ptr<Shared>& shared, NSThread* thread);

    // Pending main-thread deliveries hold this state, so a delivery that runs after the thread
    // object is gone finds it stopping and does nothing.
    std::shared_ptr<Shared> _shared;
    NSThreadSafeDestroy* _owner = nullptr;
};

} // namespace NSUI
