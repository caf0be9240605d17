#include "http/httpCenter.h"

#include "AppConfig.h"
#include "base/messageView.h"
#include "data/NSDataManager.h"
#include "lang/UILocalConfig.h"
#include "login/login.h"
#include "net/NetUtils.h"
#include "notify/NSNotificationCenter.h"
#include "notify/NSNotificationData.h"
#include "overlay/NSActivity.h"
#include "util/StringUtils.h"
#include "util/TimeUtils.h"
#include "web/NSWebView.h"

#include <ctime>

using namespace cocos2d;

namespace {

const char* const kReLoginCheckPath = "/lg/rlc.php";
const char* const kDownloadFolder = "qp/tmp/updateapp/";
const char* const kScriptsFolder = "qp/tmp/res/js";
const char* const kPageTemplate = "res/newversion.html";

// Seconds from `then` to `now`; a moment in the future, or one never taken (0), counts as none.
uint32_t secondsSince(uint32_t now, uint32_t then) {
    return then != 0 && now > then ? now - then : 0;
}

std::string between(const std::string& text, size_t from, size_t to) {
    return from == std::string::npos || to == std::string::npos ? std::string() : text.substr(from, to - from);
}

size_t findAfter(const std::string& text, const char* mark, size_t from) {
    return from == std::string::npos ? from : text.find(mark, from);
}

} // namespace

httpCenter* httpCenter::create() {
    auto* center = new httpCenter();
    if (!center->init()) {
        delete center;
        return nullptr;
    }
    center->autorelease();
    return center;
}

httpCenter::~httpCenter() {
    NSUI::NSNotificationCenter::getInstance()->removeObserver(this);
}

bool httpCenter::init() {
    if (!NSUI::NSDatas::init())
        return false;
    _enabled = false;
    _tickLimit = 20;
    _tickCount = 0;
    _startTime = currentTime();
    NSUI::NSDataManager::getInstance()->addData(this);
    auto callback = [this](Ref* sender, unsigned int id, NSUI::NSNotificationData* data) {
        onNotification(sender, id, data);
    };
    for (unsigned int id : {kDownloadPackageId, kDownloadPackageAltId, kOpenInBrowserId, kNewVersionPageId})
        NSUI::NSNotificationCenter::getInstance()->addObserver(this, nullptr, callback, id);
    return true;
}

uint32_t httpCenter::currentTime() const {
    return static_cast<uint32_t>(std::time(nullptr));
}

double httpCenter::lastTouchTime() const {
    return Touch::getTimeStamp();
}

void httpCenter::update(float) {
    if (++_tickCount < _tickLimit)
        return;
    _tickCount = 0;
    if (!_enabled)
        return;
    std::string logined, userId;
    login::getLoginState(logined, userId);
    if (logined != "1")
        return;
    if (sessionExpired()) {
        login::logout();
        return;
    }
    sendReLoginCheck(userId);
}

bool httpCenter::sessionExpired() const {
    uint32_t now = currentTime();
    double touch = lastTouchTime();
    // Before the first touch the user has been away since the program started.
    uint32_t lastActive = touch > 0 ? static_cast<uint32_t>(touch) : _startTime;
    return secondsSince(now, login::getLoginTimestamp()) > kSignInTimeout &&
           secondsSince(now, lastActive) > kIdleTimeout;
}

void httpCenter::sendReLoginCheck(const std::string& userId) {
    std::string json;
    setJsonString(json, "userid", userId);
    setJsonString(json, "loginTime", NSUI::UILocalConfig::getStringForKey("app_login_time", getCurrentTimeString()));
    setJsonString(json, "isMobile", "0");
    // Sent every 20 s while signed in, whether or not the last one was answered.
    post(AppConfig::getServerURL() + kReLoginCheckPath, safeBase64Encode(json), "reLoginCheck");
}

void httpCenter::onHttpResponse(NSUI::UIHttpResponse* response) {
    if (!response)
        return;
    if (response->tag == "reLoginCheck") {
        onReLoginCheck(response);
    } else if (response->tag == "updateApp") {
        if (NSUI::NSActivity::current())
            NSUI::NSActivity::current()->remove();
        if (response->status != 200)
            NSUI::messageView::showMessage("Failed to download the APK file.\nCheck your network.", 5.0f);
    } else if (response->tag == "newversion") {
        if (response->success && response->status == 200)
            showNewVersionPage(response->body);
    }
}

