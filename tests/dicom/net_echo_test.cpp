// The echo service against storescp and closed ports, its bounded worker pool, and the
// texts and guards the network side shares.

#include <gtest/gtest.h>

#include "net/EchoPool.h"
#include "net/EchoTarget.h"
#include "net/NetMessageText.h"
#include "net/dcmEcho.h"
#include "net_harness.h"
#include "support/TestSupport.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>

using nettest::Message;
using nettest::MessageLog;

namespace {

class EchoTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        MessageLog::instance().install();
        MessageLog::instance().clear();
    }

    int startStorescp()
    {
        int port = nettest::freePort();
        std::filesystem::create_directories(tmp.file("in"));
        storescp.reset(new nettest::Process({"storescp", "-od", tmp.file("in"), std::to_string(port)},
                                            tmp.file("storescp.log")));
        EXPECT_TRUE(nettest::waitForListener(port));
        return port;
    }

    std::vector<Message> echoes() { return MessageLog::instance().ofType(dcmSDK::DCM_MSG_ECHO_RESULT); }

    const Message* answerFor(const std::vector<Message>& ms, const std::string& port)
    {
        for (const Message& m : ms)
            if (m.field("port") == port)
                return &m;
        return nullptr;
    }

    qptest::TempDir tmp;
    std::unique_ptr<nettest::Process> storescp;
    dcmSDK::dcmEcho echo;
};

} // namespace

TEST_F(EchoTest, RunningNodeAnswersOkAndAClosedPortDoesNotWithTheSameAppid)
{
    const std::string live = std::to_string(startStorescp());
    const std::string closed = std::to_string(nettest::freePort());
    const std::string t0 = "PACS,127.0.0.1," + live, t1 = "Gone \"node\",127.0.0.1," + closed;
    const char* targets[] = {t0.c_str(), t1.c_str()};
    echo.echo(targets, 2, false);
    echo.waitIdle();

    std::vector<Message> ms = echoes();
    ASSERT_EQ(ms.size(), 2u);
    ASSERT_TRUE(answerFor(ms, live) && answerFor(ms, closed));
    const Message okAnswer = *answerFor(ms, live), goneAnswer = *answerFor(ms, closed);
    const Message* ok = &okAnswer;
    const Message* gone = &goneAnswer;
    EXPECT_EQ(ok->field("ok"), "1");
    EXPECT_EQ(ok->field("ip"), "127.0.0.1");
    EXPECT_EQ(ok->field("name"), "PACS");
    EXPECT_EQ(gone->field("ok"), "0");
    EXPECT_EQ(gone->field("name"), "Gone \"node\"");

    // The same node, once stopped, answers "0" under the appid its success carried.
    storescp->stop();
    MessageLog::instance().clear();
    echo.echo(targets, 1, false);
    echo.waitIdle();
    ms = echoes();
    ASSERT_EQ(ms.size(), 1u);
    EXPECT_EQ(ms[0].field("ok"), "0");
    EXPECT_EQ(ms[0].field("appid"), ok->field("appid"));
    EXPECT_NE(ok->field("appid"), gone->field("appid"));
}

TEST_F(EchoTest, SweepReportsOnlyNodesThatAnswer)
{
    const std::string live = std::to_string(startStorescp());
    std::vector<std::string> texts = {"127.0.0.1," + live, "127.0.0.1," + std::to_string(nettest::freePort()),
                                      "127.0.0.2," + std::to_string(nettest::freePort()), "10.9.8.7,104"};
    std::vector<const char*> targets;
    for (const std::string& t : texts)
        targets.push_back(t.c_str());
    echo.echo(targets.data(), static_cast<int>(targets.size()), true);
    echo.waitIdle();

    std::vector<Message> ms = echoes();
    ASSERT_EQ(ms.size(), 1u);
    EXPECT_EQ(ms[0].field("ok"), "1");
    EXPECT_EQ(ms[0].field("port"), live);
    EXPECT_EQ(ms[0].field("name"), "127.0.0.1");  // sweep hits are named by their address
}

TEST_F(EchoTest, TargetsAreCopiedAndBadOnesSkipped)
{
    const std::string port = std::to_string(nettest::freePort());
    char* buffers[3];
    for (char*& b : buffers)
        b = static_cast<char*>(std::malloc(100));
    std::snprintf(buffers[0], 100, "First,127.0.0.1,%s", port.c_str());
    std::snprintf(buffers[1], 100, "no separators at all");
    std::snprintf(buffers[2], 100, "Off,10.20.30.40,104");  // refused by the loopback guard
    echo.echo(buffers, 3, false);
    for (char*& b : buffers) {
        std::memset(b, 'X', 99);
        std::free(b);
    }
    echo.waitIdle();
    std::vector<Message> ms = echoes();
    ASSERT_EQ(ms.size(), 2u);
    EXPECT_NE(answerFor(ms, port), nullptr);
    EXPECT_EQ(answerFor(ms, port)->field("name"), "First");
    ASSERT_NE(answerFor(ms, "104"), nullptr);
    EXPECT_EQ(answerFor(ms, "104")->field("ok"), "0");

    echo.echo(static_cast<const char**>(nullptr), 5, false);  // nothing happens
    echo.waitIdle();
    EXPECT_EQ(echoes().size(), 2u);
}

