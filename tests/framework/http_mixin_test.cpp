// The request mixin against a local server: replies by tag, header lines, credentials,
// uploads, downloads into folders, and owners that are unset or gone.

#include "http/NSHttpClient.h"
#include "http/ParentPath.h"
#include "http/UIHttpPhisical.h"
#include "json/UIJson.h"

#include "http_test_support.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <memory>

using httptest::pumpFor;
using httptest::Reply;
using httptest::TestHttpServer;
using httptest::waitUntil;
using NSUI::UIHttpPhisical;
using NSUI::UIHttpResponse;
using NSUI::UIJson;

namespace {

struct Received {
    std::string tag;
    bool success;
    int status;
    std::string body;
};

// A class using the mixin as the program's screens and services do.
class Client : public UIHttpPhisical {
public:
    explicit Client(bool own = true) {
        if (own)
            setHttpOwner(this);
    }
    void onHttpResponse(UIHttpResponse* r) override {
        replies.push_back({r->tag, r->success, r->status, r->body});
    }
    bool waitFor(size_t count) {
        return waitUntil([&] { return replies.size() >= count; });
    }
    std::vector<Received> replies;
};

bool isDirectory(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

class HttpMixinTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(server.port(), 0); }
    TestHttpServer server;
    qptest::TempDir dir;
};

TEST_F(HttpMixinTest, RepliesCarryTagsAndBodiesUnchanged) {
    Client client;
    server.script(Reply(200, "eyJTdGF0dXMiOiIwIn0="));
    server.script(Reply(404, "not here"));
    client.post(server.url("/lg/lg.php"), "eyJhIjoiYiJ9", "login", "", "");
    client.get(server.url("/page"), "", "");
    client.put(server.url("/put"), "p", "put");
    client.del(server.url("/del"), "", "del");
    client.get("http://127.0.0.1:" + std::to_string(TestHttpServer::closedPort()) + "/", "", "refused");
    ASSERT_TRUE(client.waitFor(5));

    const auto& r = client.replies;
    EXPECT_EQ(r[0].tag, "login");
    EXPECT_TRUE(r[0].success);
    EXPECT_EQ(r[0].status, 200);
    EXPECT_EQ(r[0].body, "eyJTdGF0dXMiOiIwIn0=");
    EXPECT_EQ(r[1].tag, "");
    EXPECT_FALSE(r[1].success);
    EXPECT_EQ(r[1].status, 404);
    EXPECT_EQ(r[1].body, "not here");
    EXPECT_EQ(r[2].tag, "put");
    EXPECT_EQ(r[3].tag, "del");
    // A failure without a body carries the transfer's error text instead.
    EXPECT_EQ(r[4].tag, "refused");
    EXPECT_EQ(r[4].status, -1);
    EXPECT_FALSE(r[4].body.empty());

    auto sent = server.requests();
    ASSERT_EQ(sent.size(), 4u);
    EXPECT_EQ(sent[0].body, "eyJhIjoiYiJ9");
    EXPECT_EQ(sent[2].method, "PUT");
    EXPECT_EQ(sent[2].body, "p");
    EXPECT_EQ(sent[3].method, "DELETE");
}

TEST_F(HttpMixinTest, HeaderLinesAsSent) {
    Client client;
    client.post(server.url("/plain"), "{}", "plain");
    client.post(server.url("/one"), "{}", "one", "a");
    client.post(server.url("/two"), "{}", "two", "ab", "X-Custom: yes");
    client.get(server.url("/three"), "", "three", "user:pw");
    ASSERT_TRUE(client.waitFor(4));
    auto sent = server.requests();
    ASSERT_EQ(sent.size(), 4u);

    EXPECT_EQ(sent[0].header("content-type"), "application/json; charset=utf-8");
    EXPECT_EQ(sent[0].header("authorization"), "");

    EXPECT_EQ(sent[1].header("authorization"), "Basic YQ==");
    EXPECT_EQ(sent[1].header("content-type"), "application/json; charset=utf-8");

    // The caller's own header line replaces the JSON content type.
    EXPECT_EQ(sent[2].header("authorization"), "Basic YWI=");
    EXPECT_EQ(sent[2].header("x-custom"), "yes");
    EXPECT_NE(sent[2].header("content-type"), "application/json; charset=utf-8");

    EXPECT_EQ(sent[3].header("authorization"), "Basic dXNlcjpwdw==");
}

TEST_F(HttpMixinTest, UploadSendsFileAndInfoParts) {
    Client client;
    std::string file = dir.file("shot.jpg");
    std::string contents("\xff\xd8\xff\xe0 jpeg \0 bytes", 17);
    ASSERT_TRUE(qptest::writeFile(file, contents));
    client.upload("file", "{\"user\":\"7\"}", file, "image/jpeg", "up", server.url("/st/up.php"));
    client.upload("file", "info", dir.file("missing.jpg"), "image/jpeg", "gone", server.url("/st/up.php"));
    ASSERT_TRUE(client.waitFor(2));

    EXPECT_TRUE(client.replies[0].success);
    EXPECT_EQ(client.replies[0].tag, "up");
    // A file that cannot be read fails without sending anything.
    EXPECT_FALSE(client.replies[1].success);
    EXPECT_EQ(client.replies[1].status, -1);

    auto sent = server.requests();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].method, "POST");
    EXPECT_EQ(sent[0].header("content-type").rfind("multipart/form-data; boundary=", 0), 0u);
    const std::string& body = sent[0].body;
    size_t filePart = body.find("name=\"file\"; filename=\"shot.jpg\"");
    size_t infoPart = body.find("name=\"uploadInfo\"");
    ASSERT_NE(filePart, std::string::npos);
    ASSERT_NE(infoPart, std::string::npos);
    EXPECT_LT(filePart, infoPart);
    EXPECT_NE(body.find("Content-Type: image/jpeg"), std::string::npos);
    EXPECT_NE(body.find(contents), std::string::npos);
    EXPECT_NE(body.find("{\"user\":\"7\"}"), std::string::npos);
}

