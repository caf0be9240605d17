#pragma once
// The account panel's test ground: the loopback service, the layouts, pictures and language
// table of the build, signed-out settings, and the sign-in announcements collected.

#include "OnlineFixture.h"

#include "lang/UILocalConfig.h"
#include "login/login.h"
#include "notify/NSNotificationData.h"
#include "text/NSTextField.h"
#include "ui/CocosGUI.h"

#include <string>
#include <vector>

namespace qptest {

class LoginFixture : public OnlineFixture {
protected:
    void SetUp() override {
        OnlineFixture::SetUp();
        cocos2d::FileUtils* files = cocos2d::FileUtils::getInstance();
        files->addSearchPath(std::string(QP_SOURCE_DIR) + "/res/layout");
        files->addSearchPath(std::string(QP_SOURCE_DIR) + "/res/pad");
        files->addSearchPath(QP_BINARY_DIR);
        config = AppConfig::getInstance();
        config->retain();
        config->loadLanguage();
        // Made after the fixture pointed the services at the test server: point them again.
        AppConfig::setServerURL(server.baseURL());
        ASSERT_FALSE(text("login_vcode_wrong").empty());
        for (const char* key : {"app_login_id", "app_login_nickname", "app_login_string"})
            NSUI::UILocalConfig::setStringForKey(key, "");
        NSUI::UILocalConfig::setStringForKey("app_logined", "0");
        userId = server.addAccount("ana", "secret1", "ana@example.org");
        NSUI::NSNotificationCenter::getInstance()->addObserver(
            this, nullptr, [this](cocos2d::Ref*, unsigned int, NSUI::NSNotificationData* data) { changes.push_back(data->intValue); },
            login::kLoginChangedId);
    }
    void TearDown() override {
        NSUI::NSNotificationCenter::getInstance()->removeObserver(this);
        if (panel)
            panel->release();
        scene->removeAllChildren();
        config->release();
        OnlineFixture::TearDown();
    }

    void open() {
        if (panel)
            panel->release();
        panel = login::show(scene);
        ASSERT_NE(nullptr, panel);
        panel->retain();
        input->frame();
    }
    static std::string text(const char* key) { return NSUI::UILocalConfig::getLanguageString(key); }
    void type(const char* field, const std::string& value) {
        auto* node = dynamic_cast<NSUI::NSTextField*>(panel->getLayout()->getChildByName(field));
        ASSERT_NE(nullptr, node) << field;
        node->setString(value);
    }
    /// A click as the user makes it, then one frame.
    void click(const char* name) {
        press(name);
        input->frame();
    }
    /// The click alone: what it starts has not had a frame yet.
    void press(const char* name) {
        cocos2d::Node* button = panel->getLayout()->getChildByName(name);
        ASSERT_NE(nullptr, button) << name;
        ASSERT_TRUE(button->isVisible()) << name;
        cocos2d::Vec2 at = button->convertToWorldSpace(cocos2d::Vec2(button->getContentSize().width / 2, button->getContentSize().height / 2));
        hideToast();
        input->touchBegan(0, at);
        input->touchEnded(0, at);
    }
    std::string toast() const {
        cocos2d::Node* box = scene->getChildByName(NSUI::UIControlBase::kMessageBoxName);
        auto* label = box ? dynamic_cast<cocos2d::ui::Text*>(box->getChildByNameDeep(NSUI::UIControlBase::kMessageTextName)) : nullptr;
        return label && box->isVisible() ? label->getString() : std::string();
    }
    void hideToast() const {
        if (cocos2d::Node* box = scene->getChildByName(NSUI::UIControlBase::kMessageBoxName))
            box->setVisible(false);
    }
    /// Clicks and waits for the toast that the reply brings.
    std::string clickAndWaitForToast(const char* name) {
        click(name);
        runUntil([&] { return !toast().empty(); });
        return toast();
    }
    static std::string setting(const char* key) { return NSUI::UILocalConfig::getStringForKey(key, "<none>"); }

    AppConfig* config = nullptr;
    login* panel = nullptr;
    std::string userId;
    std::vector<int> changes;
};

} // namespace qptest
