#include "login/login.h"

#include "lang/UILocalConfig.h"

void login::getLoginState(std::string& logined, std::string& userId) {
    logined = NSUI::UILocalConfig::getStringForKey("app_logined", "0");
    userId = NSUI::UILocalConfig::getStringForKey("app_login_id", "0");
}
