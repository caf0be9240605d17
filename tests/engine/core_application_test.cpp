// The application object's language choice, address opening and main loop.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <sys/stat.h>
#include <thread>

#include "support/TestSupport.h"

#include "cocos2d.h"

using namespace cocos2d;

namespace {

class CountingApp : public Application {
public:
    bool applicationDidFinishLaunching() override
    {
        ++launched;
        Director::getInstance()->getScheduler()->schedule(
            [this](float) {
                if (++frames == 3) Director::getInstance()->end();
            },
            this, 0, false, "quit");
        return launchResult;
    }
    void applicationDidEnterBackground() override {}
    void applicationWillEnterForeground() override {}
    void applicationWillTerminate() override { ++terminated; }
    int launched = 0, terminated = 0, frames = 0;
    bool launchResult = true;
};

} // namespace

TEST(ApplicationLanguage, LocaleNamesMapToTheNineteenLanguages)
{
    EXPECT_EQ(LanguageType::GERMAN, Application::languageFromLocale("de_DE.UTF-8"));
    EXPECT_EQ(LanguageType::CHINESE, Application::languageFromLocale("zh_CN.GB2312"));
    EXPECT_EQ(LanguageType::JAPANESE, Application::languageFromLocale("ja"));
    EXPECT_EQ(LanguageType::NORWEGIAN, Application::languageFromLocale("nb_NO.UTF-8"));
    EXPECT_EQ(LanguageType::UKRAINIAN, Application::languageFromLocale("uk_UA@euro"));
    EXPECT_EQ(LanguageType::BULGARIAN, Application::languageFromLocale("BG_bg"));
    EXPECT_EQ(18, static_cast<int>(LanguageType::BULGARIAN));
    EXPECT_EQ(LanguageType::ENGLISH, Application::languageFromLocale("C.UTF-8"));
    EXPECT_EQ(LanguageType::ENGLISH, Application::languageFromLocale("POSIX"));
    EXPECT_EQ(LanguageType::ENGLISH, Application::languageFromLocale(""));
    EXPECT_EQ(LanguageType::ENGLISH, Application::languageFromLocale("sv_SE"));
}

TEST(ApplicationLanguage, EnvironmentPrecedence)
{
    CountingApp app;
    setenv("LC_ALL", "fr_FR.UTF-8", 1);
    setenv("LANG", "ru_RU.UTF-8", 1);
    EXPECT_EQ(LanguageType::FRENCH, app.getCurrentLanguage());
    EXPECT_STREQ("fr", app.getCurrentLanguageCode());
    unsetenv("LC_ALL");
    unsetenv("LC_MESSAGES");
    EXPECT_EQ(LanguageType::RUSSIAN, app.getCurrentLanguage());
    unsetenv("LANG");
    EXPECT_EQ(LanguageType::ENGLISH, app.getCurrentLanguage());
    EXPECT_STREQ("en", app.getCurrentLanguageCode());
}

TEST(ApplicationUrl, AddressesThatLookLikeOptionsAreRefused)
{
    CountingApp app;
    EXPECT_FALSE(app.openURL(""));
    EXPECT_FALSE(app.openURL("--help"));
}

TEST(ApplicationUrl, TheAddressReachesTheBrowserAsOneArgumentWithoutAShell)
{
    // A stand-in xdg-open that records its arguments, first on the PATH.
    qptest::TempDir dir;
    std::string script = dir.file("xdg-open");
    ASSERT_TRUE(qptest::writeFile(script, "#!/bin/sh\nprintf '%s|' \"$#\" \"$@\" > \"$(dirname \"$0\")/args.txt\"\n"));
    chmod(script.c_str(), 0755);
    std::string oldPath = getenv("PATH") ? getenv("PATH") : "";
    setenv("PATH", (dir.path() + ":" + oldPath).c_str(), 1);
    CountingApp app;
    std::string url = "http://example.invalid/a b;touch $(echo pwned)&x=`id`";
    EXPECT_TRUE(app.openURL(url));
    setenv("PATH", oldPath.c_str(), 1);
    std::string args;
    for (int i = 0; i < 1000 && args.empty(); ++i) { // up to 10 s on a busy machine
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        args = qptest::readFile(dir.file("args.txt"));
    }
    EXPECT_EQ("1|" + url + "|", args);
    EXPECT_FALSE(FileUtils::getInstance()->isFileExist(dir.file("pwned")));
}

TEST(ApplicationLoop, RunsLaunchFramesAndTerminate)
{
    Director::getInstance()->reset();
    CountingApp app;
    EXPECT_EQ(&app, Application::getInstance());
    EXPECT_EQ(0, app.run());
    EXPECT_EQ(1, app.launched);
    EXPECT_EQ(3, app.frames);
    EXPECT_EQ(1, app.terminated);
    Director::getInstance()->reset();

    CountingApp failing;
    failing.launchResult = false;
    EXPECT_EQ(1, failing.run());
    EXPECT_EQ(0, failing.terminated);
    Director::getInstance()->reset();
}
