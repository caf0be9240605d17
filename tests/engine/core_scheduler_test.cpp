// Timers, update hooks, pausing and the main-thread function queue.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "cocos2d.h"

using namespace cocos2d;

namespace {

const float kFrame = 1.0f / 60.0f;

class SchedulerTest : public ::testing::Test {
protected:
    void SetUp() override { Director::getInstance()->reset(); }
    void TearDown() override { Director::getInstance()->reset(); }
    void frames(int n, float dt = kFrame)
    {
        for (int i = 0; i < n; ++i) Director::getInstance()->mainLoop(dt);
    }
    Scheduler* scheduler() { return Director::getInstance()->getScheduler(); }
    int target = 0; // any address serves as a target
};

// A reference-counted target with member-function timers.
class Ticker : public Ref {
public:
    void tick(float dt)
    {
        ++ticks;
        last = dt;
    }
    void other(float) { ++others; }
    int ticks = 0, others = 0;
    float last = 0;
};

struct Updatable {
    std::vector<int>* order;
    int id;
    float total = 0;
    void update(float dt)
    {
        order->push_back(id);
        total += dt;
    }
};

} // namespace

TEST_F(SchedulerTest, IntervalTimerFiresOnTimeWithItsInterval)
{
    std::vector<float> calls;
    scheduler()->schedule([&](float dt) { calls.push_back(dt); }, &target, 0.1f, false, "tick");
    frames(5, 0.05f);
    ASSERT_EQ(2u, calls.size()); // at 0.10 and 0.20 (frames at .05 .10 .15 .20 .25)
    EXPECT_FLOAT_EQ(0.1f, calls[0]);
    EXPECT_TRUE(scheduler()->isScheduled("tick", &target));
}

TEST_F(SchedulerTest, ShortTimersCatchUpWithinOneFrame)
{
    int fired = 0;
    scheduler()->schedule([&](float) { ++fired; }, &target, 0.005f, false, "cine");
    frames(1);
    EXPECT_EQ(3, fired); // 1/60 s holds three 5 ms steps
    frames(59);
    EXPECT_NEAR(200, fired, 1); // a second of frames: 200 steps, remainders carried over
}

TEST_F(SchedulerTest, RepeatAndDelayCountFirings)
{
    std::vector<float> calls;
    // Fires after the delay, then repeat more times.
    scheduler()->schedule([&](float dt) { calls.push_back(dt); }, &target, 0.1f, 2, 0.5f, false, "r");
    frames(4, 0.1f);
    EXPECT_TRUE(calls.empty());
    frames(1, 0.1f);
    ASSERT_EQ(1u, calls.size());
    EXPECT_FLOAT_EQ(0.5f, calls[0]);
    frames(10, 0.1f);
    EXPECT_EQ(3u, calls.size());
    EXPECT_FALSE(scheduler()->isScheduled("r", &target));
}

TEST_F(SchedulerTest, ZeroIntervalFiresEveryFrameWithTheFrameTime)
{
    std::vector<float> calls;
    scheduler()->schedule([&](float dt) { calls.push_back(dt); }, &target, 0.0f, false, "each");
    frames(3, 0.02f);
    ASSERT_EQ(3u, calls.size());
    EXPECT_FLOAT_EQ(0.02f, calls[2]);
}

TEST_F(SchedulerTest, PausedTargetsNeitherFireNorAdvance)
{
    int fired = 0;
    scheduler()->schedule([&](float) { ++fired; }, &target, 0.1f, true, "p");
    EXPECT_TRUE(scheduler()->isTargetPaused(&target));
    frames(10, 0.1f);
    EXPECT_EQ(0, fired);
    scheduler()->resumeTarget(&target);
    frames(1, 0.05f);
    EXPECT_EQ(0, fired); // time spent paused did not count
    frames(1, 0.05f);
    EXPECT_EQ(1, fired);
    std::set<void*> paused = scheduler()->pauseAllTargets();
    EXPECT_EQ(1u, paused.count(&target));
    frames(3, 0.1f);
    EXPECT_EQ(1, fired);
    scheduler()->resumeTargets(paused);
    frames(1, 0.1f);
    EXPECT_EQ(2, fired);
}

