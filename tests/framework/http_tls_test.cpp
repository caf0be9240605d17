// TLS peers are verified by default against the system's bundle or a configured one, and
// verification can be turned off; checked against openssl's test server with a self-signed
// certificate on 127.0.0.1.

#include "http/NSHttpClient.h"
#include "http/NSHttpRequest.h"
#include "http/NSHttpResponse.h"

#include "http_test_support.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

using httptest::TestHttpServer;
using httptest::waitUntil;
using NSUI::NSHttpClient;
using NSUI::NSHttpRequest;
using NSUI::NSHttpResponse;

namespace {

bool canConnect(int port) {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<uint16_t>(port));
    bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0;
    ::close(fd);
    return ok;
}

class HttpTlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string make = "openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=127.0.0.1"
                           " -addext subjectAltName=IP:127.0.0.1 -keyout " +
                           dir.file("key.pem") + " -out " + dir.file("cert.pem") + " >/dev/null 2>&1";
        if (std::system(make.c_str()) != 0)
            GTEST_SKIP() << "no openssl command to make a certificate";
        port = TestHttpServer::closedPort();
        std::string accept = "127.0.0.1:" + std::to_string(port);
        std::string cert = dir.file("cert.pem"), key = dir.file("key.pem");
        const char* argv[] = {"openssl", "s_server",   "-quiet", "-www",      "-accept", accept.c_str(),
                              "-cert",   cert.c_str(), "-key",   key.c_str(), nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        int spawned = posix_spawnp(&server, "openssl", &actions, nullptr, const_cast<char**>(argv), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0)
            GTEST_SKIP() << "cannot start openssl s_server";
        ASSERT_TRUE(waitUntil([&] { return canConnect(port); }, false));
    }
    void TearDown() override {
        if (server > 0) {
            ::kill(server, SIGTERM);
            ::waitpid(server, nullptr, 0);
        }
    }

    // Status of one GET to the TLS server; -1 when the transfer failed.
    int fetch() {
        int status = 0;
        NSHttpRequest* request = NSHttpRequest::create();
        request->setMethod(NSHttpRequest::kMethodGet);
        request->setUrl("https://127.0.0.1:" + std::to_string(port) + "/");
        request->setOwner(this);
        request->setCallback([&status](NSHttpClient*, NSHttpResponse* response) {
            status = response->isSucceed() ? response->getResponseCode() : -1;
        });
        NSHttpClient::getInstance()->send(request);
        EXPECT_TRUE(waitUntil([&] { return status != 0; }));
        return status;
    }

    qptest::TempDir dir;
    pid_t server = 0;
    int port = 0;
};

TEST_F(HttpTlsTest, SelfSignedPeerRefusedUnlessTrustedOrVerificationOff) {
    NSHttpClient* client = NSHttpClient::getInstance();
    EXPECT_EQ(fetch(), -1) << "an unknown certificate was accepted";

    client->setCAFilePath(dir.file("cert.pem"));
    EXPECT_EQ(fetch(), 200);

    client->setCAFilePath("");
    client->setVerifyPeers(false);
    EXPECT_EQ(fetch(), 200);
    client->setVerifyPeers(true);
}

} // namespace
