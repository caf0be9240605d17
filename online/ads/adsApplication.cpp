#include "ads/adsApplication.h"

#include "AppConfig.h"
#include "update/updateService.h"

#include <cstdlib>
#include <vector>

namespace ADS {

namespace {
adsApplication* g_instance = nullptr;
}

adsApplication* adsApplication::getInstance() {
    if (!g_instance) {
        auto* instance = new adsApplication();
        instance->init();
        instance->autorelease();
        instance->retain();
        g_instance = instance;
    }
    return g_instance;
}

adsApplication* adsApplication::peekInstance() {
    return g_instance;
}

void adsApplication::destroyInstance() {
    if (!g_instance)
        return;
    adsApplication* instance = g_instance;
    g_instance = nullptr;
    instance->cleanup();
    instance->release();
}

adsApplication::~adsApplication() {
    cleanup();
    if (g_instance == this)
        g_instance = nullptr;
}

bool adsApplication::init() {
    setUpdateService(updateService::create());
    reloadConfig();
    return true;
}

void adsApplication::cleanup() {
    setUpdateService(nullptr);
    CC_SAFE_RELEASE_NULL(_notice);
}

void adsApplication::setUpdateService(updateService* service) {
    if (service == _updateService)
        return;
    if (service)
        service->retain();
    if (_updateService) {
        _updateService->cleanup();
        _updateService->release();
    }
    _updateService = service;
}

void adsApplication::reloadConfig() {
    _config = getStringForKey("app_config_ini", "");
}

int adsApplication::compareVersions(const std::string& a, const std::string& b) {
    auto parts = [](const std::string& version) {
        int values[3] = {0, 0, 0};
        size_t start = 0;
        for (int i = 0; i < 3 && start <= version.size(); ++i) {
            size_t dot = version.find('.', start);
            values[i] = std::atoi(version.substr(start, dot == std::string::npos ? std::string::npos : dot - start).c_str());
            if (dot == std::string::npos)
                break;
            start = dot + 1;
        }
        return std::vector<int>(values, values + 3);
    };
    std::vector<int> left = parts(a);
    std::vector<int> right = parts(b);
    for (int i = 0; i < 3; ++i)
        if (left[i] != right[i])
            return left[i] < right[i] ? -1 : 1;
    return 0;
}

void adsApplication::checkNewVersion() {
    if (getJsonInt(_config, "ads_enable_newVersion", 0) != 1)
        return;
    if (compareVersions(AppConfig::getVersion(), getStringForKey("app_latest_version", "1.0")) >= 0)
        return;
    int count = std::atoi(getStringForKey("app_ver_check_count", "0").c_str());
    if (count >= 1)
        return;
    setStringForKey("app_ver_check_count", std::to_string(count + 1));
    if (getJsonInt(_config, "adsNewVersionType", -1) <= 0 || getJsonString(_config, "adsNewVersionUrl", "").empty())
        return;
    if (cocos2d::Application* application = cocos2d::Application::getInstance())
        application->openURL(AppConfig::getServerURL() + "/ads/newversionPC.html");
}

} // namespace ADS