TEST_F(SchedulerTest, UnscheduleInsideCallbackStopsAtOnce)
{
    int fired = 0;
    scheduler()->schedule(
        [&](float) {
            ++fired;
            scheduler()->unschedule("self", &target); // destroys this very callback's timer
        },
        &target, 0.001f, false, "self");
    frames(3);
    EXPECT_EQ(1, fired); // no catch-up firings after removal
    EXPECT_FALSE(scheduler()->isScheduled("self", &target));
}

TEST_F(SchedulerTest, CallbackMayRemoveOtherTimersAndTargets)
{
    int other = 0, victimFired = 0;
    scheduler()->schedule([&](float) { scheduler()->unscheduleAllForTarget(&other); }, &target, 0, false, "killer");
    scheduler()->schedule([&](float) { ++victimFired; }, &other, 0, false, "victim");
    frames(2);
    EXPECT_EQ(0, victimFired);
}

TEST_F(SchedulerTest, RescheduleReplacesTheTimer)
{
    int a = 0, b = 0;
    scheduler()->schedule([&](float) { ++a; }, &target, 0.0f, false, "k");
    scheduler()->schedule([&](float) { ++b; }, &target, 0.0f, false, "k");
    frames(2);
    EXPECT_EQ(0, a);
    EXPECT_EQ(2, b);
}

TEST_F(SchedulerTest, UpdateHooksRunByPriorityBeforeTimers)
{
    std::vector<int> order;
    Updatable u1{&order, 1}, u2{&order, 2}, u3{&order, 3};
    scheduler()->scheduleUpdate(&u1, 5, false);
    scheduler()->scheduleUpdate(&u2, -1, false);
    scheduler()->scheduleUpdate(&u3, 5, false);
    scheduler()->schedule([&](float) { order.push_back(9); }, &target, 0, false, "t");
    frames(1);
    EXPECT_EQ((std::vector<int>{2, 1, 3, 9}), order);
    scheduler()->unscheduleUpdate(&u1);
    order.clear();
    frames(1, 0.5f);
    EXPECT_EQ((std::vector<int>{2, 3, 9}), order);
    EXPECT_FLOAT_EQ(kFrame + 0.5f, u2.total);
    scheduler()->unscheduleAll();
}

TEST_F(SchedulerTest, StoppedDirectorRunsNothing)
{
    int fired = 0;
    scheduler()->schedule([&](float) { ++fired; }, &target, 0, false, "s");
    Director::getInstance()->stopAnimation();
    unsigned int framesBefore = Director::getInstance()->getTotalFrames();
    frames(3);
    EXPECT_EQ(0, fired);
    EXPECT_EQ(framesBefore, Director::getInstance()->getTotalFrames());
    Director::getInstance()->startAnimation();
    frames(1);
    EXPECT_EQ(1, fired);
}

TEST_F(SchedulerTest, InjectedClockGivesTheFrameTime)
{
    double now = 100.0;
    Director* d = Director::getInstance();
    d->setClock([&] { return now; });
    d->mainLoop(); // first frame: no previous time
    EXPECT_FLOAT_EQ(0.0f, d->getDeltaTime());
    now += 0.25;
    d->mainLoop();
    EXPECT_FLOAT_EQ(0.25f, d->getDeltaTime());
    d->setClock(nullptr);
}

TEST_F(SchedulerTest, FunctionsFromOtherThreadsRunOnTheMainThreadInOrder)
{
    std::vector<int> seen;
    std::atomic<int> offMain{0};
    std::thread::id mainId = std::this_thread::get_id();
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 100; ++i) {
                scheduler()->performFunctionInCocosThread([&, t, i] {
                    if (std::this_thread::get_id() != mainId) ++offMain;
                    seen.push_back(t * 1000 + i);
                });
            }
        });
    }
    // Frames run while the threads post.
    while (seen.size() < 400) {
        frames(1);
        std::this_thread::yield();
    }
    for (auto& th : threads) th.join();
    EXPECT_EQ(0, offMain.load());
    // Each thread's functions keep their order.
    std::vector<int> last(4, -1);
    for (int v : seen) {
        EXPECT_GT(v % 1000, last[v / 1000]);
        last[v / 1000] = v % 1000;
    }
}

TEST_F(SchedulerTest, QueuedFunctionsCanBeWithdrawnByTarget)
{
    int owner = 0, other = 0;
    std::vector<int> ran;
    scheduler()->performFunctionInCocosThread([&] { ran.push_back(1); }, &owner);
    scheduler()->performFunctionInCocosThread([&] { ran.push_back(2); }, &other);
    scheduler()->performFunctionInCocosThread([&] { ran.push_back(3); }, &owner);
    scheduler()->removeFunctionInCocosThread(&owner);
    frames(1);
    EXPECT_EQ((std::vector<int>{2}), ran);
}