void httpCenter::onReLoginCheck(NSUI::UIHttpResponse* response) {
    if (!response->success || response->status != 200)
        return;
    // A late answer about a session that has already ended says nothing any more.
    std::string logined, userId;
    login::getLoginState(logined, userId);
    if (logined != "1")
        return;
    std::string reply = safeBase64DecodeReceived(response->body);
    if (getJsonString(reply, "Status", "") == "0")
        return;
    login::logout();
    NSUI::messageView::showMessage(NSUI::UILocalConfig::getLanguageString("login_second_device_info"), 5.0f);
}

void httpCenter::onNotification(Ref*, unsigned int id, NSUI::NSNotificationData* data) {
    std::string text = data ? data->text : std::string();
    // Addresses come from pages and the server: only web addresses are opened or fetched, never
    // a local file or another program's scheme.
    if (!isWebAddress(text)) {
        log("httpCenter: notification %u names no web address", id);
        return;
    }
    switch (id) {
    case kOpenInBrowserId:
        if (Application* application = Application::getInstance())
            application->openURL(text);
        break;
    case kNewVersionPageId:
        get(text, "", "newversion");
        break;
    case kDownloadPackageId:
    case kDownloadPackageAltId:
        downloadPackage(text);
        break;
    default:
        break;
    }
}

void httpCenter::downloadPackage(const std::string& address) {
    if (NSUI::NSActivity* activity = NSUI::NSActivity::show(Director::getInstance()->getRunningScene())) {
        activity->enableBKColor(true, Color3B::BLACK, 0.45f);
        activity->setTextColor(Color4B::WHITE);
        activity->setText("downloading");
    }
    FileUtils* files = FileUtils::getInstance();
    std::string folder = files->getWritablePath() + kDownloadFolder;
    if (files->isDirectoryExist(folder))
        files->removeDirectory(folder);
    files->createDirectory(folder);
    download(address, "", folder + getTimestampString() + ".apk", "updateApp");
}

std::string httpCenter::buildNewVersionPage(const std::string& pageTemplate, const std::string& notice) {
    // The notice's second heading up to its block is the description; the block's second link
    // up to the block's end is the link.
    size_t firstHeading = notice.find("<h2");
    size_t heading = findAfter(notice, "<h2", firstHeading == std::string::npos ? firstHeading : firstHeading + 1);
    size_t block = findAfter(notice, "<div", heading);
    std::string description = between(notice, heading, block);
    size_t firstLink = findAfter(notice, "<a", block);
    size_t link = findAfter(notice, "<a", firstLink == std::string::npos ? firstLink : firstLink + 1);
    std::string address = between(notice, link, findAfter(notice, "</div>", link));
    if (address.empty())
        return std::string();
    std::string page = pageTemplate;
    replaceAll(page, "UPDATE_URL", address);
    replaceAll(page, "NEWVERSION_DESC", description);
    return page;
}

void httpCenter::showNewVersionPage(const std::string& notice) {
    FileUtils* files = FileUtils::getInstance();
    std::string pageTemplate = files->getStringFromFile(kPageTemplate);
    replaceAll(pageTemplate, "JS_URL", files->getWritablePath() + kScriptsFolder);
    std::string page = buildNewVersionPage(pageTemplate, notice);
    Scene* scene = Director::getInstance()->getRunningScene();
    if (page.empty() || !scene)
        return;
    Node* view = scene->getChildByTag(kNewVersionTag);
    if (!view) {
        NSUI::NSWebView* web = NSUI::NSWebView::create();
        if (!web)
            return;
        web->setAnchorPoint(Vec2(0.5f, 0.5f));
        Size size = web->getContentSize();
        web->setPosition(Vec2(size.width / 2, size.height / 2));
        web->setContentSize(Size(size.width / 2, size.height));
        web->setTag(kNewVersionTag);
        web->setName("new_version");
        web->setLocalZOrder(10000);
        scene->addChild(web);
        view = web;
    }
    NSUI::NSWebView::openURL(page);
    view->setVisible(true);
}
