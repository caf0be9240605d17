// The account panel and the feedback page against the loopback service: what is checked before
// a request goes out, what each reply does to the settings and the pages, and the package
// request a feedback page can make.

#include "LoginFixture.h"

#include "advice/advice.h"
#include "http/httpCenter.h"
#include "json/UIJson.h"
#include "lang/UILocalConfig.h"
#include "login/login.h"
#include "notify/NSNotificationData.h"
#include "overlay/NSActivity.h"
#include "platform/UserDefault.h"
#include "text/NSTextField.h"
#include "ui/CocosGUI.h"
#include "util/TimeUtils.h"

using namespace cocos2d;
using NSUI::UILocalConfig;

namespace {

using LoginPanel = qptest::LoginFixture;

TEST_F(LoginPanel, SignInChecksTheNameFirstAndARestartRestoresTheAccountWithoutItsPassword) {
    open();
    EXPECT_EQ(login::kSignInPage, panel->getPage());
    type("email", "ana@example");
    type("password", "secret1");
    click("login");
    EXPECT_EQ(text("login_check_mail"), toast());
    type("email", "  ");
    click("login");
    EXPECT_EQ(text("login_input"), toast());
    EXPECT_EQ(0u, server.requestCount("/lg/lg.php"));
    EXPECT_EQ("", setting("app_login_string"));

    testserver::Fault wrapped;
    wrapped.wrapLines = true;
    server.addFault("/lg/lg.php", wrapped);
    type("email", " ana ");
    click("login");
    runUntil([&] { return !panel->isRunning(); });
    auto sent = server.requests("/lg/lg.php");
    ASSERT_EQ(1u, sent.size());
    EXPECT_EQ("{\"ismail\":\"0\",\"nickname\":\"ana\",\"password\":\"secret1\",\"loginTime\":\"" +
                  setting("app_login_time") + "\",\"isMobile\":\"0\"}",
              sent[0].json);
    runUntil([&] { return !changes.empty(); });
    EXPECT_EQ(std::vector<int>{1}, changes);
    EXPECT_EQ("1", setting("app_logined"));
    EXPECT_EQ(userId, setting("app_login_id"));
    EXPECT_EQ("ana", setting("app_login_nickname"));

    UILocalConfig::flush();
    std::string stored = qptest::readFile(UserDefault::getXMLFilePath());
    ASSERT_FALSE(stored.empty());
    EXPECT_EQ(std::string::npos, stored.find("secret1"));
    EXPECT_EQ(std::string::npos, stored.find(safeBase64Encode("secret1")));

    // A new run reads the account from the settings alone.
    UserDefault::destroyInstance();
    open();
    EXPECT_EQ(login::kAccountPage, panel->getPage());
    click("login");
    EXPECT_FALSE(panel->isRunning());
    EXPECT_EQ("0", setting("app_logined"));
    runUntil([&] { return changes.size() == 2; });
    EXPECT_EQ(-1, changes[1]);
}

TEST_F(LoginPanel, AFailedSignInLeavesTheUserSignedOut) {
    open();
    // A good Status without a user id is no sign-in.
    testserver::Fault noUser;
    noUser.replyStatus = "0";
    server.addFault("/lg/lg.php", noUser);
    type("email", "ana@example.org");
    type("password", "wrong");
    EXPECT_EQ(text("login_login_fail"), clickAndWaitForToast("login"));
    EXPECT_EQ("1", NSUI::UIJson::getJsonString(server.requests("/lg/lg.php")[0].json, "ismail"));
    EXPECT_EQ("0", setting("app_logined"));
    EXPECT_TRUE(panel->isRunning());

    // No server: the busy overlay goes with the failure.
    server.stop();
    type("email", "ana");
    press("login");
    EXPECT_NE(nullptr, NSUI::NSActivity::current());
    runUntil([&] { return !toast().empty(); });
    EXPECT_EQ(text("net_check_status"), toast());
    EXPECT_EQ(nullptr, NSUI::NSActivity::current());
    EXPECT_EQ("0", setting("app_logined"));
    // What was written before the request stays.
    EXPECT_EQ("ana", setting("app_login_string"));
    EXPECT_TRUE(changes.empty());
}

TEST_F(LoginPanel, RegisterWithAMailNeedsTheCodeTheServerSent) {
    open();
    click("new");
    ASSERT_EQ(login::kRegisterPage, panel->getPage());
    click("send");
    runUntil([&] { return director->getRunningScene() != scene; });
    director->popScene();
    runUntil([&] { return director->getRunningScene() == scene; });
    type("name", "bob");
    type("password", "pw1234");
    type("email", "bob@example.org");
    // No code was ever asked for: nothing typed matches, not even the current time.
    type("confirm", getCurrentTimeString());
    click("login");
    EXPECT_EQ(text("login_vcode_wrong"), toast());
    type("confirm", "");
    click("login");
    EXPECT_EQ(text("login_vcode_wrong"), toast());

    EXPECT_EQ(text("login_setmail_getcode"), clickAndWaitForToast("getCode"));
    EXPECT_TRUE(panel->hasReceivedCode());
    type("confirm", server.lastCode("bob@example.org"));
    type("name", "bob!");
    click("login");
    EXPECT_EQ("The character in name must be A~Z or a~z or 0~9 or '.-_'", toast());
    EXPECT_EQ(0u, server.requestCount("/lg/rg.php"));

    type("name", "bob");
    EXPECT_EQ(text("login_reg_ok"), clickAndWaitForToast("login"));
    EXPECT_EQ(login::kSignInPage, panel->getPage());
    EXPECT_EQ("bob@example.org", server.account("bob").mail);

    // Without a mail no code is needed; a taken name is reported as such.
    click("new");
    type("name", "bob");
    type("password", "pw1234");
    EXPECT_EQ(text("login_nickname_fail"), clickAndWaitForToast("login"));

    server.stop();
    type("name", "carl");
    EXPECT_EQ(text("net_check_status"), clickAndWaitForToast("login"));
    EXPECT_EQ(nullptr, NSUI::NSActivity::current());
    EXPECT_EQ(login::kRegisterPage, panel->getPage());
}

TEST_F(LoginPanel, ChangePasswordReportsAMismatchBeforeTheCharacterRule) {
    UILocalConfig::setStringForKey("app_logined", "1");
    UILocalConfig::setStringForKey("app_login_nickname", "ana");
    open();
    click("change");
    ASSERT_EQ(login::kChangePasswordPage, panel->getPage());
    type("old", "secret1");
    type("password1", "new one!");
    type("password2", "other!");
    click("login");
    EXPECT_EQ(text("login_confirm_password"), toast());
    type("password2", "new one!");
    click("login");
    EXPECT_EQ("The character in password must be A~Z or a~z or 0~9 or '.-_'", toast());
    EXPECT_EQ(0u, server.requestCount("/lg/cg.php"));

    type("password1", "secret2");
    type("password2", "secret2");
    EXPECT_EQ(text("login_change_ok"), clickAndWaitForToast("login"));
    EXPECT_EQ(login::kAccountPage, panel->getPage());
    EXPECT_EQ("secret2", server.account("ana").password);

    // Back from a sub-page goes to the account page; from there it closes the panel.
    click("setMail");
    EXPECT_EQ(login::kSetMailPage, panel->getPage());
    click("goBack");
    EXPECT_EQ(login::kAccountPage, panel->getPage());
    EXPECT_TRUE(panel->onResponseReturn());
    EXPECT_FALSE(panel->isRunning());
}

TEST_F(LoginPanel, AnotherScreensOverlayStaysUpAndAZeroWidthBackgroundIsNotTiled) {
    open();
    NSUI::NSActivity* other = NSUI::NSActivity::show(scene);
    ASSERT_NE(nullptr, other);
    other->setText("importing");
    type("email", "ana");
    type("password", "secret1");
    // The overlay takes the touches; the click comes as the button would send it.
    panel->onButtonClicked(panel->getLayout()->getChildByName("login"));
    runUntil([&] { return !changes.empty(); });
    EXPECT_EQ(other, NSUI::NSActivity::current());
    EXPECT_EQ("importing", other->getText());
    other->remove();

    // A background picture without width would take endless copies to fill the row.
    open();
    auto* bk = dynamic_cast<Sprite*>(panel->getLayout()->getChildByName("bk"));
    ASSERT_NE(nullptr, bk);
    bk->setTextureRect(Rect(0, 0, 0, bk->getContentSize().height));
    panel->showStartPage();
    EXPECT_EQ(login::kAccountPage, panel->getPage());
}

TEST_F(LoginPanel, TheFeedbackPageHandsOnlyAFullPackageRequestToTheHttpService) {
    Scene* page = advice::createScene();
    ASSERT_NE(nullptr, page);
    page->retain();
    // Only the tree holds the page from here on, as in the program.
    input->frame();
    auto* title = dynamic_cast<ui::Text*>(page->getChildByNameDeep("title"));
    ASSERT_NE(nullptr, title);
    EXPECT_EQ("Advice", title->getString());
    Node* layout = title->getParent()->getParent();
    advice* view = nullptr;
    for (Node* child : layout->getChildren())
        view = view ? view : dynamic_cast<advice*>(child);
    ASSERT_NE(nullptr, view);
    EXPECT_EQ(Size(800, 540), view->getContentSize());

    // The service is registered first, so the page's request reaches it before the test.
    httpCenter* center = httpCenter::create();
    ASSERT_NE(nullptr, center);
    std::vector<std::string> requested;
    NSUI::NSNotificationCenter::getInstance()->addObserver(
        this, nullptr, [&](Ref*, unsigned int, NSUI::NSNotificationData* data) { requested.push_back(data->text); },
        advice::kPackageRequestId);

    const std::string prefix = view->interceptedAddress();
    ASSERT_FALSE(prefix.empty());
    for (const std::string& other : {prefix, prefix + "/", std::string("http://127.0.0.1/other.html")})
        EXPECT_FALSE(view->onUrlIntercepted(other)) << other;
    EXPECT_NE(nullptr, view->getParent());

    // Not a web address: the service fetches nothing and shows no overlay. The page has left
    // the tree but lives on for the web view that called it.
    EXPECT_FALSE(view->onUrlIntercepted(prefix + "?" + safeBase64Encode("file:///etc/passwd")));
    EXPECT_EQ(nullptr, view->getParent());
    EXPECT_EQ(prefix, view->interceptedAddress());
    runUntil([&] { return requested.size() == 1; });
    EXPECT_EQ("file:///etc/passwd", requested[0]);
    EXPECT_EQ(nullptr, NSUI::NSActivity::current());
    page->release();
}

} // namespace
