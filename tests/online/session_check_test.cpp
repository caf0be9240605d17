// The signed-in session against the loopback service: the check every twentieth tick, the
// server's refusal, the two time-outs with stamps that lie, and the new-version page and
// package download the service carries.

#include "OnlineFixture.h"

#include "base/UIControlBase.h"
#include "http/httpCenter.h"
#include "lang/UILocalConfig.h"
#include "login/login.h"
#include "notify/NSNotificationData.h"
#include "overlay/NSActivity.h"
#include "util/FileHelpers.h"

#include <ctime>

using NSUI::UILocalConfig;

namespace {

constexpr uint32_t kHour = 3600;

/// The service with the last touch under the test's control and its replies counted.
class TestCenter : public httpCenter {
public:
    static TestCenter* make() {
        auto* center = new TestCenter();
        center->init();
        center->autorelease();
        center->setEnabled(true);
        return center;
    }
    void onHttpResponse(NSUI::UIHttpResponse* response) override {
        httpCenter::onHttpResponse(response);
        ++replies;
    }
    void ticks(int count) {
        for (int i = 0; i < count; ++i)
            update(1.0f);
    }

    double touch = 0;
    int replies = 0;

protected:
    double lastTouchTime() const override { return touch; }
};

uint32_t now() {
    return static_cast<uint32_t>(std::time(nullptr));
}

class SessionCheck : public qptest::OnlineFixture {
protected:
    void SetUp() override {
        OnlineFixture::SetUp();
        userId = server.addAccount("ana", "secret");
        server.signIn("ana", "2026-01-02 03:04:05");
        center = TestCenter::make();
    }

    /// Signed in `age` seconds ago as the service knows it.
    void signIn(uint32_t age) {
        UILocalConfig::storeStringForKey("app_logined", "1");
        UILocalConfig::storeStringForKey("app_login_id", userId);
        UILocalConfig::storeStringForKey("app_login_time", "2026-01-02 03:04:05");
        login::setLoginTimestamp(now() - age);
    }
    bool signedIn() const { return UILocalConfig::getStringForKey("app_logined", "0") == "1"; }

    cocos2d::Node* toast() const { return scene->getChildByName(NSUI::UIControlBase::kMessageBoxName); }

