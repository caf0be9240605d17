// LAN discovery in the running application: the stop handshake at shutdown, the sign-in state
// its datagrams carry, and two programs on one machine finding each other. Runs inside the
// loopback-only namespace.

#include <gtest/gtest.h>

#include "cocos2d.h"
#include "db/NSDBUtil.h"
#include "discovery/sniffer.h"
#include "lang/UILocalConfig.h"
#include "login/login.h"
#include "net/NetworkInfoProvider.h"
#include "notify/NSNotificationCenter.h"
#include "support/TestSupport.h"

#include <arpa/inet.h>
#include <chrono>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
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
    addr.sin_addr.s_addr = htonl(INADDR_ANY);
    bind(sock, reinterpret_cast<sockaddr*>(&addr), sizeof(addr));
    socklen_t len = sizeof(addr);
    getsockname(sock, reinterpret_cast<sockaddr*>(&addr), &len);
    close(sock);
    return ntohs(addr.sin_port);
}

/// The addresses of the other installations a store lists as send targets.
std::vector<std::string> listedInstallations(const std::string& storeFile) {
    std::vector<std::string> ips;
    NSUI::NSDBUtil db;
    NSUI::NSDBDataModel rows;
    // The program creates the file; until then there is nothing to read.
    if (::access(storeFile.c_str(), R_OK) == 0 && db.openDB(storeFile.c_str()) &&
        db.getRecord("select ip from neighbor where device=2", &rows)) {
        for (int row = 0; row < rows.getRowCount(); ++row)
            ips.push_back(rows.getValue(row, 0));
    }
    return ips;
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

// Discovery datagrams name the signed-in user from the account's settings.
TEST(LoginState, ReadsTheSignInSettingsWithDefaults) {
    qptest::TempDir dir;
    UserDefault::destroyInstance();
    FileUtils::getInstance()->setWritablePath(dir.path());
    std::string logined, userId;
    login::getLoginState(logined, userId);
    EXPECT_EQ("0", logined);
    EXPECT_EQ("0", userId);
    NSUI::UILocalConfig::storeStringForKey("app_logined", "1");
    NSUI::UILocalConfig::storeStringForKey("app_login_id", "1234");
    login::getLoginState(logined, userId);
    EXPECT_EQ("1", logined);
    EXPECT_EQ("1234", userId);
    UserDefault::destroyInstance();
    FileUtils::getInstance()->setWritablePath("");
}

// Two installations on one machine, each on a loopback address of its own, find each other at
// launch and list each other as send targets.
TEST(WorkstationPrograms, TwoInstallationsOnOneNetworkListEachOther) {
    const std::string program = qptest::workstationProgram();
    if (program.empty())
        GTEST_SKIP() << "the program is not built or there is no display (run the tests through scripts/run-isolated)";
    qptest::TempDir dir;
    const std::string addresses[] = {"127.0.0.2", "127.0.0.3"};
    // A port of their own: other tests may run the program on the usual one meanwhile.
    const std::string port = std::to_string(freePort());
    pid_t pids[2] = {0, 0};
    for (int i = 0; i < 2; ++i) {
        const std::string home = dir.file(addresses[i]);
        ASSERT_EQ(0, mkdir(home.c_str(), 0700));
        pids[i] = qptest::startProgram(program,
                                       {"HOME=" + home, "QP_WRITABLE_PATH=" + home,
                                        "QP_LOCAL_NETWORK=" + addresses[i] + "/255.255.255.248",
                                        "QP_DISCOVERY_PORT=" + port},
                                       home + ".log");
        ASSERT_NE(0, pids[i]);
    }
    for (int i = 0; i < 2; ++i) {
        const std::string store = dir.file(addresses[i] + "/qp/dicom/dicomDB");
        std::vector<std::string> listed;
        // Discovery sweeps every 5 s; a minute covers a slow start under a sanitiser.
        for (int wait = 0; wait < 600 && listed.empty(); ++wait) {
            listed = listedInstallations(store);
            if (listed.empty())
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        EXPECT_EQ(std::vector<std::string>{addresses[1 - i]}, listed)
            << qptest::readFile(dir.file(addresses[i] + ".log"));
    }
    for (pid_t pid : pids) {
        int status = 0;
        EXPECT_TRUE(qptest::stopProgram(pid, status));
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
}
