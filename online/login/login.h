#pragma once
// The user account panel (sign in, register, change the password, set a recovery mail, sign
// out) and the sign-in state the rest of the program reads from the settings.

#include "base/UIControlBase.h"
#include "base/UIControlGenerater.h"
#include "cocos2d.h"
#include "http/UIHttpPhisical.h"
#include "json/UIJson.h"
#include "lang/UILocalConfig.h"

#include <cstdint>
#include <string>

namespace NSUI {
class NSActivity;
class NSTextField;
}
namespace cocos2d::ui {
class Button;
}

/// Main thread only (the settings belong to it), except `getLoginState`, which discovery's
/// receive thread also calls: the settings store is locked. A password is sent to the server
/// and never kept: not in the settings and not in a log line.
class login : public cocos2d::Node,
              public NSUI::UIControlGenerater,
              public NSUI::UILocalConfig,
              public NSUI::UIControlBase,
              public NSUI::UIJson,
              public NSUI::UIHttpPhisical {
public:
    /// Posted with int 1 after a sign-in and -1 after a sign-out, without object.
    static constexpr unsigned int kLoginChangedId = 2031;
    enum Page { kSignInPage = 0, kAccountPage = 1, kChangePasswordPage = 2, kRegisterPage = 3, kSetMailPage = 4 };
    static constexpr const char* kPanelName = "login_view";
    static constexpr const char* kLayoutFile = "login.csb";
    /// Marks the rows and buttons a page adds, so the next page removes them.
    static constexpr int kPageNodeTag = 7310;

    /// A new panel in a touch-swallowing window added to parent, showing the account page when
    /// signed in, else the sign-in page; in the phone layout the panel's own scene is pushed
    /// instead. Null when the panel cannot be made.
    static login* show(cocos2d::Node* parent);
    static login* create();

    bool init() override;
    void cleanup() override;
    /// The return key and "goBack": a sub-page goes back to the start page, the start page
    /// closes the panel.
    bool onResponseReturn() override;
    void setupButtons();
    /// Closes the panel: pops its scene, or removes its window (or itself).
    void close();
    /// Whether the panel lives in a scene of its own, which closing pops.
    void setInScene(bool inScene) { _inScene = inScene; }

    void showStartPage();
    void showLoginPage();
    void showAccountPage();
    void showChangePasswordPage();
    void showRegisterPage();
    void showSetMailPage();

    // ---- What the user does ------------------------------------------------------------

    void onButtonClicked(cocos2d::Ref* sender);

    // ---- What the server answers -------------------------------------------------------

    void onHttpResponse(NSUI::UIHttpResponse* response) override;

    int getPage() const { return _page; }
    cocos2d::Node* getLayout() const { return _layout; }
    /// Whether a verification code has come from the server since the panel opened.
    bool hasReceivedCode() const { return _codeReceived; }

    // ---- The sign-in state, for the services -------------------------------------------

    /// "app_logined" ("1" while signed in) and "app_login_id", each "0" when not stored.
    static void getLoginState(std::string& logined, std::string& userId);
    /// Seconds since 1970 of the last sign-in: "app_login_timestamp", or now when it was never
    /// stored. Read once and kept for the process.
    static uint32_t getLoginTimestamp();
    /// Keeps the moment of a new sign-in (the settings are the caller's to write).
    static void setLoginTimestamp(uint32_t seconds);
    /// Announces the sign-out (queued, no sender) and stores "app_logined" as "0"; the
    /// settings file is written at the next flush.
    static void logout();

protected:
    login() = default;
    /// Lets go of the busy overlay when the panel goes without its clean-up.
    ~login() override;

private:
    // Page building (loginPages.cpp).
    /// Removes the previous page's nodes and measures the rows; false when the layout lacks
    /// one of the widgets the pages are built on.
    bool beginPage(int page);
    NSUI::NSTextField* addRow(int row, const char* name, const char* placeholder, bool masked,
                              bool withCodeButton = false);
    cocos2d::ui::Button* addPageButton(const char* name, const std::string& title, float fontSize);
    void addNicknameLabel();
    void setButtonState(const char* name, bool visible, const std::string& title = "");
    void fitBackground();
    static bool isSignedIn();

    // Requests.
    void requestSignIn();
    void signOut();
    void requestPasswordChange();
    void requestRegister();
    void requestSetMail();
    /// The verification code and the password mail: requests that carry only the typed mail.
    void requestForMail(const char* path, const char* tag);
    void showPrivacyPolicy();
    void send(const char* path, const std::string& json, const char* tag, bool busy);
    std::string fieldText(const char* name, bool trimmed = true) const;
    void toast(const std::string& text);
    void toastKey(const char* key);
    void hideBusy();

    // Replies.
    void onSignInReply(const std::string& reply);

    cocos2d::Node* _layout = nullptr;
    int _page = kSignInPage;
    bool _inScene = false;
    /// The last verification code the server sent; compared only once _codeReceived is set.
    std::string _expectedCode;
    bool _codeReceived = false;
    /// The busy overlay this panel showed for one of its requests (retained), else null.
    NSUI::NSActivity* _busyOverlay = nullptr;
    int _rowHeight = 0;
    int _fieldFontSize = 0;
};
