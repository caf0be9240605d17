// First-run and upgrade bookkeeping of the configuration, and its language table.

#include "AppConfig.h"

#include "lang/UILocalConfig.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

using NSUI::UILocalConfig;

namespace {

class AppConfigTest : public ::testing::Test {
protected:
    void SetUp() override {
        cocos2d::UserDefault::destroyInstance();
        cocos2d::FileUtils::getInstance()->setWritablePath(dir.path());
    }
    void TearDown() override {
        releaseConfig();
        cocos2d::UserDefault::destroyInstance();
        cocos2d::FileUtils::getInstance()->setWritablePath("");
    }

    // A fresh configuration, as a new launch makes it.
    AppConfig* launch() {
        releaseConfig();
        config = AppConfig::getInstance();
        config->retain();
        cocos2d::PoolManager::getInstance()->getCurrentPool()->clear();
        return config;
    }
    void releaseConfig() {
        if (config)
            config->release();
        config = nullptr;
    }

    qptest::TempDir dir;
    AppConfig* config = nullptr;
};

TEST_F(AppConfigTest, FirstRunWritesVersionInstallTimeAndInitFlag) {
    launch();
    EXPECT_EQ(UILocalConfig::getStringForKey("app_current_version", ""), "1.4");
    std::string installed = UILocalConfig::getStringForKey("app_install_time", "");
    EXPECT_EQ(installed.size(), 19u) << installed;
    EXPECT_EQ(UILocalConfig::getStringForKey("app_init_db", ""), "1");
    EXPECT_FALSE(config->phoneLayout);
    EXPECT_EQ(config->style.fontSize[0], 60);
    EXPECT_EQ(config->style.colors[4], cocos2d::Color3B(0, 187, 253));
}

TEST_F(AppConfigTest, UpgradeRewritesOnlyTheVersion) {
    UILocalConfig::setStringForKey("app_current_version", "1.3");
    UILocalConfig::setStringForKey("app_install_time", "2020-01-02 03:04:05");
    UILocalConfig::setStringForKey("app_init_db", "0");
    launch();
    EXPECT_EQ(UILocalConfig::getStringForKey("app_current_version", ""), "1.4");
    EXPECT_EQ(UILocalConfig::getStringForKey("app_install_time", ""), "2020-01-02 03:04:05");
    EXPECT_EQ(UILocalConfig::getStringForKey("app_init_db", ""), "0");
}

TEST_F(AppConfigTest, IdentifierIsMadeOnceAndKept) {
    launch();
    std::string made = config->getAppIdentifier();
    ASSERT_FALSE(made.empty());
    EXPECT_EQ(made.find_first_not_of("0123456789"), std::string::npos) << made;
    EXPECT_LE(std::stoull(made), 0xffffffffULL);
    EXPECT_EQ(UILocalConfig::getStringForKey("app_identifier", ""), made);
    EXPECT_EQ(launch()->getAppIdentifier(), made);

    UILocalConfig::setStringForKey("app_identifier", "not-a-number");
    EXPECT_EQ(launch()->getAppIdentifier(), "not-a-number");
}

TEST_F(AppConfigTest, BuiltLanguageTableIsPublishedUntilTheConfigurationGoes) {
    cocos2d::FileUtils::getInstance()->addSearchPath(QP_BINARY_DIR);
    launch();
    config->languageType = 8; // no Korean table: English serves
    config->loadLanguage();
    std::string text = config->getText("failed_loadSeries");
    EXPECT_FALSE(text.empty());
    EXPECT_EQ(UILocalConfig::getLanguageString("failed_loadSeries"), text);
    EXPECT_EQ(config->getText("no_such_key"), "");
    releaseConfig();
    EXPECT_EQ(UILocalConfig::getLanguageString("failed_loadSeries"), "");
}

} // namespace
