// Settings round trips through the Base64-encoded UserDefault store.

#include "lang/UILocalConfig.h"

#include "cocos2d.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using NSUI::UILocalConfig;

namespace {

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        cocos2d::UserDefault::destroyInstance();
        cocos2d::FileUtils::getInstance()->setWritablePath(dir.path());
    }
    void TearDown() override {
        cocos2d::UserDefault::destroyInstance();
        cocos2d::FileUtils::getInstance()->setWritablePath("");
    }
    static std::string raw(const std::string& key) {
        return cocos2d::UserDefault::getInstance()->getStringForKey(cocos2d::safeBase64Encode(key).c_str(),
                                                                    "<none>");
    }

    qptest::TempDir dir;
};

TEST_F(SettingsTest, StringsRoundTripEncoded) {
    EXPECT_EQ(UILocalConfig::getStringForKey("name", "fallback"), "fallback");
    UILocalConfig::setStringForKey("name", "Dr. Müller / CT");
    EXPECT_EQ(raw("name"), cocos2d::safeBase64Encode(std::string("Dr. Müller / CT")));
    EXPECT_EQ(UILocalConfig::getStringForKey("name", "fallback"), "Dr. Müller / CT");
    EXPECT_EQ(UILocalConfig::getStringForKey("", "fallback"), "fallback");

    // The value survives a reload of the settings file.
    cocos2d::UserDefault::destroyInstance();
    EXPECT_EQ(UILocalConfig::getStringForKey("name", ""), "Dr. Müller / CT");
}

TEST_F(SettingsTest, StoredEmptyValueBeatsTheDefault) {
    UILocalConfig::setStringForKey("empty", "");
    EXPECT_EQ(raw("empty"), "");
    EXPECT_EQ(UILocalConfig::getStringForKey("empty", "fallback"), "");
    cocos2d::UserDefault::destroyInstance();
    EXPECT_EQ(UILocalConfig::getStringForKey("empty", "fallback"), "");
}

TEST_F(SettingsTest, StoredValueEqualToTheEncodedDefaultStillDecodes) {
    UILocalConfig::setStringForKey("flag", "1");
    // "MQ==" is the Base64 text of "1": a default equal to the stored text must not win.
    EXPECT_EQ(UILocalConfig::getStringForKey("flag", "MQ=="), "1");
}

TEST_F(SettingsTest, IntegersAreStoredAsDecimalText) {
    UILocalConfig::setIntegerForKey("count", 42);
    EXPECT_EQ(raw("count"), cocos2d::safeBase64Encode(std::string("42")));
    EXPECT_EQ(UILocalConfig::getIntegerForKey("count", 7), 42);
    EXPECT_EQ(UILocalConfig::getIntegerForKey("missing", 7), 7);
    UILocalConfig::setIntegerForKey("negative", -3);
    EXPECT_EQ(UILocalConfig::getIntegerForKey("negative", 0), -3);
}

TEST_F(SettingsTest, UndecodableStoredValueReadsEmpty) {
    cocos2d::UserDefault::getInstance()->setStringForKey(
        cocos2d::safeBase64Encode(std::string("bad")).c_str(), "not*base64");
    EXPECT_EQ(UILocalConfig::getStringForKey("bad", "fallback"), "");
    EXPECT_EQ(UILocalConfig::getIntegerForKey("bad", 5), 0);
}

} // namespace
