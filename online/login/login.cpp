#include "login/login.h"

#include "AppConfig.h"
#include "http/NSHttpClient.h"
#include "login/loginScene.h"
#include "net/NetUtils.h"
#include "notify/NSNotificationCenter.h"
#include "overlay/NSActivity.h"
#include "page/pageScene.h"
#include "panel/ModalWindow.h"
#include "text/NSTextField.h"
#include "ui/CocosGUI.h"
#include "util/StringUtils.h"
#include "util/TimeUtils.h"
#include "web/NSWebView.h"

#include <cstdlib>
#include <ctime>

using namespace cocos2d;

namespace {

// Held once read; 0 and 1 mean "not read yet".
uint32_t g_loginTimestamp = 0;

const float kToastSeconds = 1.5f;
// The panel's window is drawn and touched above everything else on the screen that opened it.
const int kPanelZOrder = 10000;
const char* const kNameRuleText = "The character in name must be A~Z or a~z or 0~9 or '.-_'";
const char* const kPasswordRuleText = "The character in password must be A~Z or a~z or 0~9 or '.-_'";

} // namespace

// ---- The sign-in state ------------------------------------------------------------------

void login::getLoginState(std::string& logined, std::string& userId) {
    logined = NSUI::UILocalConfig::getStringForKey("app_logined", "0");
    userId = NSUI::UILocalConfig::getStringForKey("app_login_id", "0");
}

uint32_t login::getLoginTimestamp() {
    if (g_loginTimestamp > 1)
        return g_loginTimestamp;
    std::string stored = NSUI::UILocalConfig::getStringForKey("app_login_timestamp", "");
    g_loginTimestamp = stored.empty() ? static_cast<uint32_t>(std::time(nullptr))
                                      : static_cast<uint32_t>(std::strtoul(stored.c_str(), nullptr, 10));
    return g_loginTimestamp;
}

void login::setLoginTimestamp(uint32_t seconds) {
    g_loginTimestamp = seconds;
}

void login::logout() {
    NSUI::NSNotificationCenter::getInstance()->postNotificationWithInt(nullptr, kLoginChangedId, -1, nullptr,
                                                                       false);
    NSUI::UILocalConfig::storeStringForKey("app_logined", "0");
}

bool login::isSignedIn() {
    return getIntegerForKey("app_logined", 0) != 0;
}

// ---- The panel --------------------------------------------------------------------------

login* login::show(Node* parent) {
    if (AppConfig::getInstance()->phoneLayout)
        return loginScene::show();
    login* panel = create();
    if (!panel || !parent)
        return nullptr;
    panel->enableAndroidReturnKey(true);
    panel->setupButtons();
    Node* window = ModalWindow::wrap(panel, panel->_layout);
    if (!window)
        return nullptr;
    panel->showStartPage();
    panel->_inScene = false;
    parent->addChild(window, kPanelZOrder);
    return panel;
}

login* login::create() {
    auto* panel = new login();
    if (!panel->init()) {
        delete panel;
        return nullptr;
    }
    panel->autorelease();
    return panel;
}

bool login::init() {
    if (!Node::init())
        return false;
    setHttpOwner(this);
    setControlOwner(this);
    _expectedCode.clear();
    _codeReceived = false;
    setName(kPanelName);
    _layout = CSLoader::createNode(kLayoutFile);
    if (_layout) {
        AppConfig::getInstance()->applyText(_layout, "login.");
        addChild(_layout);
    }
    _inScene = false;
    return true;
}

login::~login() {
    CC_SAFE_RELEASE_NULL(_busyOverlay);
}

void login::cleanup() {
    Node::cleanup();
    NSUI::NSNotificationCenter::getInstance()->removeObserver(this);
    if (NSUI::NSHttpClient::hasInstance())
        NSUI::NSHttpClient::getInstance()->cancelRequestsForOwner(this);
    // The overlay shown for one of this panel's requests goes with it.
    hideBusy();
}

void login::setupButtons() {
    if (!_layout)
        return;
    AppConfig::getInstance()->applyText(_layout, "");
    for (const char* name : {"goBack", "change", "send", "login"}) {
        auto* button = dynamic_cast<ui::Button*>(_layout->getChildByName(name));
        if (!button)
            continue;
        button->setPressedActionEnabled(true);
        button->addClickEventListener([this](Ref* sender) { onButtonClicked(sender); });
    }
}

