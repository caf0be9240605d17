// LAN discovery between installations on loopback addresses: this host is 127.0.0.3 of
// 127.0.0.0/29 and a peer socket plays the installation at 127.0.0.2. Runs inside the
// loopback-only namespace.

#include <gtest/gtest.h>

#include "cocos2d.h"
#include "discovery/sniffer.h"
#include "json/UIJson.h"
#include "lang/UILocalConfig.h"
#include "net/NetworkInfoProvider.h"
#include "notify/NSNotificationCenter.h"
#include "support/TestSupport.h"

#include <arpa/inet.h>
#include <chrono>
#include <map>
#include <memory>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace cocos2d;
using NSUI::sniffer;
using NSUI::UIJson;

namespace {

const char* const kThisHost = "127.0.0.3";
const char* const kPeer = "127.0.0.2";

class LoopbackNetwork : public NSUI::NetworkInfoProvider {
public:
    std::string hostName() override { return "thishost"; }
    std::vector<NSUI::NetworkAdapter> adapters() override { return {{kThisHost, "255.255.255.248"}}; }
};

std::string g_logined = "0";
void readLoginState(std::string& logined, std::string& userId) {
    logined = g_logined;
    userId = "42";
}

/// A UDP socket bound to one loopback address, as another installation's would be.
class Endpoint {
public:
    Endpoint(const std::string& address, int port) {
        _sock = socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in addr = make(address, port);
        _bound = bind(_sock, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0;
        socklen_t len = sizeof(addr);
        getsockname(_sock, reinterpret_cast<sockaddr*>(&addr), &len);
        _port = ntohs(addr.sin_port);
    }
    ~Endpoint() { close(_sock); }
    bool bound() const { return _bound; }
    int port() const { return _port; }

    void sendRaw(const std::string& bytes, int port, const std::string& to = kThisHost) {
        sockaddr_in dest = make(to, port);
        sendto(_sock, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&dest), sizeof(dest));
    }
    void send(const std::string& json, int port) { sendRaw(safeBase64Encode(json), port); }

    /// The decoded texts already waiting; loopback delivers a datagram before sendto returns.
    std::vector<std::string> drain() {
        std::vector<std::string> texts;
        char buffer[2048];
        ssize_t got;
        while ((got = recv(_sock, buffer, sizeof(buffer), MSG_DONTWAIT)) > 0)
            texts.push_back(safeBase64DecodeString(buffer, static_cast<unsigned>(got)));
        return texts;
    }

private:
    static sockaddr_in make(const std::string& address, int port) {
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(static_cast<uint16_t>(port));
        inet_pton(AF_INET, address.c_str(), &addr.sin_addr);
        return addr;
    }
    int _sock = -1;
    int _port = 0;
    bool _bound = false;
};

std::string message(const std::string& ip, const std::string& command, const std::string& appid,
                    const std::string& name = "otherhost", const std::string& msg = "dicom_node_recognize") {
    std::string json;
    UIJson::setJsonString(json, "ip", ip);
    UIJson::setJsonString(json, "name", name);
    UIJson::setJsonString(json, "command", command);
    UIJson::setJsonString(json, "device", "2");
    if (!appid.empty())
        UIJson::setJsonString(json, "appid", appid);
    UIJson::setJsonString(json, "msg", msg);
    return json;
}

class StoreDiscovery : public ::testing::Test {
protected:
    void SetUp() override {
        UserDefault::destroyInstance();
        FileUtils::getInstance()->setWritablePath(_dir.path());
        NSUI::UILocalConfig::storeStringForKey("app_identifier", "this-id");
        NSUI::NetworkInfoProvider::setCurrent(std::make_shared<LoopbackNetwork>());
        g_logined = "0";
        sniffer::setLoginStateReader(readLoginState);
        // The port is one the system found free on the peer's address.
        _peer = std::make_unique<Endpoint>(kPeer, 0);
        sniffer::setDefaultPort(_peer->port());
        sniffer::setDefaultBindAddress(kThisHost);
        Director::getInstance()->reset();
        NSUI::NSNotificationCenter::getInstance()->addObserver(
            this, nullptr, [this](Ref*, unsigned, NSUI::NSNotificationData* data) { _seen.push_back(data->text); },
            sniffer::kDiscoveredId);
        Director::getInstance()->mainLoop(0.6f); // past the centre's first delay

        _sniffer = sniffer::getInstance();
        while (_sniffer->getBoundPort() == 0 && _sniffer->isReceiving())
            std::this_thread::yield();
        ASSERT_EQ(_peer->port(), _sniffer->getBoundPort());
    }
    void TearDown() override {
        NSUI::NSNotificationCenter::getInstance()->removeObserver(this);
        sniffer::shutdownInstance();
        sniffer::setLoginStateReader(nullptr);
        sniffer::setDefaultBindAddress("");
        sniffer::setDefaultPort(sniffer::kDefaultPort);
        NSUI::NetworkInfoProvider::setCurrent(nullptr);
        Director::getInstance()->reset();
        UserDefault::destroyInstance();
        FileUtils::getInstance()->setWritablePath("");
    }

