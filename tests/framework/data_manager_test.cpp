// The data manager's tick, registration and clean-up.

#include "data/NSDataManager.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <chrono>
#include <functional>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using NSUI::NSDataManager;
using NSUI::NSDatas;

namespace {

class CountingData : public NSDatas {
public:
    int updates = 0;
    int cancels = 0;
    std::function<void()> onUpdate;

    void update(float) override {
        ++updates;
        if (onUpdate)
            onUpdate();
    }
    void cancelRequests() override { ++cancels; }
};

CountingData* makeData() {
    CountingData* d = new CountingData();
    d->init();
    return d;
}

void advance(float seconds) {
    for (float t = 0; t < seconds - 1e-4f; t += 0.05f)
        cocos2d::Director::getInstance()->mainLoop(0.05f);
}

class DataManagerTest : public ::testing::Test {
protected:
    void TearDown() override {
        NSDataManager::getInstance()->clear();
        NSDataManager::destroyInstance();
    }
    NSDataManager* manager = NSDataManager::getInstance();
};

TEST_F(DataManagerTest, TicksOncePerSecondAfterHalfASecond) {
    CountingData* d = makeData();
    manager->addData(d);
    manager->addData(d); // once only
    EXPECT_EQ(manager->getDatas().size(), 1u);
    manager->setAutoUpdate(true);
    advance(0.4f);
    EXPECT_EQ(d->updates, 0);
    // Turning it on again must not restart the timer's delay.
    manager->setAutoUpdate(true);
    advance(0.2f);
    EXPECT_EQ(d->updates, 1);
    advance(2.0f);
    EXPECT_EQ(d->updates, 3);
    d->release();
}

TEST_F(DataManagerTest, ClearCancelsReleasesAndStopsTheTick) {
    CountingData* d = makeData();
    manager->addData(d);
    EXPECT_EQ(d->getReferenceCount(), 2u);
    manager->setAutoUpdate(true);
    manager->clear();
    EXPECT_EQ(d->cancels, 1);
    EXPECT_EQ(d->getReferenceCount(), 1u);
    EXPECT_TRUE(manager->getDatas().empty());
    EXPECT_FALSE(manager->isAutoUpdate());

    manager->addData(d);
    advance(2.0f);
    EXPECT_EQ(d->updates, 0);
    manager->setAutoUpdate(true);
    advance(0.6f);
    EXPECT_EQ(d->updates, 1);
    d->release();
}

TEST_F(DataManagerTest, ListMayChangeDuringTheTick) {
    CountingData* first = makeData();
    CountingData* late = makeData();
    first->onUpdate = [&] {
        manager->addData(late);
        if (first->updates == 2)
            manager->clear();
    };
    manager->addData(first);
    first->release(); // only the manager holds it now
    manager->update(1.0f);
    EXPECT_EQ(late->updates, 0) << "registered during the tick: ticked from the next one";
    manager->update(1.0f);
    EXPECT_EQ(late->updates, 1);
    EXPECT_TRUE(manager->getDatas().empty());
    EXPECT_EQ(late->getReferenceCount(), 1u);
    late->release();
}

// A loopback port nobody listens on: connections to it are refused at once.
int closedPort() {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof(addr);
    bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr));
    getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    close(fd);
    return ntohs(addr.sin_port);
}

class ReplyCounter : public NSDatas {
public:
    int replies = 0;
    void onHttpResponse(NSUI::UIHttpResponse*) override { ++replies; }
};

TEST(DataObject, CancelWithdrawsOnlyItsOwnReplies) {
    std::string url = "http://127.0.0.1:" + std::to_string(closedPort()) + "/x";
    ReplyCounter* cancelled = new ReplyCounter();
    ReplyCounter* kept = new ReplyCounter();
    cancelled->init();
    kept->init();
    cancelled->post(url, "{}", "a");
    kept->post(url, "{}", "b");
    cancelled->cancelRequests();
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (kept->replies == 0 && std::chrono::steady_clock::now() < deadline) {
        cocos2d::Director::getInstance()->mainLoop(0.02f);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    for (int i = 0; i < 10; ++i)
        cocos2d::Director::getInstance()->mainLoop(0.02f);
    EXPECT_EQ(kept->replies, 1);
    EXPECT_EQ(cancelled->replies, 0);
    cancelled->release();
    kept->release();
}

} // namespace
