#include "EchoPool.h"

#include "dcmCallbacks.h"

namespace dcmSDK {

EchoPool::EchoPool(Probe probe, Report report, size_t workers, size_t maxQueued)
    : _probe(std::move(probe)), _report(std::move(report)), _maxWorkers(workers ? workers : 1),
      _maxQueued(maxQueued)
{
}

EchoPool::~EchoPool()
{
    {
        std::lock_guard<std::mutex> lock(_mutex);
        _stopping = true;
        _queue.clear();
        _queuedKeys.clear();
    }
    _wake.notify_all();
    for (std::thread& t : _workers)
        t.join();
}

size_t EchoPool::enqueue(const std::vector<EchoTarget>& targets)
{
    size_t queued = 0;
    size_t dropped = 0;
    {
        std::lock_guard<std::mutex> lock(_mutex);
        if (_stopping)
            return 0;
        for (const EchoTarget& t : targets) {
            if (_queuedKeys.count(t.mergeKey()))
                continue;
            if (_queue.size() >= _maxQueued) {
                ++dropped;
                continue;
            }
            _queuedKeys.insert(t.mergeKey());
            _queue.push_back(t);
            ++queued;
        }
        // Threads are started on demand and then kept for later requests.
        while (_workers.size() < _maxWorkers && _workers.size() < _queue.size() + _running)
            _workers.emplace_back(&EchoPool::workerLoop, this);
    }
    if (dropped)
        dcmLog("dcmEcho: %zu echo requests dropped: %zu are waiting, the most allowed", dropped, _maxQueued);
    _wake.notify_all();
    return queued;
}

void EchoPool::waitIdle()
{
    std::unique_lock<std::mutex> lock(_mutex);
    _idle.wait(lock, [this] { return _queue.empty() && _running == 0; });
}

void EchoPool::workerLoop()
{
    std::unique_lock<std::mutex> lock(_mutex);
    for (;;) {
        _wake.wait(lock, [this] { return _stopping || !_queue.empty(); });
        if (_stopping)
            break;
        EchoTarget target = _queue.front();
        _queue.pop_front();
        _queuedKeys.erase(target.mergeKey());
        ++_running;
        lock.unlock();

        const bool ok = _probe(target);
        if (ok || !target.sweep)
            _report(target, ok);

        lock.lock();
        --_running;
        if (_queue.empty() && _running == 0)
            _idle.notify_all();
    }
    _idle.notify_all();
}

} // namespace dcmSDK
