#pragma once
// The application-wide configuration: version, window sizes, UI style, layout flag, installation
// identifier, language type and table, and the server base address.

#include "AppStyle.h"
#include "cocos2d.h"
#include "lang/NSLanguage.h"

#include <string>

class AppConfig : public cocos2d::Ref {
public:
    /// Constructs and initialises the configuration on first use (autoreleased; the launch
    /// retains it).
    static AppConfig* getInstance();

    virtual ~AppConfig();
    /// Fills the style and does the version and identifier bookkeeping in the settings store.
    virtual bool init();

    static std::string getVersion();
    static std::string getServerURL();
    static void setServerURL(const std::string& url);

    cocos2d::Size& getFrameSize() { return frameSize; }
    const cocos2d::Size& getWinSize() const { return winSize; }
    void setWinSize(const cocos2d::Size& size);
    /// The window size stored by the last setWinSize of any configuration; zero before.
    static cocos2d::Size getGlobalWinSize();

    std::string getAppIdentifier() const { return appIdentifier; }

    /// Loads "language.dat" and makes its table the one every look-up reads.
    void loadLanguage();
    std::string getText(const std::string& key) const;
    /// Localises the widgets under root by their names (see NSLanguage::applyText).
    void applyText(cocos2d::Node* root, const std::string& prefix = "") const;

    cocos2d::Size winSize{960, 640};
    cocos2d::Size frameSize{960, 640};
    AppStyle style;
    /// Always false: screens use the desktop layout (dialogs open as layers over the screen).
    bool phoneLayout = false;
    std::string appIdentifier;
    int languageType = 0;

    static constexpr const char* kVersion = "1.4";
    /// The phone layout's own layouts, named by this folder. Where a phone screen and a desktop
    /// screen use one layout name, the phone's file here keeps both reachable under the flag.
    static constexpr const char* kPhoneLayouts = "res/phone/";

private:
    AppConfig();

    NSUI::NSLanguage _language;
};
