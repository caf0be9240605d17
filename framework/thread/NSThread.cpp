#include "thread/NSThread.h"

#include "thread/NSThreadSafeDestroy.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace NSUI {

// One lock guards the queue, the finished list and the state, so there is no lock order to get wrong.
struct NSThread::Shared {
    mutable std::mutex mutex;
    std::condition_variable wake;
    std::deque<NSThreadRequest*> queue;
    std::deque<NSThreadRequest*> finished;
    NSThreadRequest* current = nullptr;
    NSThreadRequest* sentinel = nullptr;
    bool started = false;
    bool stopping = false;
    bool busy = false;

    // Drops every queued request but the sentinel; the caller holds the lock.
    void dropQueued() {
        for (NSThreadRequest* r : queue) {
            if (r != sentinel)
                r->release();
        }
        queue.clear();
    }
    // Drops every queued and finished request; the caller holds the lock.
    void dropWaiting() {
        dropQueued();
        for (NSThreadRequest* r : finished)
            r->release();
        finished.clear();
    }
};

namespace {

cocos2d::Scheduler* scheduler() {
    return cocos2d::Director::getInstance()->getScheduler();
}

} // namespace

NSThread::NSThread() : _shared(std::make_shared<Shared>()) {
    _shared->sentinel = new NSThreadRequest();
}

NSThread::~NSThread() {
    finishedCallback = nullptr;
    {
        std::lock_guard<std::mutex> lock(_shared->mutex);
        _shared->dropWaiting();
        if (_shared->sentinel) {
            _shared->sentinel->release();
            _shared->sentinel = nullptr;
        }
    }
    if (_owner)
        _owner->workerExited();
}

void NSThread::process(NSThreadRequest* /*request*/) {}

void NSThread::attachOwner(NSThreadSafeDestroy* owner) {
    std::lock_guard<std::mutex> lock(_shared->mutex);
    if (_owner || !owner)
        return;
    _owner = owner;
    owner->workerStarted();
}

bool NSThread::isBusy() const {
    std::lock_guard<std::mutex> lock(_shared->mutex);
    return _shared->busy;
}

size_t NSThread::getWaitingCount() const {
    std::lock_guard<std::mutex> lock(_shared->mutex);
    return _shared->queue.size();
}

bool NSThread::isIdle() const {
    std::lock_guard<std::mutex> lock(_shared->mutex);
    return !_shared->stopping && !_shared->busy && _shared->queue.empty() && _shared->finished.empty();
}

void NSThread::dropWaitingRequests() {
    std::lock_guard<std::mutex> lock(_shared->mutex);
    // Once stopping, the queue ends with the sentinel that ends the worker.
    if (!_shared->stopping)
        _shared->dropQueued();
}

bool NSThread::addRequest(NSThreadRequest* request) {
    if (!request)
        return false;
    std::lock_guard<std::mutex> lock(_shared->mutex);
    if (_shared->stopping)
        return false;
    if (!_shared->started)
        startWorker();
    request->retain();
    _shared->queue.push_back(request);
    _shared->wake.notify_one();
    return true;
}

void NSThread::startWorker() {
    _shared->started = true;
    std::thread([this] { run(); }).detach();
}

void NSThread::moveRequestToFront(unsigned int requestId) {
    std::lock_guard<std::mutex> lock(_shared->mutex);
    auto& queue = _shared->queue;
    auto it = std::find_if(queue.begin(), queue.end(),
                           [&](NSThreadRequest* r) { return r->requestId == requestId; });
    if (it == queue.end() || it == queue.begin() || *it == _shared->sentinel)
        return;
    NSThreadRequest* request = *it;
    queue.erase(it);
    queue.push_front(request);
}

void NSThread::clearRequests() {
    std::lock_guard<std::mutex> lock(_shared->mutex);
    _shared->dropWaiting();
    if (_shared->current)
        _shared->current->cancelled = true;
}

void NSThread::stop() {
    end(false);
}

void NSThread::finishAndStop() {
    end(true);
}

void NSThread::end(bool runQueued) {
    std::unique_lock<std::mutex> lock(_shared->mutex);
    _shared->stopping = true;
    if (runQueued) {
        for (NSThreadRequest* r : _shared->finished)
            r->release();
        _shared->finished.clear();
    } else {
        _shared->dropWaiting();
    }
    scheduler()->removeFunctionInCocosThread(this);
    if (!_shared->started) {
        lock.unlock();
        delete this;
        return;
    }
    // The worker finishes the request in progress (and, when asked, those queued behind it),
    // meets the sentinel and deletes the object.
    _shared->queue.push_back(_shared->sentinel);
    _shared->wake.notify_one();
}

void NSThread::run() {
    cocos2d::PoolManager::getInstance()->addThread();
    std::shared_ptr<Shared> shared = _shared;
    for (;;) {
        NSThreadRequest* request = nullptr;
        {
            std::unique_lock<std::mutex> lock(shared->mutex);
            shared->wake.wait(lock, [&] { return !shared->queue.empty(); });
            request = shared->queue.front();
            shared->queue.pop_front();
            if (request == shared->sentinel)
                break;
            shared->current = request;
            shared->busy = true;
        }

        process(request);

        {
            std::lock_guard<std::mutex> lock(shared->mutex);
            shared->current = nullptr;
            shared->busy = false;
            if (!shared->stopping) {
                shared->finished.push_back(request);
                request = nullptr;
                // Posted under the lock so that stop() cannot withdraw deliveries before this one exists.
                scheduler()->performFunctionInCocosThread([shared, this] { deliverFinished(shared, this); },
                                                          this);
            }
        }
        if (request)
            request->release();
    }
    cocos2d::PoolManager::getInstance()->removeThread();
    delete this;
}

void NSThread::deliverFinished(const std::shared_ptr<Shared>& shared, NSThread* thread) {
    NSThreadRequest* request = nullptr;
    std::function<void(NSThreadRequest*)> callback;
    {
        std::lock_guard<std::mutex> lock(shared->mutex);
        // Once stopping, the thread object may already be gone: touch nothing of it.
        if (shared->stopping || shared->finished.empty())
            return;
        request = shared->finished.front();
        shared->finished.pop_front();
        callback = thread->finishedCallback;
    }
    if (callback)
        callback(request);
    request->release();
}

} // namespace NSUI
