// Delivery order, channels, withdrawal and thread safety of the notification centre.

#include "notify/NSNotificationCenter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

using NSUI::NSNotificationCenter;
using NSUI::NSNotificationData;

namespace {

// A Ref we can use as sender or object channel.
class Channel : public cocos2d::Ref {};

class NotificationCenterTest : public ::testing::Test {
protected:
    void SetUp() override {
        centre = NSNotificationCenter::getInstance();
        // The centre's first tick comes 0.5 s after its creation.
        cocos2d::Director::getInstance()->mainLoop(0.6f);
    }
    void TearDown() override {
        NSNotificationCenter::destroyInstance();
        x->release();
        y->release();
    }

    static void frame() { cocos2d::Director::getInstance()->mainLoop(1.0f / 60.0f); }

    // Registers an observer that appends "<name>" (and the int value when asked) to the log.
    void observe(void* target, cocos2d::Ref* object, unsigned id, const std::string& name) {
        centre->addObserver(
            target, object,
            [this, name](cocos2d::Ref*, unsigned, NSNotificationData*) { log.push_back(name); }, id);
    }

    NSNotificationCenter* centre = nullptr;
    Channel* x = new Channel();
    Channel* y = new Channel();
    int targetA = 0, targetB = 0, targetC = 0;
    std::vector<std::string> log;
};

TEST_F(NotificationCenterTest, UnflaggedPostReachesOneObserverPerTick) {
    observe(&targetA, nullptr, 2000, "a");
    observe(&targetB, nullptr, 2000, "b");
    centre->postNotificationWithInt(nullptr, 2000, 1, nullptr, false);
    EXPECT_TRUE(log.empty()) << "a post never runs a callback at once";
    frame();
    EXPECT_EQ(log, std::vector<std::string>({"a"}));
    frame();
    EXPECT_EQ(log, std::vector<std::string>({"a", "b"}));
    frame();
    EXPECT_EQ(log.size(), 2u);
}

TEST_F(NotificationCenterTest, FlaggedPostReachesEveryObserverAtNextTickInRegistrationOrder) {
    observe(&targetB, nullptr, 2000, "b");
    observe(&targetA, nullptr, 2000, "a");
    centre->postNotificationWithInt(nullptr, 2000, 1, nullptr, true);
    frame();
    EXPECT_EQ(log, std::vector<std::string>({"b", "a"}));
}

TEST_F(NotificationCenterTest, TickRunsBothQueuesInPostingOrder) {
    observe(&targetA, nullptr, 2001, "A1");
    observe(&targetB, nullptr, 2001, "A2");
    observe(&targetA, nullptr, 2002, "B1");
    observe(&targetB, nullptr, 2002, "B2");
    centre->postNotification(nullptr, 2001, nullptr, nullptr, false);
    centre->postNotification(nullptr, 2002, nullptr, nullptr, true);
    frame();
    EXPECT_EQ(log, std::vector<std::string>({"A1", "B1", "B2"}));
    frame();
    EXPECT_EQ(log, std::vector<std::string>({"A1", "B1", "B2", "A2"}));
}

TEST_F(NotificationCenterTest, MatchingRules) {
    observe(&targetA, nullptr, 2003, "null-channel");
    observe(&targetB, x, 2003, "x-channel");
    observe(x, nullptr, 2003, "target-is-sender");
    centre->postNotification(x, 2003, nullptr, nullptr, true);
    frame();
    EXPECT_EQ(log, std::vector<std::string>({"null-channel"}));

    log.clear();
    centre->postNotification(nullptr, 2003, nullptr, x, true);
    frame();
    EXPECT_EQ(log, std::vector<std::string>({"x-channel"}));

    log.clear();
    centre->postNotification(nullptr, 2003, nullptr, y, true);
    centre->postNotification(nullptr, 2004, nullptr, nullptr, true);
    frame();
    EXPECT_TRUE(log.empty());
}

TEST_F(NotificationCenterTest, DuplicateRegistrationKeepsFirstCallback) {
    observe(&targetA, x, 2005, "first");
    observe(&targetA, x, 2005, "second");
    EXPECT_TRUE(centre->isObserverRegistered(2005, x, &targetA));
    observe(&targetA, y, 2005, "other-object");
    centre->postNotification(nullptr, 2005, nullptr, x, true);
    centre->postNotification(nullptr, 2005, nullptr, y, true);
    frame();
    EXPECT_EQ(log, std::vector<std::string>({"first", "other-object"}));
}

TEST_F(NotificationCenterTest, RemovingATargetWithdrawsOnlyItsDeliveries) {
    observe(&targetA, nullptr, 2006, "a");
    observe(&targetA, nullptr, 2007, "a7");
    observe(&targetB, nullptr, 2006, "b");
    centre->postNotification(nullptr, 2006, nullptr, nullptr, false);
    centre->postNotification(nullptr, 2006, nullptr, nullptr, true);
    centre->removeObserver(&targetA);
    EXPECT_FALSE(centre->isObserverRegistered(2007, nullptr, &targetA));
    frame();
    frame();
    EXPECT_EQ(log, std::vector<std::string>({"b", "b"}));

    log.clear();
    observe(&targetA, nullptr, 2006, "a");
    observe(&targetA, nullptr, 2007, "a7");
    centre->removeObserver(2006, &targetA);
    centre->postNotification(nullptr, 2006, nullptr, nullptr, true);
    centre->postNotification(nullptr, 2007, nullptr, nullptr, true);
    frame();
    EXPECT_EQ(log, std::vector<std::string>({"b", "a7"}));
}

// An owner closing down takes its waiting posts of one id at once, in posting order, from both
// queues; other ids and other targets wait for the tick, and nothing runs twice.
TEST_F(NotificationCenterTest, DeliverWaitingRunsOneTargetsPostsOfOneIdNow) {
    centre->addObserver(
        &targetA, nullptr,
        [this](cocos2d::Ref*, unsigned, NSNotificationData* d) { log.push_back("a" + std::to_string(d->intValue)); },
        2014);
    observe(&targetA, nullptr, 2015, "a-other-id");
    observe(&targetB, nullptr, 2014, "b");
    centre->postNotificationWithInt(nullptr, 2014, 1, nullptr, false);
    centre->postNotificationWithInt(nullptr, 2014, 2, nullptr, true);
    centre->postNotificationWithInt(nullptr, 2015, 3, nullptr, true);
    centre->postNotificationWithInt(nullptr, 2014, 4, nullptr, false);
    centre->deliverWaiting(2014, &targetA);
    EXPECT_EQ(log, std::vector<std::string>({"a1", "a2", "a4"}));
    log.clear();
    frame();
    frame();
    frame();
    EXPECT_EQ(log, std::vector<std::string>({"b", "b", "a-other-id", "b"}));
}

TEST_F(NotificationCenterTest, CancelThisFrameSparesEarlierFrames) {
    observe(&targetA, x, 2008, "a");
    centre->postNotification(y, 2008, nullptr, x, false);
    frame(); // delivered: the queue is empty again
    observe(&targetB, x, 2008, "b");
    log.clear();

    centre->postNotification(y, 2008, nullptr, x, true); // an earlier frame
    // Post in a later frame without letting the tick deliver: pause the centre's target.
    cocos2d::Director::getInstance()->getScheduler()->pauseTarget(centre);
    frame();
    centre->postNotification(y, 2008, nullptr, x, true);
    centre->cancelNotificationOfThisFrame(y, 2008, x);
    cocos2d::Director::getInstance()->getScheduler()->resumeTarget(centre);
    frame();
    EXPECT_EQ(log, std::vector<std::string>({"a", "b"})) << "only the earlier post survives";

    log.clear();
    centre->postNotification(y, 2008, nullptr, x, true);
    centre->postNotification(x, 2008, nullptr, x, true); // another sender stays
    centre->cancelNotification(y, 2008, x);
    frame();
    EXPECT_EQ(log, std::vector<std::string>({"a", "b"}));
}

TEST_F(NotificationCenterTest, CancelComparesFullThirtyTwoBitIds) {
    observe(&targetA, nullptr, 70000, "high");
    centre->postNotification(nullptr, 70000, nullptr, nullptr, true);
    centre->cancelNotification(nullptr, 70000 - 65536, nullptr);
    frame();
    EXPECT_EQ(log, std::vector<std::string>({"high"}));
}

TEST_F(NotificationCenterTest, PayloadAndIdReachTheCallback) {
    NSNotificationData* seen = reinterpret_cast<NSNotificationData*>(1);
    unsigned seenId = 0;
    std::string text;
    int tag = 0;
    cocos2d::Ref* sender = nullptr;
    centre->addObserver(
        &targetA, nullptr,
        [&](cocos2d::Ref* s, unsigned id, NSNotificationData* d) {
            sender = s;
            seenId = id;
            seen = d;
            if (d) {
                text += d->text;
                tag += d->tag;
            }
        },
        2010);
    centre->postNotification(x, 2010, nullptr, nullptr, true);
    frame();
    EXPECT_EQ(seen, nullptr);
    EXPECT_EQ(sender, x);
    EXPECT_EQ(seenId, 2010u);

    // The poster's own reference is gone before delivery: the queued record keeps the data alive.
    centre->postNotificationWithString(nullptr, 2010, "/tmp/a b", nullptr, false);
    centre->postNotificationWithTag(2010, 42, true);
    frame(); // both in one tick: the queued one was posted first
    EXPECT_EQ(text, "/tmp/a b");
    EXPECT_EQ(tag, 42);
}

TEST_F(NotificationCenterTest, DataHoldsItsObject) {
    NSNotificationData* data = new NSNotificationData();
    data->setObject(x);
    data->setObject(x); // the same object again must not free it
    EXPECT_EQ(x->getReferenceCount(), 2u);
    data->release();
    EXPECT_EQ(x->getReferenceCount(), 1u);
}

TEST(NotificationCenterStart, PostBeforeFirstTickIsDeliveredAtFirstTick) {
    NSNotificationCenter* centre = NSNotificationCenter::getInstance();
    int target = 0, calls = 0;
    centre->addObserver(
        &target, nullptr, [&](cocos2d::Ref*, unsigned, NSNotificationData*) { ++calls; }, 2011);
    centre->postNotification(nullptr, 2011, nullptr, nullptr, true);
    for (int i = 0; i < 20; ++i)
        cocos2d::Director::getInstance()->mainLoop(0.01f);
    EXPECT_EQ(calls, 0) << "no tick before 0.5 s";
    for (int i = 0; i < 40 && calls == 0; ++i)
        cocos2d::Director::getInstance()->mainLoop(0.01f);
    EXPECT_EQ(calls, 1);
    NSNotificationCenter::destroyInstance();
}

// Changes made from inside a callback: removals skip in-flight deliveries without touching
// released observers, and posts wait for a later tick.
TEST_F(NotificationCenterTest, ChangesDuringDelivery) {
    centre->addObserver(
        &targetA, nullptr,
        [&](cocos2d::Ref*, unsigned, NSNotificationData*) {
            log.push_back("a");
            centre->removeObserver(&targetB);
            // B's in-flight record now points at a released observer.
            centre->cancelNotificationsForTarget(&targetC);
            centre->removeObserver(&targetA); // its own registration, while running
            centre->postNotification(nullptr, 2013, nullptr, nullptr, true);
        },
        2012);
    observe(&targetB, nullptr, 2012, "b");
    observe(&targetC, nullptr, 2012, "c");
    observe(&targetC, nullptr, 2013, "c13");
    centre->postNotification(nullptr, 2012, nullptr, nullptr, true);
    frame();
    EXPECT_EQ(log, std::vector<std::string>({"a"}));
    frame();
    EXPECT_EQ(log, std::vector<std::string>({"a", "c13"}));
}

TEST_F(NotificationCenterTest, RemoveAllDuringDeliverySkipsTheRest) {
    centre->addObserver(
        &targetA, nullptr,
        [&](cocos2d::Ref*, unsigned, NSNotificationData*) {
            log.push_back("a");
            centre->removeAllObservers();
        },
        2014);
    observe(&targetB, nullptr, 2014, "b");
    centre->postNotification(nullptr, 2014, nullptr, nullptr, true);
    frame();
    frame();
    EXPECT_EQ(log, std::vector<std::string>({"a"}));
}

TEST_F(NotificationCenterTest, PostFromAnotherThreadEndsTheLoopsWait) {
    auto* director = cocos2d::Director::getInstance();
    observe(&targetA, x, 2016, "a");
    std::thread([&] { centre->postNotification(nullptr, 2016, nullptr, x, false); }).join();
    director->waitForWork(3600.0);
    const double now = director->now();
    EXPECT_EQ(now, director->getNextFrameTime(now)) << "due at once";
    frame();
    EXPECT_EQ(std::vector<std::string>{"a"}, log);
}

TEST_F(NotificationCenterTest, FourThreadsPostWhileMainThreadTicks) {
    const int kThreads = 4, kPosts = 500;
    std::vector<std::vector<int>> received(kThreads);
    centre->addObserver(
        &targetA, nullptr,
        [&](cocos2d::Ref*, unsigned, NSNotificationData* d) { received[d->tag].push_back(d->intValue); },
        2015);
    std::atomic<int> finished{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kPosts; ++i) {
                NSNotificationData* d = new NSNotificationData();
                d->tag = t;
                d->intValue = i;
                NSNotificationCenter::getInstance()->postNotification(nullptr, 2015, d, nullptr, true);
                d->release();
                if (i % 50 == 0)
                    std::this_thread::yield();
            }
            ++finished;
        });
    }
    while (finished < kThreads)
        frame();
    for (auto& t : threads)
        t.join();
    frame();
    for (int t = 0; t < kThreads; ++t) {
        ASSERT_EQ(received[t].size(), static_cast<size_t>(kPosts)) << "thread " << t;
        for (int i = 0; i < kPosts; ++i)
            ASSERT_EQ(received[t][i], i) << "posting order of thread " << t;
    }
}

} // namespace

