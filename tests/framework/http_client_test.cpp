// The HTTP client against a local server: success rules, statuses, methods and bodies, order,
// time-outs, cancelling and downloads.

#include "http/NSHttpClient.h"
#include "http/NSHttpRequest.h"
#include "http/NSHttpResponse.h"

#include "http_test_support.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>

using httptest::pumpFor;
using httptest::Reply;
using httptest::TestHttpServer;
using httptest::waitUntil;
using NSUI::NSHttpClient;
using NSUI::NSHttpRequest;
using NSUI::NSHttpResponse;

namespace {

struct Delivery {
    std::string tag;
    bool success = false;
    int status = 0;
    std::string body;
    std::string error;
    bool onMainThread = false;
};

// Owner of requests that records what reaches it.
struct Sink {
    std::vector<Delivery> deliveries;

    NSHttpRequest* request(int method, const std::string& url, const std::string& tag = "") {
        NSHttpRequest* r = NSHttpRequest::create();
        r->setMethod(method);
        r->setUrl(url);
        r->setTag(tag);
        r->setOwner(this);
        r->setCallback([this](NSHttpClient*, NSHttpResponse* response) {
            Delivery d;
            d.tag = response->getRequest()->getTag();
            d.success = response->isSucceed();
            d.status = response->getResponseCode();
            const auto& body = response->getResponseData();
            d.body.assign(body.begin(), body.end());
            d.error = response->getErrorText();
            d.onMainThread = cocos2d::Director::getInstance()->isMainThread();
            deliveries.push_back(d);
        });
        return r;
    }
    void send(int method, const std::string& url, const std::string& tag = "") {
        NSHttpClient::getInstance()->send(request(method, url, tag));
    }
    bool waitFor(size_t count) {
        return waitUntil([&] { return deliveries.size() >= count; });
    }
};

class HttpClientTest : public ::testing::Test {
protected:
    void SetUp() override {
        cocos2d::Director::getInstance();
        ASSERT_NE(server.port(), 0);
    }
    TestHttpServer server;
};

TEST_F(HttpClientTest, StatusDecidesSuccessAndIsKeptWithTheBody) {
    Sink sink;
    server.script(Reply(204, ""));
    server.script(Reply(299, "edge"));
    server.script(Reply(404, "<html>missing</html>"));
    server.script(Reply(300));

    sink.send(NSHttpRequest::kMethodGet, server.url("/a"), "204");
    sink.send(NSHttpRequest::kMethodGet, server.url("/b"), "299");
    sink.send(NSHttpRequest::kMethodGet, server.url("/c"), "404");
    sink.send(NSHttpRequest::kMethodGet, server.url("/d"), "300");
    ASSERT_TRUE(sink.waitFor(4));

    const auto& d = sink.deliveries;
    EXPECT_EQ(d[0].tag, "204");
    EXPECT_TRUE(d[0].success);
    EXPECT_EQ(d[0].status, 204);
    EXPECT_TRUE(d[0].body.empty());
    EXPECT_TRUE(d[0].onMainThread);

    EXPECT_TRUE(d[1].success);
    EXPECT_EQ(d[1].body, "edge");

    EXPECT_FALSE(d[2].success);
    EXPECT_EQ(d[2].status, 404);
    EXPECT_EQ(d[2].body, "<html>missing</html>");

    EXPECT_FALSE(d[3].success);
    EXPECT_EQ(d[3].status, 300);
}

TEST_F(HttpClientTest, NoStatusWhenNothingAnswers) {
    Sink sink;
    server.script(Reply::dropped());
    sink.send(NSHttpRequest::kMethodGet,
              "http://127.0.0.1:" + std::to_string(TestHttpServer::closedPort()) + "/x", "refused");
    sink.send(NSHttpRequest::kMethodPost, server.url("/drop"), "dropped");
    ASSERT_TRUE(sink.waitFor(2));
    for (const auto& d : sink.deliveries) {
        SCOPED_TRACE(d.tag);
        EXPECT_FALSE(d.success);
        EXPECT_EQ(d.status, -1);
        EXPECT_FALSE(d.error.empty());
    }
}

TEST_F(HttpClientTest, TransfersAndDeliveriesKeepSendOrder) {
    Sink sink;
    // The first reply is slow, so a client that ran transfers side by side would finish the
    // others first.
    server.script(Reply::delayed(200));
    for (int i = 0; i < 4; ++i)
        sink.send(NSHttpRequest::kMethodGet, server.url("/" + std::to_string(i)), std::to_string(i));
    ASSERT_TRUE(sink.waitFor(4));
    auto requests = server.requests();
    ASSERT_EQ(requests.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(requests[i].path, "/" + std::to_string(i));
        EXPECT_EQ(sink.deliveries[i].tag, std::to_string(i));
    }
}

TEST_F(HttpClientTest, MethodsSendTheirBodiesAndHeaderLines) {
    Sink sink;
    NSHttpClient* client = NSHttpClient::getInstance();
    NSHttpRequest* post = sink.request(NSHttpRequest::kMethodPost, server.url("/post"));
    std::string binary("a\0b\r\n\xff", 6);
    post->setBody(binary);
    post->addHeader("X-One: 1");
    post->addHeader("Content-Type: text/plain");
    client->send(post);
    client->send(sink.request(NSHttpRequest::kMethodPost, server.url("/empty")));
    NSHttpRequest* put = sink.request(NSHttpRequest::kMethodPut, server.url("/put"));
    put->setBody("{\"k\":\"v\"}");
    client->send(put);
    NSHttpRequest* del = sink.request(NSHttpRequest::kMethodDelete, server.url("/del"));
    del->setBody("not sent");
    client->send(del);
    NSHttpRequest* get = sink.request(NSHttpRequest::kMethodGet, server.url("/get?q=1"));
    get->setBody("not sent");
    client->send(get);
    ASSERT_TRUE(sink.waitFor(5));

    auto r = server.requests();
    ASSERT_EQ(r.size(), 5u);
    EXPECT_EQ(r[0].method, "POST");
    EXPECT_EQ(r[0].body, binary);
    EXPECT_EQ(r[0].header("x-one"), "1");
    EXPECT_EQ(r[0].header("content-type"), "text/plain");

    EXPECT_EQ(r[1].method, "POST");
    EXPECT_EQ(r[1].header("content-length"), "0");
    EXPECT_EQ(r[1].body, "");

    EXPECT_EQ(r[2].method, "PUT");
    EXPECT_EQ(r[2].body, "{\"k\":\"v\"}");

    EXPECT_EQ(r[3].method, "DELETE");
    EXPECT_EQ(r[3].body, "");
    EXPECT_EQ(r[4].method, "GET");
    EXPECT_EQ(r[4].path, "/get?q=1");
    EXPECT_EQ(r[4].body, "");
    for (const auto& d : sink.deliveries)
        EXPECT_TRUE(d.success);
}

TEST_F(HttpClientTest, RedirectsFollowedOnlyByGetPostAndDelete) {
    Sink sink;
    Reply moved = Reply(302);
    moved.headers = {"Location: /target"};
    server.script(moved);   // GET /from
    server.script(Reply()); // GET /target
    server.script(moved);   // PUT /from, not followed
    sink.send(NSHttpRequest::kMethodGet, server.url("/from"), "get");
    sink.send(NSHttpRequest::kMethodPut, server.url("/from"), "put");
    ASSERT_TRUE(sink.waitFor(2));
    EXPECT_TRUE(sink.deliveries[0].success);
    EXPECT_EQ(sink.deliveries[0].status, 200);
    EXPECT_FALSE(sink.deliveries[1].success);
    EXPECT_EQ(sink.deliveries[1].status, 302);
    auto r = server.requests();
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[1].path, "/target");
    EXPECT_EQ(r[2].method, "PUT");
}

