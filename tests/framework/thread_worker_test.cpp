// Request order, clearing, stopping and safe destruction of the worker threads.

#include "thread/NSRunableThread.h"
#include "thread/NSThread.h"
#include "thread/NSThreadSafeDestroy.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

using NSUI::NSRunableThread;
using NSUI::NSThread;
using NSUI::NSThreadRequest;
using NSUI::NSThreadSafeDestroy;

namespace {

// A latch the test opens to let a blocked process() go on.
class Gate {
public:
    void open() {
        std::lock_guard<std::mutex> lock(_m);
        _open = true;
        _cv.notify_all();
    }
    void wait() {
        std::unique_lock<std::mutex> lock(_m);
        _cv.wait(lock, [this] { return _open; });
    }

private:
    std::mutex _m;
    std::condition_variable _cv;
    bool _open = false;
};

void frame() {
    cocos2d::Director::getInstance()->mainLoop(1.0f / 60.0f);
}

// Waits (driving frames) until the condition holds; false after five seconds.
template <class F> bool eventually(F condition) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Records the ids it processes; a request with userInt 1 blocks on the gate first.
struct Log {
    std::mutex mutex;
    std::vector<uint32_t> processed;
    std::vector<uint32_t> delivered;
    std::vector<bool> deliveredCancelled;
    std::atomic<bool> started{false};
    std::atomic<bool> sawCancel{false};
    std::atomic<bool> destroyed{false};
    std::atomic<bool> processReturned{false};
    Gate gate;

    std::vector<uint32_t> processedCopy() {
        std::lock_guard<std::mutex> lock(mutex);
        return processed;
    }
};

class RecordingThread : public NSThread {
public:
    explicit RecordingThread(Log& log, int sleepMs = 0) : _log(log), _sleepMs(sleepMs) {
        finishedCallback = [this](NSThreadRequest* r) {
            _log.delivered.push_back(r->requestId);
            _log.deliveredCancelled.push_back(r->cancelled);
        };
    }

protected:
    ~RecordingThread() override { _log.destroyed = true; }

