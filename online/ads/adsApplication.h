#pragma once
// The online-notice singleton: holds the online configuration text and the update service,
// and shows the new-version notice when the configuration asks for it.

#include "cocos2d.h"
#include "json/UIJson.h"
#include "lang/UILocalConfig.h"

#include <string>

class updateService;

namespace ADS {

/// Main thread only.
class adsApplication : public cocos2d::Ref, public NSUI::UILocalConfig, public NSUI::UIJson {
public:
    /// Creates the singleton on first use; its init holds a new update service.
    static adsApplication* getInstance();
    /// The singleton, or null when none exists.
    static adsApplication* peekInstance();
    /// The shutdown step: cleanup, then release; a later getInstance makes a new one.
    static void destroyInstance();

    virtual ~adsApplication();
    /// Holds a new update service and reads the configuration.
    virtual bool init();
    /// Releases the update service and the second held object.
    virtual void cleanup();

    /// Re-reads the settings text "app_config_ini".
    void reloadConfig();
    /// Opens the server's new-version page in the system browser when the configuration enables
    /// the notice and the server reported a newer version than this one: once per reported version.
    void checkNewVersion();

    /// Compares dotted versions by their first three integer parts (missing parts are 0):
    /// negative when a is older, 0 when equal, positive when newer.
    static int compareVersions(const std::string& a, const std::string& b);

    updateService* getUpdateService() const { return _updateService; }
    /// Holds the service (retained) in place of the current one; null releases it.
    void setUpdateService(updateService* service);
    const std::string& getConfig() const { return _config; }

private:
    adsApplication() = default;

    updateService* _updateService = nullptr;
    cocos2d::Ref* _notice = nullptr;
    std::string _config;
};

} // namespace ADS