    /// Runs frames until `count` reports arrived (the receive thread posts them).
    void waitForReports(size_t count) {
        for (int i = 0; i < 4000 && _seen.size() < count; ++i) {
            Director::getInstance()->mainLoop(1.0f / 60);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        ASSERT_GE(_seen.size(), count);
    }

    int port() const { return _peer->port(); }

    qptest::TempDir _dir;
    std::unique_ptr<Endpoint> _peer;
    sniffer* _sniffer = nullptr;
    std::vector<std::string> _seen;
};

} // namespace

TEST_F(StoreDiscovery, PingIsAnsweredTwiceAtItsSourceAndReported) {
    // The text claims another host: the answer and the report still name the datagram's source.
    _peer->send(message("127.0.0.5", "ping", "peer-1"), port());
    waitForReports(1);
    // The report is posted after the answer was sent, so both copies are waiting now.
    std::vector<std::string> answers = _peer->drain();
    ASSERT_EQ(2u, answers.size());
    EXPECT_EQ(answers[0], answers[1]);
    EXPECT_EQ("{\"ip\":\"127.0.0.3\",\"name\":\"thishost\",\"command\":\"response\",\"device\":\"2\","
              "\"appid\":\"this-id\",\"msg\":\"dicom_node_recognize\"}",
              answers[0]);
    ASSERT_EQ(1u, _seen.size());
    EXPECT_EQ("{\"ip\":\"127.0.0.2\",\"name\":\"otherhost\",\"device\":\"2\",\"appid\":\"peer-1\"}", _seen[0]);

    // A signed-in user is named in the answer.
    g_logined = "1";
    _peer->send(message("127.0.0.5", "ping", "peer-1"), port());
    waitForReports(2);
    answers = _peer->drain();
    ASSERT_EQ(2u, answers.size());
    EXPECT_EQ("42", UIJson::getJsonString(answers[0], "userid"));
}

TEST_F(StoreDiscovery, ResponsesAreReportedWithoutAnswer) {
    // No identifier: the name and the address stand for it. A quote in the name stays part of
    // the name and cannot smuggle an identifier in.
    _peer->send(message(kPeer, "response", ""), port());
    _peer->send(message(kPeer, "response", "", "x\",\"appid\":\"evil"), port());
    waitForReports(2);
    EXPECT_EQ("otherhost127.0.0.2", UIJson::getJsonString(_seen[0], "appid"));
    EXPECT_EQ("x\",\"appid\":\"evil", UIJson::getJsonString(_seen[1], "name"));
    EXPECT_EQ("x\",\"appid\":\"evil127.0.0.2", UIJson::getJsonString(_seen[1], "appid"));
    EXPECT_TRUE(_peer->drain().empty());
}

TEST_F(StoreDiscovery, ForeignOwnAndMalformedDatagramsAreIgnored) {
    _peer->send(message(kThisHost, "ping", "self"), port());
    _peer->send(message("127.0.0.4", "ping", "x", "otherhost", "something_else"), port());
    _peer->send(message("127.0.0.4", "ping", "x").substr(1), port()); // not one whole object
    _peer->sendRaw("not Base64 at all!", port());
    // A datagram longer than the buffer arrives cut; its first 1024 bytes alone would decode
    // to a record with every key a report needs.
    std::string longOne = message("127.0.0.4", "ping", "long");
    longOne.insert(longOne.size() - 1, ",\"pad\":\"" + std::string(1200, 'p') + "\"");
    _peer->send(longOne, port());
    // Exactly the buffer's size leaves no room for the terminator either.
    std::string fills = message("127.0.0.4", "ping", "fills");
    fills.insert(fills.size() - 1, ",\"pad\":\"" + std::string(768 - fills.size() - 9, 'p') + "\"");
    ASSERT_EQ(1024u, safeBase64Encode(fills).size());
    _peer->send(fills, port());

    // Datagrams are handled in order: when this one is reported, the others were dropped.
    _peer->send(message("127.0.0.4", "response", "last"), port());
    waitForReports(1);
    ASSERT_EQ(1u, _seen.size());
    EXPECT_EQ("last", UIJson::getJsonString(_seen[0], "appid"));
    EXPECT_TRUE(_peer->drain().empty());
}

TEST_F(StoreDiscovery, SendRefusesTextsThatDoNotFitADatagram) {
    EXPECT_EQ(0, _sniffer->sendTo(kPeer, "{\"a\":\"b\"}"));
    EXPECT_EQ(-4, _sniffer->sendTo(kPeer, std::string(800, 'x').c_str())); // 1068 Base64 bytes
    EXPECT_EQ(-2, _sniffer->sendTo("not an address", "{}"));
    EXPECT_EQ(2u, _peer->drain().size());
}

TEST_F(StoreDiscovery, SweepPingsEveryOtherHostOfTheSubnetOnce) {
    std::map<std::string, std::unique_ptr<Endpoint>> hosts;
    for (int last = 0; last <= 7; ++last) {
        std::string address = "127.0.0." + std::to_string(last);
        if (address != kThisHost && address != kPeer)
            hosts[address] = std::make_unique<Endpoint>(address, port());
    }
    _sniffer->startPingSweep();
    _sniffer->startPingSweep(); // refused while the first runs
    while (_sniffer->isPingSweeping())
        std::this_thread::sleep_for(std::chrono::milliseconds(5));

    std::vector<std::string> pings = _peer->drain();
    ASSERT_EQ(2u, pings.size());
    EXPECT_EQ("ping", UIJson::getJsonString(pings[0], "command"));
    EXPECT_EQ(kThisHost, UIJson::getJsonString(pings[0], "ip"));
    for (auto& host : hosts) {
        const std::string& address = host.first;
        bool isHost = address != "127.0.0.0" && address != "127.0.0.7";
        if (host.second->bound()) {
            EXPECT_EQ(isHost ? 2u : 0u, host.second->drain().size()) << address;
        }
    }
}