TEST_F(HttpClientTest, TotalTimeOutCutsOffSlowTransfer) {
    Sink sink;
    NSHttpClient::getInstance()->setTimeoutForRead(1);
    server.script(Reply::delayed(4000));
    auto start = std::chrono::steady_clock::now();
    sink.send(NSHttpRequest::kMethodGet, server.url("/slow"));
    ASSERT_TRUE(sink.waitFor(1));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    EXPECT_FALSE(sink.deliveries[0].success);
    EXPECT_EQ(sink.deliveries[0].status, -1);
    NSHttpClient::getInstance()->setTimeoutForRead(60);
}

TEST_F(HttpClientTest, CancelledOwnerGetsNoCallbackWhereverItsRequestsAre) {
    Sink cancelled, other;
    NSHttpClient* client = NSHttpClient::getInstance();

    // One reply already waiting for dispatch when the cancel comes: no frame runs until then.
    cancelled.send(NSHttpRequest::kMethodGet, server.url("/waiting"));
    ASSERT_TRUE(waitUntil(
        [] { return cocos2d::Director::getInstance()->getScheduler()->getPendingFunctionCount() > 0; },
        false));

    server.script(Reply::held());
    cancelled.send(NSHttpRequest::kMethodGet, server.url("/in-transfer"));
    cancelled.send(NSHttpRequest::kMethodGet, server.url("/queued"));
    other.send(NSHttpRequest::kMethodGet, server.url("/other"), "other");
    ASSERT_TRUE(waitUntil([&] { return server.requestCount() == 2; }, false));

    int stranger = 0;
    client->cancelRequestsForOwner(&stranger);
    client->cancelRequestsForOwner(nullptr);
    client->cancelRequestsForOwner(&cancelled);
    server.release();
    ASSERT_TRUE(other.waitFor(1));
    pumpFor(100);

    EXPECT_TRUE(cancelled.deliveries.empty());
    EXPECT_EQ(other.deliveries[0].tag, "other");
    auto r = server.requests();
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[1].path, "/in-transfer"); // ran to its end
    EXPECT_EQ(r[2].path, "/other");       // the queued one was withdrawn
}

