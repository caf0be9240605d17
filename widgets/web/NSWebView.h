#pragma once
// Stands for an embedded web page over the whole window. Pages hand actions to the program by
// navigating to fixed local command addresses. This platform has no web view: the node shows
// nothing, loads nothing and never sees a navigation, but keeps its interface for the screens.

#include <string>

#include "cocos2d.h"

namespace NSUI {

class NSWebView : public cocos2d::Node {
public:
    static NSWebView* create();
    bool init() override;
    void onEnterTransitionDidFinish() override;

    /// Opens an address in the platform's web view: nothing on this platform.
    static void openURL(const std::string& address);

    virtual bool isShown() const { return isVisible(); }
    /// Called with the address a page navigates to; true when handled. Never called here.
    virtual bool onCommandURL(const std::string& address);

    const std::string& getURL() const { return pageAddress; }
    bool isFirstEnter() const { return firstEnter; }
    int getRequestTag() const { return requestTag; }

    const std::string& retryURL() const { return commandRetry; }
    const std::string& backToMainURL() const { return commandBackToMain; }
    const std::string& removeURL() const { return commandRemove; }
    const std::string& updatePackageURL() const { return commandUpdatePackage; }
    const std::string& openURLCommand() const { return commandOpenUrl; }

protected:
    NSWebView() = default;

    std::string pageAddress;
    std::string commandRetry;
    std::string commandBackToMain;
    std::string commandRemove;
    std::string commandUpdatePackage;
    std::string commandOpenUrl;
    int requestTag = -1;
    bool firstEnter = true;
};

} // namespace NSUI