bool login::onResponseReturn() {
    if (_page == kChangePasswordPage || _page == kRegisterPage || _page == kSetMailPage)
        isSignedIn() ? showAccountPage() : showLoginPage();
    else
        close();
    return true;
}

void login::close() {
    // Closing comes from the panel's own button or reply handler: it lives to the end of the frame.
    retain();
    autorelease();
    if (_inScene)
        Director::getInstance()->popSceneIfOnTop(getScene());
    else
        ModalWindow::close(this);
}

// ---- What the user does -----------------------------------------------------------------

void login::onButtonClicked(Ref* sender) {
    auto* button = dynamic_cast<ui::Button*>(sender);
    if (!button)
        return;
    const std::string& name = button->getName();
    if (name == "getCode") {
        requestForMail("/lg/sdvr.php", "getCode");
    } else if (name == "goBack") {
        onResponseReturn();
    } else if (name == "setMail") {
        showSetMailPage();
    } else if (name == "new") {
        showRegisterPage();
    } else if (name == "change") {
        if (_page == kAccountPage)
            showChangePasswordPage();
    } else if (name == "send") {
        _page == kRegisterPage ? showPrivacyPolicy() : requestForMail("/lg/sd.php", "send");
    } else if (name == "login") {
        switch (_page) {
        case kSignInPage: requestSignIn(); break;
        case kAccountPage: signOut(); break;
        case kChangePasswordPage: requestPasswordChange(); break;
        case kRegisterPage: requestRegister(); break;
        case kSetMailPage: requestSetMail(); break;
        default: break;
        }
    }
}

void login::requestSignIn() {
    std::string name = fieldText("email");
    std::string password = fieldText("password");
    bool byMail = name.find('@') != std::string::npos;
    if (byMail && !isValidEmail(name))
        return toastKey("login_check_mail");
    if (name.empty())
        return toastKey("login_input");

    std::string timeText = getCurrentTimeString();
    auto now = static_cast<uint32_t>(std::time(nullptr));
    storeStringForKey("app_login_string", name);
    storeStringForKey("app_login_time", timeText);
    setLoginTimestamp(now);
    setStringForKey("app_login_timestamp", formatString("%lu", static_cast<unsigned long>(now)));

    std::string json;
    setJsonString(json, "ismail", byMail ? "1" : "0");
    setJsonString(json, byMail ? "mail" : "nickname", name);
    setJsonString(json, "password", password);
    setJsonString(json, "loginTime", timeText);
    setJsonString(json, "isMobile", "0");
    send("/lg/lg.php", json, "login", true);
}

void login::signOut() {
    NSUI::NSNotificationCenter::getInstance()->postNotificationWithInt(this, kLoginChangedId, -1, nullptr, false);
    setIntegerForKey("app_logined", 0);
    close();
}

void login::requestPasswordChange() {
    std::string old = fieldText("old", false);
    std::string password = fieldText("password1", false);
    if (password != fieldText("password2", false) || password.empty() || old.empty())
        return toastKey("login_confirm_password");
    if (!isValidAccountName(old) || !isValidAccountName(password))
        return toast(kPasswordRuleText);
    std::string json;
    setJsonString(json, "old", old);
    setJsonString(json, "new", password);
    setJsonString(json, "nickname", getStringForKey("app_login_nickname", ""));
    send("/lg/cg.php", json, "change", true);
}

void login::requestRegister() {
    std::string mail = fieldText("email");
    std::string name = fieldText("name");
    std::string password = fieldText("password");
    std::string code = fieldText("confirm");
    if (!mail.empty() && !isValidEmail(mail))
        return toastKey("login_check_mail");
    // Without a code from the server no typed code is right.
    if (!mail.empty() && (!_codeReceived || code != _expectedCode))
        return toastKey("login_vcode_wrong");
    if (password.empty() || name.empty())
        return toastKey("login_input");
    if (!isValidAccountName(name))
        return toast(kNameRuleText);
    if (!isValidAccountName(password))
        return toast(kPasswordRuleText);
    std::string json;
    setJsonString(json, "mail", mail);
    setJsonString(json, "nickname", name);
    setJsonString(json, "password", password);
    send("/lg/rg.php", json, "register", true);
}