class HttpDownloadTest : public HttpClientTest {
protected:
    NSHttpRequest* download(Sink& sink, const std::string& path, const std::string& file) {
        NSHttpRequest* r = sink.request(NSHttpRequest::kMethodDownload, server.url(path));
        r->setBody("{}");
        r->setLocalFile(file);
        return r;
    }
    qptest::TempDir dir;
};

TEST_F(HttpDownloadTest, SuccessReplacesFileFailureKeepsPreviousCopy) {
    Sink sink;
    std::string file = dir.file("data.bin");
    ASSERT_TRUE(qptest::writeFile(file, "previous good copy"));
    server.script(Reply(404, "error page"));
    server.script(Reply::dropped());
    std::string contents(100000, 'x');
    server.script(Reply(200, contents));

    NSHttpClient* client = NSHttpClient::getInstance();
    client->send(download(sink, "/404", file));
    client->send(download(sink, "/drop", file));
    ASSERT_TRUE(sink.waitFor(2));
    EXPECT_FALSE(sink.deliveries[0].success);
    EXPECT_FALSE(sink.deliveries[1].success);
    EXPECT_EQ(qptest::readFile(file), "previous good copy");

    client->send(download(sink, "/good", file));
    ASSERT_TRUE(sink.waitFor(3));
    EXPECT_TRUE(sink.deliveries[2].success);
    EXPECT_TRUE(sink.deliveries[2].body.empty());
    EXPECT_EQ(qptest::readFile(file), contents);
    EXPECT_EQ(server.requests()[2].body, "{}");
    struct stat st;
    EXPECT_NE(::stat((file + ".part").c_str(), &st), 0) << "temporary file left behind";
}

