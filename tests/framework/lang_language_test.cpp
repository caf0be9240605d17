// Loading the language tables: encodings, language choice and fallbacks, published look-ups.

#include "lang/NSLanguage.h"
#include "lang/UILocalConfig.h"

#include "cocos2d.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

using NSUI::NSLanguage;

namespace {

std::string plist(const std::string& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>" + body +
           "</dict></plist>\n";
}

const std::string kTables =
    plist("<key>english</key><dict><key>ok</key><string>OK</string><key>title</key><string>Patients</string>"
          "<key>count</key><integer>3</integer><key>beta</key><true/><key>list</key><array/></dict>"
          "<key>chinese</key><dict><key>ok</key><string>确定</string></dict>"
          "<key>german</key><string>not a table</string>");

class LanguageTest : public ::testing::Test {
protected:
    // Loads a language file with the given contents for a language type.
    void load(NSLanguage& language, const std::string& contents, int type) {
        ASSERT_TRUE(qptest::writeFile(dir.file("language.dat"), contents));
        language.setFileName(dir.file("language.dat"));
        language.loadLanguage(type);
    }
    void TearDown() override { NSLanguage::publish(nullptr); }

    qptest::TempDir dir;
};

TEST_F(LanguageTest, Base64FileChoosesTheSystemLanguage) {
    NSLanguage language;
    load(language, cocos2d::safeBase64Encode(kTables), 1);
    ASSERT_TRUE(language.isLoaded());
    EXPECT_EQ(language.getString("ok"), "确定");
    EXPECT_EQ(language.getString("title"), "") << "no merging with english for a present table";
    EXPECT_EQ(language.getString(""), "");
}

TEST_F(LanguageTest, MissingOrBrokenTableFallsBackToEnglish) {
    NSLanguage korean; // no "korean" table
    load(korean, cocos2d::safeBase64Encode(kTables), 8);
    EXPECT_EQ(korean.getString("ok"), "OK");
    EXPECT_EQ(korean.getString("count"), "3") << "numbers and booleans read as texts";
    EXPECT_EQ(korean.getString("beta"), "true");
    EXPECT_EQ(korean.getString("list"), "") << "containers are not texts";

    NSLanguage german; // "german" is not a dictionary
    load(german, cocos2d::safeBase64Encode(kTables), 4);
    EXPECT_EQ(german.getString("title"), "Patients");

    NSLanguage outOfRange;
    load(outOfRange, cocos2d::safeBase64Encode(kTables), 19);
    EXPECT_EQ(outOfRange.getString("ok"), "OK");
    EXPECT_STREQ(NSLanguage::languageName(-1), "english");
    EXPECT_STREQ(NSLanguage::languageName(18), "bulgarian");
}

TEST_F(LanguageTest, PlainPropertyListIsAccepted) {
    NSLanguage language;
    load(language, kTables, 0);
    EXPECT_EQ(language.getString("title"), "Patients");
}

TEST_F(LanguageTest, UnreadableFileLeavesLookupsEmpty) {
    NSLanguage garbage;
    load(garbage, "this is neither Base64 nor a property list", 0);
    EXPECT_FALSE(garbage.isLoaded());
    EXPECT_EQ(garbage.getString("ok"), "");

    NSLanguage missing;
    missing.setFileName(dir.file("nowhere.dat"));
    missing.loadLanguage(0);
    EXPECT_EQ(missing.getString("ok"), "");
    NSLanguage::publish(&missing);
    EXPECT_EQ(NSUI::UILocalConfig::getLanguageString("ok"), "");
}

TEST_F(LanguageTest, PublishedTableAnswersFromAnyThreadAndOutlivesItsOwner) {
    EXPECT_EQ(NSUI::UILocalConfig::getLanguageString("ok"), "");
    auto* language = new NSLanguage();
    load(*language, cocos2d::safeBase64Encode(kTables), 0);
    NSLanguage::publish(language);
    EXPECT_EQ(NSUI::UILocalConfig::getLanguageString(std::string("title")), "Patients");

    std::atomic<int> mismatches{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 2000; ++i) {
                std::string a = NSUI::UILocalConfig::getLanguageString("ok");
                std::string b = language->getString("title");
                if ((!a.empty() && a != "OK") || b != "Patients")
                    ++mismatches;
            }
        });
    }
    // Withdrawing the table while others read is allowed; they then read "".
    NSLanguage::publish(nullptr);
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(mismatches, 0);
    delete language;
    EXPECT_EQ(NSUI::UILocalConfig::getLanguageString("ok"), "");
}

// A widget kind of its own with its applier, as a widget library registers one.
class Label : public cocos2d::Node {
public:
    static Label* make(const std::string& name, const std::string& text) {
        Label* label = new Label();
        label->init();
        label->setName(name);
        label->text = text;
        label->autorelease();
        return label;
    }
    std::string text;
};

TEST_F(LanguageTest, ApplyTextSetsWidgetsByPrefixAndName) {
    static bool registered = false;
    if (!registered) {
        registered = true;
        NSLanguage::addTextApplier([](cocos2d::Node* node, const std::string& text) {
            auto* label = dynamic_cast<Label*>(node);
            if (label)
                label->text = text;
            return label != nullptr;
        });
    }
    NSLanguage language;
    load(language,
         cocos2d::safeBase64Encode(
             plist("<key>english</key><dict><key>login.title</key><string>Sign in</string>"
                   "<key>login.ok</key><string>OK</string><key>ok</key><string>unprefixed</string></dict>")),
         0);

    cocos2d::Node* root = cocos2d::Node::create();
    cocos2d::Node* panel = cocos2d::Node::create(); // a plain node is descended into
    panel->setName("panel");
    Label* title = Label::make("title", "layout text");
    Label* ok = Label::make("ok", "layout ok");
    Label* missing = Label::make("cancel", "layout cancel");
    cocos2d::ui::Text* heading = cocos2d::ui::Text::create();
    heading->setName("title");
    heading->setString("layout heading");
    cocos2d::ui::Button* button = cocos2d::ui::Button::create();
    button->setName("ok");
    button->setTitleText("layout button");
    cocos2d::ui::Text* untranslated = cocos2d::ui::Text::create();
    untranslated->setName("cancel");
    untranslated->setString("layout cancel");
    root->addChild(title);
    root->addChild(panel);
    panel->addChild(ok);
    panel->addChild(missing);
    panel->addChild(heading);
    panel->addChild(button);
    panel->addChild(untranslated);

    language.applyText(root, "login.");
    EXPECT_EQ(title->text, "Sign in");
    EXPECT_EQ(ok->text, "OK");
    EXPECT_EQ(missing->text, "layout cancel");
    EXPECT_EQ(heading->getString(), "Sign in");
    EXPECT_EQ(button->getTitleText(), "OK");
    EXPECT_EQ(untranslated->getString(), "layout cancel");
    cocos2d::PoolManager::getInstance()->getCurrentPool()->clear();
}

} // namespace