TEST_F(SchedulerTest, FunctionMayWithdrawLaterOnesOfTheSameFrame)
{
    int owner = 0;
    std::vector<int> ran;
    scheduler()->performFunctionInCocosThread([&] {
        ran.push_back(1);
        scheduler()->removeFunctionInCocosThread(&owner); // e.g. a worker being stopped
    });
    scheduler()->performFunctionInCocosThread([&] { ran.push_back(2); }, &owner);
    frames(1);
    EXPECT_EQ((std::vector<int>{1}), ran);
}

TEST_F(SchedulerTest, FunctionsQueuedWhileRunningWaitForTheNextFrame)
{
    int runs = 0;
    std::function<void()> again = [&] {
        ++runs;
        scheduler()->performFunctionInCocosThread(again);
    };
    scheduler()->performFunctionInCocosThread(again);
    frames(1);
    EXPECT_EQ(1, runs);
    frames(1);
    EXPECT_EQ(2, runs);
    scheduler()->removeAllFunctionsToBePerformedInCocosThread();
}

TEST_F(SchedulerTest, WithdrawingRacesWithPostingSafely)
{
    int owner = 0;
    std::atomic<bool> stop{false};
    std::atomic<int> ran{0};
    std::thread poster([&] {
        while (!stop) {
            scheduler()->performFunctionInCocosThread([&] { ++ran; }, &owner);
            scheduler()->schedule([](float) {}, &owner, 0, false, "racing");
            scheduler()->unschedule("racing", &owner);
        }
    });
    for (int i = 0; i < 200; ++i) {
        scheduler()->removeFunctionInCocosThread(&owner);
        frames(1);
    }
    stop = true;
    poster.join();
    scheduler()->removeFunctionInCocosThread(&owner);
    frames(1);
    EXPECT_EQ(0u, scheduler()->getPendingFunctionCount());
}

TEST_F(SchedulerTest, SelectorTimersAreKeyedByTheirMemberFunction)
{
    auto* t = new Ticker();
    scheduler()->schedule(CC_SCHEDULE_SELECTOR(Ticker::tick), t, 0.1f, false);
    scheduler()->schedule(CC_SCHEDULE_SELECTOR(Ticker::other), t, 0.0f, 1, 0.0f, false);
    EXPECT_TRUE(scheduler()->isScheduled(CC_SCHEDULE_SELECTOR(Ticker::tick), t));
    frames(4, 0.05f);
    EXPECT_EQ(2, t->ticks);
    EXPECT_EQ(2, t->others); // repeat 1: two firings, then gone
    EXPECT_FALSE(scheduler()->isScheduled(CC_SCHEDULE_SELECTOR(Ticker::other), t));
    scheduler()->unschedule(CC_SCHEDULE_SELECTOR(Ticker::tick), t);
    frames(4, 0.05f);
    EXPECT_EQ(2, t->ticks);
    t->release();
}

TEST_F(SchedulerTest, TimeScaleStretchesEveryDelta)
{
    std::vector<float> seen;
    scheduler()->schedule([&](float dt) { seen.push_back(dt); }, &target, 0, false, "scaled");
    scheduler()->setTimeScale(0.5f);
    frames(1, 0.1f);
    scheduler()->setTimeScale(1.0f);
    ASSERT_EQ(1u, seen.size());
    EXPECT_FLOAT_EQ(0.05f, seen[0]);
}

TEST_F(SchedulerTest, PausingByPriorityLeavesSystemHooksRunning)
{
    std::vector<int> order;
    Updatable system{&order, 1}, user{&order, 2};
    scheduler()->scheduleUpdate(&system, Scheduler::PRIORITY_SYSTEM, false);
    scheduler()->scheduleUpdate(&user, 0, false);
    std::set<void*> paused = scheduler()->pauseAllTargetsWithMinPriority(Scheduler::PRIORITY_NON_SYSTEM_MIN);
    frames(1);
    EXPECT_EQ((std::vector<int>{1}), order);
    scheduler()->resumeTargets(paused);
    frames(1);
    EXPECT_EQ((std::vector<int>{1, 1, 2}), order);
    scheduler()->unscheduleAll();
}
