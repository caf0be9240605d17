#pragma once
// The feedback page: a local web page, shown in a scene of its own, in which the user writes
// to the makers; a link on it can ask for the application package.

#include "web/NSWebView.h"

#include <string>

class advice : public NSUI::NSWebView {
public:
    /// Posted with the package address the page asks for, without object.
    static constexpr unsigned int kPackageRequestId = 2025;
    static constexpr const char* kPageFile = "pay/advice.htm";
    /// Under the writable path: the scripts the page loads.
    static constexpr const char* kScriptsFolder = "qp/tmp/res/js";

    /// A new scene (autoreleased) titled "Advice" with the page below its title bar.
    static cocos2d::Scene* createScene();
    static advice* create();

    bool init() override;
    /// Loads the page, every time the scene has come in.
    void onEnterTransitionDidFinish() override;
    /// The web view's hook for a navigation.
    bool onCommandURL(const std::string& address) override;
    /// A navigation to the package address, followed by one separator and the Base64 text of
    /// the address to fetch, hands that address to the HTTP service and removes the page.
    /// Always false: the web view goes on as it would.
    bool onUrlIntercepted(const std::string& address);

    const std::string& interceptedAddress() const { return _intercepted; }

protected:
    advice() = default;

private:
    std::string _intercepted;
};