TEST_F(HttpMixinTest, DownloadReportsFileOnlyForStatus200) {
    Client client;
    server.script(Reply(200, "0123456789"));
    server.script(Reply(206, "01234"));
    std::string target = dir.file("a/b/c.png");
    client.download(server.url("/app.zip"), "{\"v\":\"1\"}", target, "updateApp");
    client.download(server.url("/app.zip"), "", dir.file("partial.bin"), "partial");
    ASSERT_TRUE(client.waitFor(2));

    const auto& r = client.replies;
    EXPECT_TRUE(r[0].success);
    EXPECT_EQ(r[0].tag, "updateApp");
    EXPECT_EQ(r[0].body, "{\"localFile\":\"" + target + "\",\"fileSize\":\"10\"}");
    EXPECT_EQ(UIJson::getJsonString(r[0].body, "localFile"), target);
    EXPECT_EQ(qptest::readFile(target), "0123456789");
    EXPECT_TRUE(isDirectory(dir.file("a/b")));
    EXPECT_EQ(server.requests()[0].method, "POST");
    EXPECT_EQ(server.requests()[0].body, "{\"v\":\"1\"}");

    EXPECT_TRUE(r[1].success);
    EXPECT_EQ(r[1].status, 206);
    EXPECT_EQ(r[1].body, "");
}

TEST_F(HttpMixinTest, FailedDownloadIsNeverReportedAsWritten) {
    Client client;
    ASSERT_TRUE(qptest::writeFile(dir.file("blocker"), "a file where a folder should be"));
    server.script(Reply(500, "server error"));
    client.download(server.url("/fail"), "", dir.file("failed.zip"), "failed");
    client.download(server.url("/blocked"), "", dir.file("blocker/x.zip"), "blocked");
    ASSERT_TRUE(client.waitFor(2));
    for (const auto& r : client.replies) {
        SCOPED_TRACE(r.tag);
        EXPECT_FALSE(r.success);
        EXPECT_EQ(r.body, "");
    }
    EXPECT_EQ(client.replies[0].status, 500);
    EXPECT_EQ(client.replies[1].status, -1);
    EXPECT_NE(::access(dir.file("failed.zip").c_str(), F_OK), 0) << "a failed download left a file";
    EXPECT_EQ(server.requestCount(), 1u);
}

TEST_F(HttpMixinTest, DownloadToBareNameCreatesNoFolder) {
    char previous[4096];
    ASSERT_NE(::getcwd(previous, sizeof(previous)), nullptr);
    ASSERT_EQ(::chdir(dir.path().c_str()), 0);
    Client client;
    client.download(server.url("/c"), "", "c.png", "bare");
    bool delivered = client.waitFor(1);
    bool wroteFile = !isDirectory("c.png") && qptest::readFile("c.png") == "ok";
    ASSERT_EQ(::chdir(previous), 0);
    ASSERT_TRUE(delivered);
    EXPECT_TRUE(client.replies[0].success);
    EXPECT_TRUE(wroteFile);
}

TEST_F(HttpMixinTest, RepliesNeedALiveOwner) {
    // Scripted before the first request goes out: the worker may send it at once.
    server.script(Reply());
    server.script(Reply::held());
    Client unowned(false);
    unowned.post(server.url("/unowned"), "{}", "unowned");

    auto gone = std::make_unique<Client>();
    gone->post(server.url("/in-transfer"), "{}", "gone");
    gone->post(server.url("/queued"), "{}", "gone");
    ASSERT_TRUE(waitUntil([&] { return server.requestCount() == 2; }));
    gone.reset();
    server.release();

    Client witness;
    witness.get(server.url("/after"), "", "after");
    ASSERT_TRUE(witness.waitFor(1));
    pumpFor(50);
    EXPECT_TRUE(unowned.replies.empty());
    auto sent = server.requests();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0].path, "/unowned");
    EXPECT_EQ(sent[2].path, "/after");
}

TEST(HttpParentPath, FolderPartOfPaths) {
    EXPECT_EQ(NSUI::getParentPath("a/b/c.png"), "a/b");
    EXPECT_EQ(NSUI::getParentPath("a/b/"), "a");
    EXPECT_EQ(NSUI::getParentPath("a/b//"), "a");
    EXPECT_EQ(NSUI::getParentPath("a\\b.txt"), "a");
    EXPECT_EQ(NSUI::getParentPath("C:\\x/y\\z.dcm"), "C:\\x/y");
    EXPECT_EQ(NSUI::getParentPath("/tmp/x"), "/tmp");
    EXPECT_EQ(NSUI::getParentPath("c.png"), "");
    EXPECT_EQ(NSUI::getParentPath(""), "");
}

} // namespace