void login::requestSetMail() {
    std::string mail = fieldText("email");
    if (!isValidEmail(mail))
        return toastKey("login_check_mail");
    if (!_codeReceived || fieldText("confirm") != _expectedCode)
        return toastKey("login_vcode_wrong");
    std::string json;
    setJsonString(json, "mail", mail);
    setJsonString(json, "nickname", getStringForKey("app_login_nickname", ""));
    send("/lg/sm.php", json, "setMail", true);
}

void login::requestForMail(const char* path, const char* tag) {
    std::string mail = fieldText("email");
    if (!isValidEmail(mail))
        return toastKey("login_check_mail");
    std::string json;
    setJsonString(json, "mail", mail);
    send(path, json, tag, false);
}

void login::showPrivacyPolicy() {
    Node* layout = nullptr;
    Scene* scene = pageScene::create("Privacy Policy", &layout);
    if (!scene)
        return;
    if (NSUI::NSWebView* web = NSUI::NSWebView::create()) {
        const Size& win = Director::getInstance()->getWinSize();
        web->setContentSize(Size(win.width, win.height - pageScene::kTitleBarHeight));
        NSUI::NSWebView::openURL(AppConfig::getServerURL() + "/en/privacypolicy.html");
        web->setVisible(true);
        layout->addChild(web);
    }
    Director::getInstance()->pushScene(scene);
}

void login::send(const char* path, const std::string& json, const char* tag, bool busy) {
    // The body is only encoded, not encrypted: the transport's TLS protects it, and it is
    // never logged.
    post(AppConfig::getServerURL() + path, safeBase64Encode(json), tag);
    // The overlay is shared by the whole program: one already up belongs to whoever showed it
    // (or to an earlier request of this panel), and is left as it is.
    if (!busy || NSUI::NSActivity::current())
        return;
    if (NSUI::NSActivity* activity = NSUI::NSActivity::showHeld(this, _busyOverlay))
        activity->setText("");
}

std::string login::fieldText(const char* name, bool trimmed) const {
    auto* field = _layout ? dynamic_cast<NSUI::NSTextField*>(_layout->getChildByName(name)) : nullptr;
    std::string text = field ? field->getString() : std::string();
    if (trimmed)
        trim(text);
    return text;
}

void login::toast(const std::string& text) {
    showMessageBox(text, kToastSeconds);
}

void login::toastKey(const char* key) {
    toast(getLanguageString(key));
}

void login::hideBusy() {
    // Only the overlay this panel showed is taken down, and only while it is still up.
    NSUI::NSActivity::hideHeld(_busyOverlay);
}

// ---- What the server answers ------------------------------------------------------------

void login::onHttpResponse(NSUI::UIHttpResponse* response) {
    if (!response)
        return;
    const std::string& tag = response->tag;
    hideBusy();
    if (!response->success || response->status != 200)
        return toastKey("net_check_status");
    std::string reply = safeBase64DecodeReceived(response->body);
    bool done = getJsonString(reply, "Status", "") == "0";

    if (tag == "login") {
        onSignInReply(reply);
    } else if (tag == "change") {
        if (!done)
            return toastKey("login_change_fail");
        showAccountPage();
        toastKey("login_change_ok");
    } else if (tag == "register") {
        if (!done)
            return toastKey(getJsonString(reply, "Status", "") == "1" ? "login_nickname_fail" : "net_check_status");
        toastKey("login_reg_ok");
        showLoginPage();
    } else if (tag == "getCode") {
        std::string code = getJsonString(reply, "code", "");
        if (!done || code.empty())
            return toastKey("login_check_mail");
        _expectedCode = code;
        _codeReceived = true;
        toastKey("login_setmail_getcode");
    } else if (tag == "send") {
        toastKey(done ? "login_sendMail" : "login_check_mail");
    } else if (tag == "setMail") {
        if (!done)
            return toastKey("net_check_status");
        toastKey("login_setmail_ok");
        isSignedIn() ? showAccountPage() : showLoginPage();
    }
}

void login::onSignInReply(const std::string& reply) {
    std::string userId = getJsonString(reply, "userid", "");
    if (getJsonString(reply, "Status", "") != "0" || userId.empty())
        return toastKey("login_login_fail");
    NSUI::NSNotificationCenter::getInstance()->postNotificationWithInt(this, kLoginChangedId, 1, nullptr, false);
    storeStringForKey("app_logined", "1");
    storeStringForKey("app_login_id", userId);
    setStringForKey("app_login_nickname", getJsonString(reply, "nickname", ""));
    close();
}