namespace {

TEST(NotificationCenterShutdown, LateCallersGetAnInertCentre) {
    NSNotificationCenter* live = NSNotificationCenter::getInstance();
    int target = 0, calls = 0;
    live->addObserver(
        &target, nullptr, [&](cocos2d::Ref*, unsigned, NSNotificationData*) { ++calls; }, 2016);
    NSNotificationCenter::shutdown();

    // What a scene's clean-up does after the shutdown hook.
    NSNotificationCenter* late = NSNotificationCenter::getInstance();
    late->removeObserver(&target);
    late->addObserver(
        &target, nullptr, [&](cocos2d::Ref*, unsigned, NSNotificationData*) { ++calls; }, 2016);
    late->postNotification(nullptr, 2016, nullptr, nullptr, true);
    EXPECT_FALSE(late->isObserverRegistered(2016, nullptr, &target));
    EXPECT_FALSE(cocos2d::Director::getInstance()->getScheduler()->isScheduled(
        NSNotificationCenter::kScheduleKey, late));
    for (int i = 0; i < 60; ++i)
        cocos2d::Director::getInstance()->mainLoop(0.02f);
    EXPECT_EQ(calls, 0);
    NSNotificationCenter::shutdown(); // a second shutdown changes nothing
    EXPECT_EQ(NSNotificationCenter::getInstance(), late);
    NSNotificationCenter::destroyInstance();
}

} // namespace