TEST_F(HttpDownloadTest, ShortWriteIsAFailure) {
    Sink sink;
    std::string file = dir.file("big.bin");
    ASSERT_TRUE(qptest::writeFile(file, "previous good copy"));
    server.script(Reply(200, std::string(200000, 'x')));
    // A file-size limit makes the writes come up short, as a full disk would.
    rlimit saved;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 4096;
    auto previousHandler = ::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    NSHttpClient::getInstance()->send(download(sink, "/big", file));
    bool delivered = sink.waitFor(1);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, previousHandler);
    ASSERT_TRUE(delivered);
    EXPECT_FALSE(sink.deliveries[0].success);
    EXPECT_EQ(qptest::readFile(file), "previous good copy");
}

TEST_F(HttpDownloadTest, DownloadsStopAtTheSizeLimitAndLeaveNoFile) {
    NSHttpClient* client = NSHttpClient::getInstance();
    const long long limit = client->getMaxDownloadBytes();
    EXPECT_EQ(limit, 1LL << 30);
    client->setMaxDownloadBytes(64);
    Sink sink;
    std::string file = dir.file("package.bin");
    ASSERT_TRUE(qptest::writeFile(file, "previous good copy"));
    server.script(Reply(200, std::string(65, 'x'))); // states a length past the limit
    server.script(Reply::endless(1));                // states none and never ends
    server.script(Reply(200, std::string(64, 'y')));
    client->send(download(sink, "/stated", file));
    client->send(download(sink, "/endless", file));
    client->send(download(sink, "/fits", file));
    bool delivered = sink.waitFor(3);
    client->setMaxDownloadBytes(limit);
    ASSERT_TRUE(delivered);
    for (int i = 0; i < 2; ++i) {
        EXPECT_FALSE(sink.deliveries[i].success) << i;
        EXPECT_EQ(sink.deliveries[i].error, "the download is larger than 64 bytes and was stopped") << i;
    }
    EXPECT_TRUE(sink.deliveries[2].success);
    EXPECT_EQ(qptest::readFile(file), std::string(64, 'y'));
    struct stat st;
    EXPECT_NE(::stat((file + ".part").c_str(), &st), 0) << "temporary file left behind";
}

TEST_F(HttpDownloadTest, CancelledDownloadInTransferIsStillWritten) {
    Sink sink;
    std::string file = dir.file("late.bin");
    server.script(Reply::held("late contents"));
    NSHttpClient::getInstance()->send(download(sink, "/late", file));
    ASSERT_TRUE(waitUntil([&] { return server.requestCount() == 1; }));
    NSHttpClient::getInstance()->cancelRequestsForOwner(&sink);
    server.release();
    ASSERT_TRUE(waitUntil([&] { return qptest::readFile(file) == "late contents"; }));
    pumpFor(50);
    EXPECT_TRUE(sink.deliveries.empty());
}

TEST(HttpClientLifecycle, DestroyingCutsTransferShortAndDropsReplies) {
    TestHttpServer server;
    Sink sink;
    server.script(Reply::held());
    sink.send(NSHttpRequest::kMethodGet, server.url("/held"));
    sink.send(NSHttpRequest::kMethodGet, server.url("/queued"));
    ASSERT_TRUE(waitUntil([&] { return server.requestCount() == 1; }));
    auto start = std::chrono::steady_clock::now();
    NSHttpClient::destroyInstance();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    server.release();
    pumpFor(50);
    EXPECT_TRUE(sink.deliveries.empty());
    EXPECT_EQ(server.requestCount(), 1u);

    // A new client works as the first one did.
    sink.send(NSHttpRequest::kMethodGet, server.url("/again"));
    ASSERT_TRUE(sink.waitFor(1));
    EXPECT_TRUE(sink.deliveries[0].success);
}

} // namespace
