// LAN discovery on a loopback "subnet": the stop handshake at shutdown, answers to other
// installations and the datagrams it ignores. Runs inside the loopback-only namespace.

#include <gtest/gtest.h>

#include "cocos2d.h"
#include "discovery/sniffer.h"
#include "json/UIJson.h"
#include "net/NetworkInfoProvider.h"
#include "notify/NSNotificationCenter.h"

#include <arpa/inet.h>
#include <chrono>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace cocos2d;
using NSUI::sniffer;

namespace {

/// This host is 127.0.0.2 on 127.0.0.0/29.
class LoopbackNetwork : public NSUI::NetworkInfoProvider {
public:
    std::string hostName() override { return "thishost"; }
    std::vector<NSUI::NetworkAdapter> adapters() override { return {{"127.0.0.2", "255.255.255.248"}}; }
};

/// A UDP port nobody is bound to right now.
int freePort() {
    int sock = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(sock, reinterpret_cast<sockaddr*>(&addr), sizeof(addr));
    socklen_t len = sizeof(addr);
    getsockname(sock, reinterpret_cast<sockaddr*>(&addr), &len);
    close(sock);
    return ntohs(addr.sin_port);
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

class AppShellDiscovery : public ::testing::Test {
protected:
    void SetUp() override {
        NSUI::NetworkInfoProvider::setCurrent(std::make_shared<LoopbackNetwork>());
        sniffer::setDefaultPort(freePort());
        Director::getInstance()->reset();
        NSUI::NSNotificationCenter::getInstance();
        Director::getInstance()->mainLoop(0.6f); // past the centre's first delay
    }
    void TearDown() override {
        sniffer::shutdownInstance();
        NSUI::NetworkInfoProvider::setCurrent(nullptr);
        sniffer::setDefaultPort(sniffer::kDefaultPort);
        Director::getInstance()->reset();
    }

    /// Starts the singleton and waits until its socket is bound.
    sniffer* startSniffer() {
        sniffer* s = sniffer::getInstance();
        for (int i = 0; i < 200 && s->getBoundPort() == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        EXPECT_NE(0, s->getBoundPort());
        return s;
    }

    /// Sends one datagram as another installation would.
    void sendDatagram(int port, const std::string& json) {
        int sock = socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in dest{};
        dest.sin_family = AF_INET;
        dest.sin_port = htons(static_cast<uint16_t>(port));
        inet_pton(AF_INET, "127.0.0.1", &dest.sin_addr);
        std::string encoded = safeBase64Encode(json);
        sendto(sock, encoded.data(), encoded.size(), 0, reinterpret_cast<sockaddr*>(&dest), sizeof(dest));
        close(sock);
    }

    /// Frames until `count` discoveries arrived or a second passed.
    void pumpUntil(const std::vector<std::string>& seen, size_t count) {
        for (int i = 0; i < 200 && seen.size() < count; ++i) {
            Director::getInstance()->mainLoop(1.0f / 60);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    static std::string message(const std::string& ip, const std::string& command, const std::string& appid,
                               const std::string& msg = "dicom_node_recognize") {
        std::string json;
        NSUI::UIJson::setJsonString(json, "ip", ip);
        NSUI::UIJson::setJsonString(json, "name", "otherhost");
        NSUI::UIJson::setJsonString(json, "command", command);
        NSUI::UIJson::setJsonString(json, "device", "2");
        if (!appid.empty())
            NSUI::UIJson::setJsonString(json, "appid", appid);
        NSUI::UIJson::setJsonString(json, "msg", msg);
        return json;
    }
};

} // namespace

TEST_F(AppShellDiscovery, ShutdownWithoutDiscoverySkipsTheWait) {
    ASSERT_EQ(nullptr, sniffer::peekInstance());
    auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(sniffer::shutdownInstance(2000));
    // Far below the allowed wait, yet loose enough for a loaded or sanitised run.
    EXPECT_LT(secondsSince(start), 0.25);
    EXPECT_EQ(nullptr, sniffer::peekInstance());
}

TEST_F(AppShellDiscovery, ShutdownEndsTheReceiveLoopAndARunningSweepQuickly) {
    sniffer* s = startSniffer();
    ASSERT_TRUE(s->isReceiving());
    s->startPingSweep();
    EXPECT_TRUE(s->isPingSweeping());
    // A second sweep while one runs is refused (the flag stays set, nothing else starts).
    s->startPingSweep();
    EXPECT_TRUE(s->isPingSweeping());

    // The sweep's one-second pause and the quiet socket do not hold the shutdown up.
    auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(sniffer::shutdownInstance(2000));
    EXPECT_LT(secondsSince(start), 0.5);
    EXPECT_EQ(nullptr, sniffer::peekInstance());
}

TEST_F(AppShellDiscovery, AFinishedSweepAllowsTheNext) {
    sniffer* s = startSniffer();
    s->startPingSweep();
    for (int i = 0; i < 400 && s->isPingSweeping(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_FALSE(s->isPingSweeping());
    s->startPingSweep();
    EXPECT_TRUE(s->isPingSweeping());
}

TEST_F(AppShellDiscovery, OtherInstallationsAreReportedAndOwnDatagramsIgnored) {
    std::vector<std::string> seen;
    int target = 0;
    NSUI::NSNotificationCenter::getInstance()->addObserver(
        &target, nullptr,
        [&](Ref* sender, unsigned int, NSUI::NSNotificationData* data) {
            EXPECT_EQ(nullptr, sender);
            seen.push_back(data ? data->text : "");
        },
        sniffer::kDiscoveredId);
    sniffer* s = startSniffer();
    int port = s->getBoundPort();

    // Ignored: this host's own address, and a datagram of another kind.
    sendDatagram(port, message("127.0.0.2", "ping", "self"));
    sendDatagram(port, message("127.0.0.3", "ping", "x", "something_else"));
    // Reported: a ping (answered) and a response without an identifier.
    sendDatagram(port, message("127.0.0.3", "ping", "peer-1"));
    sendDatagram(port, message("127.0.0.4", "response", ""));
    pumpUntil(seen, 2);
    ASSERT_EQ(2u, seen.size());
    EXPECT_EQ("127.0.0.3", NSUI::UIJson::getJsonString(seen[0], "ip"));
    EXPECT_EQ("peer-1", NSUI::UIJson::getJsonString(seen[0], "appid"));
    EXPECT_EQ("otherhost", NSUI::UIJson::getJsonString(seen[0], "name"));
    EXPECT_EQ("2", NSUI::UIJson::getJsonString(seen[0], "device"));
    // A missing identifier is made of the name and the address.
    EXPECT_EQ("otherhost127.0.0.4", NSUI::UIJson::getJsonString(seen[1], "appid"));

    // Texts that are not Base64 JSON change nothing.
    sendDatagram(port, "");
    int raw = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in dest{};
    dest.sin_family = AF_INET;
    dest.sin_port = htons(static_cast<uint16_t>(port));
    inet_pton(AF_INET, "127.0.0.1", &dest.sin_addr);
    std::string garbage(1500, 'A');
    sendto(raw, garbage.data(), garbage.size(), 0, reinterpret_cast<sockaddr*>(&dest), sizeof(dest));
    close(raw);
    pumpUntil(seen, 3);
    EXPECT_EQ(2u, seen.size());
    NSUI::NSNotificationCenter::getInstance()->removeObserver(&target);
}

TEST_F(AppShellDiscovery, SendRefusesTextsThatDoNotFitADatagram) {
    sniffer* s = startSniffer();
    EXPECT_EQ(0, s->sendTo("127.0.0.3", "{\"a\":\"b\"}"));
    EXPECT_EQ(-4, s->sendTo("127.0.0.3", std::string(800, 'x').c_str())); // 1068 Base64 bytes
    EXPECT_EQ(-2, s->sendTo("not an address", "{}"));
}
