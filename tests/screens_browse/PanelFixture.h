#pragma once
// The panels' test ground: a running scene under the test clock, a fresh writable folder with
// the study store and DICOM service on a free receiver port, the layouts, pictures and
// language table of the build, and an injectable local network.

#include "store/StoreTestEnv.h"
#include "widgets/WidgetsFixture.h"

#include "AppConfig.h"
#include "dcmCallbacks.h"
#include "discovery/sniffer.h"
#include "net/dataService.h"
#include "db/dicomDB.h"
#include "hooks/ServiceHooks.h"
#include "ui/CocosGUI.h"

#include <memory>
#include <string>
#include <vector>

namespace paneltest {

/// One adapter with the given address, or none when it is empty.
class FixedNetwork : public NSUI::NetworkInfoProvider {
public:
    explicit FixedNetwork(std::string address) : _address(std::move(address)) {}
    std::string hostName() override { return "paneltest"; }
    std::vector<NSUI::NetworkAdapter> adapters() override
    {
        if (_address.empty())
            return {};
        return {{_address, "255.255.255.248"}};
    }

private:
    std::string _address;
};

class PanelFixture : public qptest::WidgetsFixture {
protected:
    void SetUp() override
    {
        WidgetsFixture::SetUp();
        cocos2d::FileUtils* files = cocos2d::FileUtils::getInstance();
        files->setWritablePath(_dir.path() + "/");
        files->setSearchPaths({qptest::sourceDir() + "/res/pad/", qptest::binaryDir() + "/"});
        // Kept for the whole test, as the launch keeps it.
        _config = AppConfig::getInstance();
        _config->retain();
        _config->loadLanguage();
        ASSERT_FALSE(AppConfig::getInstance()->getText("UnvalidIP").empty());
        useNetwork("127.0.0.2");
        dicomDB::setReceiverPort(nettest::freePort());
        NSUI::sniffer::setDefaultPort(nettest::freePort());
        // The notification centre delivers from its first tick on.
        NSUI::NSNotificationCenter::getInstance();
        input->frame(0.6f);
        dcmSDK::setLogCallback(&dataService::onDcmLog);
        dcmSDK::setMsgCallback(&dataService::onDcmMessage);
        service = dataService::getInstance();
        ASSERT_NE(service, nullptr);
        ASSERT_NE(service->getDB(), nullptr);
    }
    void TearDown() override
    {
        scene->removeAllChildren();
        ServiceHooks::showMessage() = nullptr;
        dataService::destroyInstance();
        NSUI::sniffer::shutdownInstance();
        NSUI::NetworkInfoProvider::setCurrent(nullptr);
        WidgetsFixture::TearDown();
        _config->release();
        cocos2d::FileUtils::getInstance()->setWritablePath("");
    }

    void useNetwork(const std::string& address)
    {
        NSUI::NetworkInfoProvider::setCurrent(std::make_shared<FixedNetwork>(address));
    }
    /// Runs frames until done() holds (the delivery of one notification takes one frame).
    bool frameUntil(const std::function<bool()>& done, double seconds = 60.0)
    {
        return storetest::pumpUntil(done, seconds);
    }
    /// The running scene's toast text, "" when none is shown.
    std::string toast() const
    {
        cocos2d::Node* box = scene->getChildByName("messageBox");
        auto* label = box ? dynamic_cast<cocos2d::ui::Text*>(box->getChildByNameDeep("messageBox.text")) : nullptr;
        return label && box->isVisible() ? label->getString() : std::string();
    }
    void hideToast() const
    {
        if (cocos2d::Node* box = scene->getChildByName("messageBox"))
            box->setVisible(false);
    }
    /// A click on a widget as the user would make it, at its centre.
    void click(cocos2d::Node* widget)
    {
        ASSERT_NE(widget, nullptr);
        const cocos2d::Vec2 at =
            widget->convertToWorldSpace(cocos2d::Vec2(widget->getContentSize().width / 2, widget->getContentSize().height / 2));
        input->touchBegan(0, at);
        input->touchEnded(0, at);
        input->frame();
    }
    static std::string label(cocos2d::Node* root, const char* name)
    {
        auto* text = root ? dynamic_cast<cocos2d::ui::Text*>(root->getChildByNameDeep(name)) : nullptr;
        return text ? text->getString() : "<none>";
    }
    /// Writes the scene to a PNG under the build folder (rendering tests only).
    std::string screenshotPath(const std::string& name) const
    {
        return qptest::binaryDir() + "/screenshots/" + name + ".png";
    }

    std::string scratch(const std::string& name) const
    {
        std::string path = _dir.path() + "/scratch/" + name;
        std::filesystem::create_directories(path);
        return path;
    }

    dataService* service = nullptr;

private:
    qptest::TempDir _dir;
    AppConfig* _config = nullptr;
};

} // namespace paneltest