    std::string userId;
    TestCenter* center = nullptr;
};

TEST_F(SessionCheck, EveryTwentiethTickSendsOneCheckAndAnAcceptedOneKeepsTheSession) {
    signIn(10);
    center->touch = now();
    center->ticks(19);
    center->ticks(1);
    runUntil([&] { return center->replies == 1; });
    // The worker sends in order: had any of the first 19 ticks posted, it would be here too.
    auto checks = server.requests("/lg/rlc.php");
    ASSERT_EQ(1u, checks.size());
    EXPECT_EQ("{\"userid\":\"" + userId + "\",\"loginTime\":\"2026-01-02 03:04:05\",\"isMobile\":\"0\"}",
              checks[0].json);
    EXPECT_TRUE(signedIn());

    // Disabled, it only counts.
    center->setEnabled(false);
    center->ticks(20);
    center->setEnabled(true);
    center->ticks(20);
    runUntil([&] { return center->replies == 2; });
    EXPECT_EQ(2u, server.requestCount("/lg/rlc.php"));
}

TEST_F(SessionCheck, RefusalOrSilenceEndsTheSessionWithAFiveSecondToastAndFailuresChangeNothing) {
    struct Case {
        const char* name;
        testserver::Fault fault;
        bool endsSession;
    };
    testserver::Fault refused;
    refused.replyStatus = "1";
    testserver::Fault silent;
    silent.omitStatus = true;
    testserver::Fault broken;
    broken.httpStatus = 500;
    testserver::Fault dropped;
    dropped.drop = true;
    // Servers often end a Base64 reply with a newline or break it into lines.
    testserver::Fault wrapped;
    wrapped.wrapLines = true;
    // A reply of many megabytes is cut off as a failure, not read (as no Status).
    testserver::Fault huge;
    huge.bodyBytes = 16u << 20;
    center->touch = now();
    for (const Case& c :
         {Case{"status 500", broken, false}, Case{"dropped", dropped, false}, Case{"wrapped", wrapped, false},
          Case{"16 MB", huge, false}, Case{"Status 1", refused, true}, Case{"no Status", silent, true}}) {
        SCOPED_TRACE(c.name);
        signIn(10);
        server.addFault("/lg/rlc.php", c.fault);
        int before = center->replies;
        center->ticks(20);
        runUntil([&] { return center->replies == before + 1; });
        EXPECT_EQ(!c.endsSession, signedIn());
        if (!c.endsSession) {
            EXPECT_EQ(nullptr, toast());
            continue;
        }
        ASSERT_NE(nullptr, toast());
        EXPECT_TRUE(toast()->isVisible());
        input->advance(4.9f, 0.1f);
        EXPECT_TRUE(toast()->isVisible());
        input->advance(0.2f, 0.1f);
        EXPECT_FALSE(toast()->isVisible());
    }
}

TEST_F(SessionCheck, LongSignInAndLongAbsenceEndTheSessionUnlessAStampLies) {
    // Signed in 49 h ago and away for 8 h: signed out at the tick, with no request.
    signIn(49 * kHour);
    center->touch = now() - 8 * kHour;
    center->ticks(20);
    EXPECT_FALSE(signedIn());

    // Each of these keeps the session and sends the check: a recent touch, a touch stamp in
    // the future, a sign-in stamp in the future, and no touch since the service started.
    struct Case {
        const char* name;
        uint32_t signedInAgo;
        double touch;
    };
    int sent = 0;
    for (const Case& c : {Case{"touched 1 h ago", 49 * kHour, double(now() - kHour)},
                          Case{"touch in the future", 49 * kHour, double(now() + 100 * kHour)},
                          Case{"sign-in in the future", 0u - 10 * kHour, double(now() - 8 * kHour)},
                          Case{"no touch yet", 49 * kHour, 0.0}}) {
        SCOPED_TRACE(c.name);
        signIn(c.signedInAgo);
        center->touch = c.touch;
        center->ticks(20);
        EXPECT_TRUE(signedIn());
        ++sent;
        runUntil([&] { return center->replies == sent; });
    }
    // Ordered sending: the first tick above posted nothing.
    EXPECT_EQ(size_t(sent), server.requestCount("/lg/rlc.php"));
}

TEST_F(SessionCheck, NewVersionPageAndPackageDownloadComeFromTheAddressesHandedOver) {
    auto* centre = NSUI::NSNotificationCenter::getInstance();
    centre->postNotificationWithString(nullptr, httpCenter::kNewVersionPageId,
                                       server.baseURL() + "/ads/newversionPC.html", nullptr, true);
    runUntil([&] { return center->replies == 1; });
    cocos2d::Node* page = scene->getChildByTag(httpCenter::kNewVersionTag);
    ASSERT_NE(nullptr, page);
    EXPECT_EQ("new_version", page->getName());
    EXPECT_TRUE(page->isVisible());

    centre->postNotificationWithString(nullptr, httpCenter::kDownloadPackageId,
                                       server.baseURL() + testserver::TestServer::kPackagePath, nullptr, true);
    runUntil([&] { return center->replies == 2; });
    // The busy overlay shown for the download is gone with its reply.
    EXPECT_EQ(nullptr, NSUI::NSActivity::current());
    std::vector<std::string> files;
    listFiles(cocos2d::FileUtils::getInstance()->getWritablePath() + "qp/tmp/updateapp", files, false, true);
    ASSERT_EQ(1u, files.size());
    EXPECT_EQ("test package 1.4\n", qptest::readFile(files[0]));
}

TEST(NewVersionPage, TakesTheSecondHeadingAndTheSecondLinkOrNothing) {
    const std::string pageTemplate = "<p>NEWVERSION_DESC</p><p>UPDATE_URL</p>";
    const std::string notice = "<h2>News</h2><h2>Version 2 is out</h2><div><a href=\"#\">Later</a>"
                               "<a href=\"http://x/p.apk\">Get it</a></div>";
    EXPECT_EQ("<p><h2>Version 2 is out</h2></p><p><a href=\"http://x/p.apk\">Get it</a></p>",
              httpCenter::buildNewVersionPage(pageTemplate, notice));
    EXPECT_EQ("", httpCenter::buildNewVersionPage(pageTemplate, "<h2>Only one</h2><div><a>1</a><a>2</a></div>"));
    EXPECT_EQ("", httpCenter::buildNewVersionPage(pageTemplate, "<h2>a</h2><h2>b</h2><div><a>only one</a></div>"));
}

} // namespace
