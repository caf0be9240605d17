#pragma once
// A small, bounded set of worker threads that echo nodes and report each answer.

#include "EchoTarget.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace dcmSDK {

/// Runs echo requests on at most `workers` threads. Requests wait in one queue of at most
/// `maxQueued` entries; a request for a node that is already waiting in the same mode is
/// merged into it, and requests beyond the bound are dropped with a log line, so
/// overlapping sweeps never grow the queue without end.
class EchoPool {
public:
    /// Echoes one node; true when it answered.
    using Probe = std::function<bool(const EchoTarget&)>;
    /// Receives every answer (sweep targets only when they answered), on a worker thread.
    using Report = std::function<void(const EchoTarget&, bool ok)>;

    EchoPool(Probe probe, Report report, size_t workers = 8, size_t maxQueued = 2048);
    /// Drops what is still waiting and waits for the running probes to end.
    ~EchoPool();
    EchoPool(const EchoPool&) = delete;
    EchoPool& operator=(const EchoPool&) = delete;

    /// Queues the targets; returns how many were queued (not merged, not dropped).
    size_t enqueue(const std::vector<EchoTarget>& targets);

    /// Blocks until the queue is empty and no probe runs (for tests and shutdown paths).
    void waitIdle();

private:
    void workerLoop();

    Probe _probe;
    Report _report;
    size_t _maxWorkers;
    size_t _maxQueued;

    std::mutex _mutex;
    std::condition_variable _wake;
    std::condition_variable _idle;
    std::deque<EchoTarget> _queue;
    std::set<std::string> _queuedKeys;
    std::vector<std::thread> _workers;
    size_t _running = 0;
    bool _stopping = false;
};

} // namespace dcmSDK
