#include "login/login.h"

#include "lang/UILocalConfig.h"
#include "notify/NSNotificationCenter.h"

#include <cstdlib>
#include <ctime>

namespace {
// Held once read; 0 and 1 mean "not read yet".
uint32_t g_loginTimestamp = 0;
} // namespace

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