    void process(NSThreadRequest* request) override {
        _log.started = true;
        if (request->userInt == 1) {
            _log.gate.wait();
            if (request->cancelled)
                _log.sawCancel = true;
        }
        if (_sleepMs)
            std::this_thread::sleep_for(std::chrono::milliseconds(_sleepMs));
        {
            std::lock_guard<std::mutex> lock(_log.mutex);
            _log.processed.push_back(request->requestId);
        }
        _log.processReturned = true;
    }

private:
    Log& _log;
    int _sleepMs;
};

NSThreadRequest* makeRequest(uint32_t id, bool blocking = false) {
    NSThreadRequest* r = new NSThreadRequest();
    r->requestId = id;
    r->userInt = blocking ? 1 : 0;
    return r;
}

// Adds a request the thread keeps; the test's own reference is dropped at once.
void add(NSThread* thread, uint32_t id, bool blocking = false) {
    NSThreadRequest* r = makeRequest(id, blocking);
    EXPECT_TRUE(thread->addRequest(r));
    r->release();
}

TEST(WorkerThread, RequestsComeBackOldestFirstAtNextUpdate) {
    Log log;
    NSThreadSafeDestroy owner;
    RecordingThread* thread = new RecordingThread(log);
    add(thread, 1);
    add(thread, 2);
    add(thread, 3);
    ASSERT_TRUE(eventually([&] { return log.processedCopy().size() == 3; }));
    EXPECT_TRUE(log.delivered.empty()) << "deliveries wait for the main thread";
    frame();
    EXPECT_EQ(log.delivered, std::vector<uint32_t>({1, 2, 3}));
    owner.safeDestroyThread(thread);
    EXPECT_TRUE(log.destroyed);
}

TEST(WorkerThread, MoveRequestToFrontPicksTheNextOne) {
    Log log;
    NSThreadSafeDestroy owner;
    RecordingThread* thread = new RecordingThread(log);
    add(thread, 1, true);
    ASSERT_TRUE(eventually([&] { return log.started.load(); }));
    add(thread, 2);
    add(thread, 3);
    add(thread, 4);
    thread->moveRequestToFront(4);
    thread->moveRequestToFront(1);   // in progress: nothing happens
    thread->moveRequestToFront(999); // unknown: nothing happens
    log.gate.open();
    ASSERT_TRUE(eventually([&] { return log.processedCopy().size() == 4; }));
    EXPECT_EQ(log.processedCopy(), std::vector<uint32_t>({1, 4, 2, 3}));
    owner.safeDestroyThread(thread);
}

TEST(WorkerThread, ClearCancelsTheRunningRequestAndDropsTheQueued) {
    Log log;
    NSThreadSafeDestroy owner;
    RecordingThread* thread = new RecordingThread(log);
    NSThreadRequest* running = makeRequest(1, true);
    NSThreadRequest* queued = makeRequest(2);
    thread->addRequest(running);
    ASSERT_TRUE(eventually([&] { return log.started.load(); }));
    thread->addRequest(queued);
    thread->clearRequests();
    EXPECT_TRUE(running->cancelled);
    EXPECT_EQ(queued->getReferenceCount(), 1u) << "a dropped request is released";
    add(thread, 3);
    log.gate.open();
    ASSERT_TRUE(eventually([&] { return log.processedCopy().size() == 2; }));
    frame();
    EXPECT_TRUE(log.sawCancel);
    EXPECT_EQ(log.processedCopy(), std::vector<uint32_t>({1, 3}));
    EXPECT_EQ(log.delivered, std::vector<uint32_t>({1, 3}));
    EXPECT_EQ(log.deliveredCancelled, std::vector<bool>({true, false}));
    owner.safeDestroyThread(thread);
    EXPECT_EQ(running->getReferenceCount(), 1u);
    running->release();
    queued->release();
}

TEST(WorkerThread, StopRefusesRequestsAndDeliversNothingMore) {
    Log log;
    RecordingThread* thread = new RecordingThread(log);
    add(thread, 1, true);
    ASSERT_TRUE(eventually([&] { return log.started.load(); }));
    add(thread, 2);
    thread->stop();
    // The worker is held in process(), so the object is still alive to ask.
    NSThreadRequest* late = makeRequest(3);
    EXPECT_FALSE(thread->addRequest(late));
    EXPECT_FALSE(thread->addRequest(nullptr));
    late->release();
    log.gate.open();
    ASSERT_TRUE(eventually([&] { return log.destroyed.load(); }));
    frame();
    EXPECT_EQ(log.processedCopy(), std::vector<uint32_t>({1}));
    EXPECT_TRUE(log.delivered.empty());
}

// Finishing runs what is queued (even behind a request still in progress), refuses more and
// delivers nothing, also what had finished before.
TEST(WorkerThread, FinishRunsEveryQueuedRequestAndDeliversNothing) {
    Log log;
    RecordingThread* thread = new RecordingThread(log);
    add(thread, 1);
    ASSERT_TRUE(eventually([&] { return log.processedCopy().size() == 1; }));
    add(thread, 2, true);
    add(thread, 3);
    add(thread, 4);
    thread->finishAndStop();
    // Request 2 holds the worker, so the object is still alive to ask.
    NSThreadRequest* late = makeRequest(5);
    EXPECT_FALSE(thread->addRequest(late));
    late->release();
    log.gate.open();
    ASSERT_TRUE(eventually([&] { return log.destroyed.load(); }));
    frame();
    EXPECT_EQ(log.processedCopy(), std::vector<uint32_t>({1, 2, 3, 4}));
    EXPECT_TRUE(log.delivered.empty());

    Log idle;
    NSThreadSafeDestroy owner;
    owner.safeFinishThread(new RecordingThread(idle));
    EXPECT_TRUE(idle.destroyed);
}

TEST(WorkerThread, StopWithoutWorkerDeletesAtOnce) {
    Log log;
    (new RecordingThread(log))->stop();
    EXPECT_TRUE(log.destroyed);

    Log log2;
    NSThreadSafeDestroy owner;
    owner.safeDestroyThread(new RecordingThread(log2));
    EXPECT_TRUE(log2.destroyed);
    EXPECT_TRUE(owner.isWorkerFinished());
    owner.safeDestroyThread(nullptr);
}

TEST(WorkerThread, SafeDestroyWaitsForTheRunningRequest) {
    Log log;
    NSThreadSafeDestroy owner;
    RecordingThread* thread = new RecordingThread(log, 100);
    add(thread, 1);
    ASSERT_TRUE(eventually([&] { return log.started.load(); }));
    owner.safeDestroyThread(thread);
    EXPECT_TRUE(log.processReturned);
    EXPECT_TRUE(log.destroyed);
    frame();
    frame();
    EXPECT_TRUE(log.delivered.empty());
}

// The owner stops the thread from its own callback while another delivery of the same thread
// is already queued for the main thread: that delivery must find the thread gone, not use it.
TEST(WorkerThread, StopFromFinishedCallbackSkipsLaterDeliveries) {
    Log log;
    RecordingThread* thread = new RecordingThread(log);
    thread->finishedCallback = [&](NSThreadRequest* r) {
        log.delivered.push_back(r->requestId);
        thread->stop();
    };
    add(thread, 1);
    add(thread, 2);
    ASSERT_TRUE(eventually([&] { return log.processedCopy().size() == 2; }));
    frame();
    ASSERT_TRUE(eventually([&] { return log.destroyed.load(); }));
    frame();
    EXPECT_EQ(log.delivered, std::vector<uint32_t>({1}));
}

TEST(WorkerThread, ClearRacingProcessNeverDeadlocks) {
    for (int round = 0; round < 200; ++round) {
        Log log;
        NSThreadSafeDestroy owner;
        RecordingThread* thread = new RecordingThread(log);
        for (uint32_t i = 0; i < 8; ++i)
            add(thread, i);
        std::thread other([&] {
            for (int i = 0; i < 4; ++i) {
                thread->clearRequests();
                thread->moveRequestToFront(5);
            }
        });
        for (uint32_t i = 8; i < 12; ++i) {
            add(thread, i);
            thread->clearRequests();
            frame();
        }
        other.join();
        owner.safeDestroyThread(thread);
        ASSERT_TRUE(log.destroyed);
        frame();
    }
}

TEST(RunableThread, RunsOnceAndPostsItsCompletion) {
    std::atomic<int> runs{0};
    std::atomic<void*> seenArg{nullptr};
    bool completed = false;
    int arg = 7;
    NSThreadSafeDestroy owner;
    NSRunableThread::create(
        [&](void* a) {
            seenArg = a;
            ++runs;
        },
        &arg, &owner, [&] { completed = true; });
    owner.waitWorkersFinished();
    EXPECT_TRUE(owner.isWorkerFinished());
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(seenArg.load(), &arg);
    for (int i = 0; i < 100 && !completed; ++i) {
        frame();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_TRUE(completed);
}

TEST(RunableThread, OwnerCountsEveryLiveWorker) {
    NSThreadSafeDestroy owner;
    Gate gate;
    std::atomic<int> runs{0};
    for (int i = 0; i < 3; ++i) {
        NSRunableThread::create(
            [&](void*) {
                gate.wait();
                ++runs;
            },
            nullptr, &owner, nullptr);
    }
    EXPECT_FALSE(owner.isWorkerFinished());
    gate.open();
    owner.waitWorkersFinished();
    EXPECT_EQ(runs, 3);

    std::atomic<bool> plain{false};
    new NSRunableThread([&](void*) { plain = true; }, nullptr);
    EXPECT_TRUE(eventually([&] { return plain.load(); }));
}

} // namespace