TEST(EchoPoolTest, RepeatedTargetsMergeAndTheQueueIsBounded)
{
    std::mutex m;
    std::condition_variable cv;
    bool release = false;
    std::atomic<int> running{0}, maxRunning{0}, reports{0};
    auto probe = [&](const dcmSDK::EchoTarget&) {
        int now = ++running;
        for (int seen = maxRunning.load(); now > seen && !maxRunning.compare_exchange_weak(seen, now);) {
        }
        std::unique_lock<std::mutex> lock(m);
        cv.wait(lock, [&] { return release; });
        --running;
        return true;
    };
    dcmSDK::EchoPool pool(probe, [&](const dcmSDK::EchoTarget&, bool) { ++reports; }, 2, 5);

    auto target = [](int i) {
        dcmSDK::EchoTarget t;
        t.ip = "127.0.0." + std::to_string(i);
        t.port = "104";
        return t;
    };
    // Two occupy the workers; of the next ten only five fit in the queue.
    EXPECT_EQ(pool.enqueue({target(1), target(2)}), 2u);
    while (running.load() < 2)
        std::this_thread::yield();
    std::vector<dcmSDK::EchoTarget> ten;
    for (int i = 10; i < 20; ++i)
        ten.push_back(target(i));
    EXPECT_EQ(pool.enqueue(ten), 5u);
    // The same nodes again are merged into the waiting requests; a sweep of one is not.
    EXPECT_EQ(pool.enqueue({target(10), target(11)}), 0u);
    dcmSDK::EchoTarget sweep = target(12);
    sweep.sweep = true;
    EXPECT_EQ(pool.enqueue({sweep}), 0u);  // still full

    {
        std::lock_guard<std::mutex> lock(m);
        release = true;
    }
    cv.notify_all();
    pool.waitIdle();
    EXPECT_EQ(reports.load(), 7);
    EXPECT_LE(maxRunning.load(), 2);
}

TEST(EchoPoolTest, OverlappingCallersShareThePool)
{
    std::atomic<int> probes{0};
    std::atomic<int> failuresReported{0};
    dcmSDK::EchoPool pool([&](const dcmSDK::EchoTarget& t) { ++probes; return t.port == "1"; },
                          [&](const dcmSDK::EchoTarget&, bool ok) { failuresReported += ok ? 0 : 1; }, 4, 4096);
    std::vector<std::thread> callers;
    for (int c = 0; c < 4; ++c)
        callers.emplace_back([&pool, c] {
            for (int i = 0; i < 100; ++i) {
                dcmSDK::EchoTarget t;
                t.ip = "127.0." + std::to_string(c) + "." + std::to_string(i);
                t.port = std::to_string(i % 2);
                t.sweep = true;
                pool.enqueue({t});
            }
        });
    for (std::thread& t : callers)
        t.join();
    pool.waitIdle();
    EXPECT_EQ(probes.load(), 400);
    EXPECT_EQ(failuresReported.load(), 0);  // sweeps keep silent about failures
}

TEST(EchoTargetTest, ParsesFromTheRight)
{
    dcmSDK::EchoTarget t;
    ASSERT_TRUE(dcmSDK::EchoTarget::parse("CT, floor 2,127.0.0.1, 4587", false, t));
    EXPECT_EQ(t.name, "CT, floor 2");
    EXPECT_EQ(t.ip, "127.0.0.1");
    EXPECT_EQ(t.port, "4587");
    ASSERT_TRUE(dcmSDK::EchoTarget::parse("127.0.0.9,4587", true, t));
    EXPECT_EQ(t.name, "");
    EXPECT_EQ(t.reportedName(), "127.0.0.9");
    EXPECT_TRUE(t.sweep);
    for (const char* bad : {"", "127.0.0.1", ",4587", "127.0.0.1,", "name,,4587"})
        EXPECT_FALSE(dcmSDK::EchoTarget::parse(bad, false, t)) << bad;
}

TEST(NetMessageTextTest, ValuesAreQuotedAndEscaped)
{
    const std::string name = "A \"quoted\" \\ name\nwith\tcontrol \x01 bytes";
    nlohmann::json j = nlohmann::json::parse(
        dcmSDK::NetMessageText::echoResult(true, "127.0.0.1:104", "127.0.0.1", "104", name), nullptr, false);
    ASSERT_TRUE(j.is_object());
    EXPECT_EQ(j["ok"], "1");
    EXPECT_EQ(j["name"], name);
    j = nlohmann::json::parse(dcmSDK::NetMessageText::progress(4294967295u, 37.5f));
    EXPECT_EQ(j["taskID"], "4294967295");
    EXPECT_EQ(j["value"], "37.500000");
}

TEST(LoopbackGuardTest, OnlyDottedLoopbackAddressesPass)
{
    ASSERT_TRUE(dcmSDK::LoopbackGuard::isEnforced());
    for (const char* ok : {"127.0.0.1", "127.1.2.3", "127.255.255.254"})
        EXPECT_TRUE(dcmSDK::LoopbackGuard::allows(ok)) << ok;
    for (const char* bad : {"128.0.0.1", "10.0.0.1", "0.0.0.0", "localhost", "127.0.0.1.5", "", "::1"})
        EXPECT_FALSE(dcmSDK::LoopbackGuard::allows(bad)) << bad;
}
