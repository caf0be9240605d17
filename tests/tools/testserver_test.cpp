// The loopback test service as the account panel, the update service and the statistics meet
// it: accounts and sessions, codes, version and manifest, pages, and scripted faults.

#include "TestServer.h"

#include "cocos2d.h"
#include "http/UIHttpPhisical.h"
#include "json/UIJson.h"

#include <gtest/gtest.h>

#include <thread>

using NSUI::UIJson;

namespace {

class ServiceClient : public NSUI::UIHttpPhisical {
public:
    explicit ServiceClient(const std::string& base) : _base(base) { setHttpOwner(this); }

    /// Posts the JSON (Base64) and waits for the reply, running frames meanwhile.
    NSUI::UIHttpResponse* call(const std::string& path, const std::string& json) {
        post(_base + path, json.empty() ? "" : cocos2d::safeBase64Encode(json), path);
        return wait();
    }
    NSUI::UIHttpResponse* fetch(const std::string& path) {
        get(_base + path, "", path);
        return wait();
    }
    /// The decoded "Status" of a reply ("-" when the transfer failed).
    std::string status(const std::string& path, const std::string& json) {
        NSUI::UIHttpResponse* reply = call(path, json);
        return reply->success ? UIJson::getJsonString(cocos2d::safeBase64Decode(reply->body), "Status", "") : "-";
    }
    void onHttpResponse(NSUI::UIHttpResponse* response) override {
        response->retain();
        _reply = response;
    }

private:
    NSUI::UIHttpResponse* wait() {
        // The last reply went to the autorelease pool when it was handed out.
        _reply = nullptr;
        while (!_reply) {
            cocos2d::Director::getInstance()->mainLoop(1.0f / 60);
            std::this_thread::yield();
        }
        _reply->autorelease();
        return _reply;
    }

    std::string _base;
    NSUI::UIHttpResponse* _reply = nullptr;
};

class TestServerTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.start()); }
    testserver::TestServer server;
};

TEST_F(TestServerTest, AccountsSignInAndANewerSignInEndsTheOlderSession) {
    ServiceClient client(server.baseURL());
    EXPECT_EQ("0", client.status("/lg/rg.php", R"({"mail":"bo@x.org","nickname":"bo","password":"pw"})"));
    EXPECT_EQ("1", client.status("/lg/rg.php", R"({"mail":"","nickname":"bo","password":"other"})"));
    EXPECT_EQ("1", client.status("/lg/lg.php", R"({"ismail":"0","nickname":"bo","password":"bad","loginTime":"t1","isMobile":"0"})"));

    auto* reply = client.call("/lg/lg.php", R"({"ismail":"1","mail":"bo@x.org","password":"pw","loginTime":"t1","isMobile":"0"})");
    std::string json = cocos2d::safeBase64Decode(reply->body);
    EXPECT_EQ("0", UIJson::getJsonString(json, "Status"));
    EXPECT_EQ("bo", UIJson::getJsonString(json, "nickname"));
    std::string check = R"({"userid":")" + UIJson::getJsonString(json, "userid") + R"(","loginTime":"t1","isMobile":"0"})";
    EXPECT_EQ("0", client.status("/lg/rlc.php", check));
    EXPECT_EQ("0", client.status("/lg/lg.php", R"({"ismail":"0","nickname":"bo","password":"pw","loginTime":"t2","isMobile":"0"})"));
    EXPECT_EQ("1", client.status("/lg/rlc.php", check));

    EXPECT_EQ("0", client.status("/lg/cg.php", R"({"old":"pw","new":"pw2","nickname":"bo"})"));
    EXPECT_EQ("pw2", server.account("bo").password);
    EXPECT_EQ("0", client.status("/lg/sd.php", R"({"mail":"bo@x.org"})"));
    EXPECT_EQ("1", client.status("/lg/sd.php", R"({"mail":"nobody@x.org"})"));

    reply = client.call("/lg/sdvr.php", R"({"mail":"new@x.org"})");
    std::string code = UIJson::getJsonString(cocos2d::safeBase64Decode(reply->body), "code");
    EXPECT_EQ(6u, code.size());
    EXPECT_EQ(server.lastCode("new@x.org"), code);
    EXPECT_EQ("0", client.status("/lg/sm.php", R"({"mail":"new@x.org","nickname":"bo"})"));
    EXPECT_EQ("new@x.org", server.account("bo").mail);
}

TEST_F(TestServerTest, UpdateAndStatisticsPathsAndPagesAnswer) {
    ServiceClient client(server.baseURL());
    server.setLatestVersion("1.10");
    auto* reply = client.call("/ud/cv2.php", R"({"app_version":"1.4","device_info":"eA=="})");
    EXPECT_EQ("1.10", UIJson::getJsonString(cocos2d::safeBase64Decode(reply->body), "app_latest_version"));
    server.setManifest("{\"version\":\"1.10\"}");
    EXPECT_EQ("{\"version\":\"1.10\"}", client.call("/ud/u.php", "")->body);
    EXPECT_EQ(server.baseURL() + "/st/up.php", cocos2d::safeBase64Decode(client.call("/st/gi.php", "")->body));
    for (const char* page : {"/en/privacypolicy.html", "/ads/newversionPC.html"}) {
        reply = client.fetch(page);
        EXPECT_EQ(200, reply->status) << page;
        EXPECT_NE(std::string::npos, reply->body.find("<html>")) << page;
    }
    EXPECT_EQ(404, client.fetch("/nothing")->status);
}

TEST_F(TestServerTest, FaultsApplyInOrderAndThenTheServiceAnswersAgain) {
    ServiceClient client(server.baseURL());
    testserver::Fault unavailable, wrong, dropped;
    unavailable.httpStatus = 503;
    wrong.replyStatus = "7";
    wrong.times = 2;
    dropped.drop = true;
    for (const auto& fault : {unavailable, wrong, dropped})
        server.addFault("/ud/cv2.php", fault);
    EXPECT_EQ(503, client.call("/ud/cv2.php", "{}")->status);
    EXPECT_EQ("7", client.status("/ud/cv2.php", "{}"));
    EXPECT_EQ("7", client.status("/ud/cv2.php", "{}"));
    EXPECT_EQ("-", client.status("/ud/cv2.php", "{}"));
    EXPECT_EQ("0", client.status("/ud/cv2.php", "{}"));
    EXPECT_EQ(5u, server.requestCount("/ud/cv2.php"));
}

} // namespace
