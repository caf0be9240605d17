#include "ads/adsApplication.h"

#include "lang/UILocalConfig.h"
#include "update/updateService.h"

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
    _config = NSUI::UILocalConfig::getStringForKey("app_config_ini", "");
}

void adsApplication::checkNewVersion() {
    // The notice page comes with the update service's server reply; until a configuration
    // names a newer version there is nothing to show.
}

} // namespace ADS
