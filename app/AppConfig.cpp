#include "AppConfig.h"

#include "lang/UILocalConfig.h"
#include "util/StringUtils.h"
#include "util/TimeUtils.h"

#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <sys/utsname.h>

namespace {

AppConfig* g_config = nullptr;

std::mutex g_globalsMutex;
// Stands in until the constructor reads the configured address.
std::string g_serverURL = "127.0.0.1";
cocos2d::Size g_winSize;

// Tests and private installations point the services elsewhere with QP_SERVER_URL. Account
// requests carry passwords, so the default goes over TLS, whose peer the HTTP client verifies.
const char* const kDefaultServerURL = "https://127.0.0.1:8443";

const char* const kKeyVersion = "app_current_version";
const char* const kKeyInstallTime = "app_install_time";
const char* const kKeyInitDb = "app_init_db";
const char* const kKeyIdentifier = "app_identifier";

std::string deviceInfo() {
    struct utsname u;
    if (uname(&u) != 0)
        return "linux";
    return std::string(u.sysname) + " " + u.nodename + " " + u.release + " " + u.machine;
}

// 64-bit FNV-1a folded to 32 bits by XOR of its halves.
uint32_t foldedHash(const std::string& text) {
    uint64_t h = 0xcbf29ce484222325ULL;
    for (unsigned char c : text) {
        h ^= c;
        h *= 0x100000001b3ULL;
    }
    return static_cast<uint32_t>(h ^ (h >> 32));
}

} // namespace

AppConfig* AppConfig::getInstance() {
    if (!g_config) {
        AppConfig* config = new AppConfig();
        g_config = config;
        config->init();
        config->autorelease();
    }
    return g_config;
}

AppConfig::AppConfig() {
    const char* url = std::getenv("QP_SERVER_URL");
    setServerURL(url && *url ? url : kDefaultServerURL);
    languageType = NSUI::NSLanguage::systemLanguageType();
}

AppConfig::~AppConfig() {
    // Look-ups made after the configuration is gone find no table instead of a freed one.
    NSUI::NSLanguage::publish(nullptr);
    if (g_config == this)
        g_config = nullptr;
}

bool AppConfig::init() {
    style.setDefaults();

    std::string stored = NSUI::UILocalConfig::getStringForKey(kKeyVersion, "");
    if (stored.empty()) {
        NSUI::UILocalConfig::storeStringForKey(kKeyVersion, getVersion());
        NSUI::UILocalConfig::storeStringForKey(kKeyInstallTime, getCurrentTimeString());
        NSUI::UILocalConfig::storeStringForKey(kKeyInitDb, "1");
    } else if (stored != getVersion()) {
        NSUI::UILocalConfig::storeStringForKey(kKeyVersion, getVersion());
    }

    appIdentifier = NSUI::UILocalConfig::getStringForKey(kKeyIdentifier, "");
    if (appIdentifier.empty()) {
        appIdentifier = formatString("%u", foldedHash(deviceInfo() + getCurrentTimeString()));
        NSUI::UILocalConfig::storeStringForKey(kKeyIdentifier, appIdentifier);
    }
    return true;
}

std::string AppConfig::getVersion() {
    return kVersion;
}

std::string AppConfig::getServerURL() {
    std::lock_guard<std::mutex> lock(g_globalsMutex);
    return g_serverURL;
}

void AppConfig::setServerURL(const std::string& url) {
    std::lock_guard<std::mutex> lock(g_globalsMutex);
    g_serverURL = url;
}

void AppConfig::setWinSize(const cocos2d::Size& size) {
    winSize = size;
    std::lock_guard<std::mutex> lock(g_globalsMutex);
    g_winSize = size;
}

cocos2d::Size AppConfig::getGlobalWinSize() {
    std::lock_guard<std::mutex> lock(g_globalsMutex);
    return g_winSize;
}

void AppConfig::loadLanguage() {
    _language.setFileName("language.dat");
    _language.loadLanguage(languageType);
    NSUI::NSLanguage::publish(&_language);
}

std::string AppConfig::getText(const std::string& key) const {
    return _language.getString(key);
}

void AppConfig::applyText(cocos2d::Node* root, const std::string& prefix) const {
    _language.applyText(root, prefix);
}
