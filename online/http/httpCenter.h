#pragma once
// The application-wide HTTP service: a data object ticked by the data manager that keeps a
// signed-in session alive with the server and ends it when the server or the user's long
// absence says so; it also carries the package download and the new-version page.

#include "data/NSDatas.h"

#include <cstdint>

namespace NSUI {
class NSNotificationData;
}

/// Main thread only: the tick, the notifications and the replies all arrive there.
class httpCenter : public NSUI::NSDatas {
public:
    /// Notifications it serves: package download (two senders), open an address in the
    /// browser, fetch the new-version page.
    static constexpr unsigned int kDownloadPackageId = 2025;
    static constexpr unsigned int kDownloadPackageAltId = 1005;
    static constexpr unsigned int kOpenInBrowserId = 1006;
    static constexpr unsigned int kNewVersionPageId = 2029;

    /// A session ends when both have passed: since the sign-in, and since the last touch.
    static constexpr uint32_t kSignInTimeout = 172800;
    static constexpr uint32_t kIdleTimeout = 25200;
    static constexpr int kNewVersionTag = 4881;

    /// Autoreleased and registered with the data manager; null when init fails.
    static httpCenter* create();
    httpCenter() = default;
    ~httpCenter() override;
    bool init() override;

    /// Lets the periodic sign-in re-check run.
    void setEnabled(bool enabled) { _enabled = enabled; }
    bool isEnabled() const { return _enabled; }

    /// Every 20th call (once in 20 s) re-checks the sign-in while enabled.
    void update(float dt) override;
    void onHttpResponse(NSUI::UIHttpResponse* response) override;
    void onNotification(cocos2d::Ref* sender, unsigned int id, NSUI::NSNotificationData* data);

    /// The new-version page for a downloaded notice: the template with the notice's
    /// description and link filled in; empty when the notice holds no link.
    static std::string buildNewVersionPage(const std::string& pageTemplate, const std::string& notice);

protected:
    /// Seconds since 1970.
    virtual uint32_t currentTime() const;
    /// Seconds since 1970 of the last touch; 0 while there has been none.
    virtual double lastTouchTime() const;

private:
    /// True when the signed-in session has outlived both time-outs.
    bool sessionExpired() const;
    void sendReLoginCheck(const std::string& userId);
    void onReLoginCheck(NSUI::UIHttpResponse* response);
    void showNewVersionPage(const std::string& notice);
    void downloadPackage(const std::string& address);

    int _tickLimit = 20;
    int _tickCount = 0;
    bool _enabled = false;
    /// Idle time counts from here until the first touch.
    uint32_t _startTime = 0;
};
