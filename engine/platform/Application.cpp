#include "platform/Application.h"

#include <algorithm>
#include <cstdlib>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

#include "base/Director.h"
#include "base/ccLog.h"
#include "platform/GLView.h"

extern char** environ;

namespace cocos2d {

Application* Application::s_sharedApplication = nullptr;

namespace {

struct LanguageCode {
    const char* code;
    LanguageType type;
};

const LanguageCode kLanguages[] = {
    {"en", LanguageType::ENGLISH},   {"zh", LanguageType::CHINESE},    {"fr", LanguageType::FRENCH},
    {"it", LanguageType::ITALIAN},   {"de", LanguageType::GERMAN},     {"es", LanguageType::SPANISH},
    {"nl", LanguageType::DUTCH},     {"ru", LanguageType::RUSSIAN},    {"ko", LanguageType::KOREAN},
    {"ja", LanguageType::JAPANESE},  {"hu", LanguageType::HUNGARIAN},  {"pt", LanguageType::PORTUGUESE},
    {"ar", LanguageType::ARABIC},    {"nb", LanguageType::NORWEGIAN},  {"nn", LanguageType::NORWEGIAN},
    {"no", LanguageType::NORWEGIAN}, {"pl", LanguageType::POLISH},     {"tr", LanguageType::TURKISH},
    {"uk", LanguageType::UKRAINIAN}, {"ro", LanguageType::ROMANIAN},   {"bg", LanguageType::BULGARIAN},
};

std::string localeText()
{
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* v = getenv(name);
        if (v && *v) {
            return v;
        }
    }
    return std::string();
}

std::string languagePart(const std::string& locale)
{
    size_t end = locale.find_first_of("_.@-");
    std::string code = locale.substr(0, end);
    for (char& c : code) {
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    }
    return code;
}

} // namespace

Application::Application()
{
    if (s_sharedApplication) {
        log("Application: a second application object replaces the first");
    }
    s_sharedApplication = this;
}

Application::~Application()
{
    if (s_sharedApplication == this) {
        s_sharedApplication = nullptr;
    }
}

Application* Application::getInstance()
{
    return s_sharedApplication;
}

void Application::setAnimationInterval(float interval)
{
    if (interval > 0.0f) {
        _animationInterval = interval;
        Director::getInstance()->setAnimationInterval(interval);
    }
}

int Application::run()
{
    initGLContextAttrs();
    if (!applicationDidFinishLaunching()) {
        return 1;
    }
    Director* director = Director::getInstance();
    while (!loopShouldEnd()) {
        double start = director->now();
        director->mainLoop();
        if (GLView* view = director->getOpenGLView()) {
            view->pollEvents();
        }
        waitForNextFrame(start);
    }
    applicationWillTerminate();
    return 0;
}

bool Application::loopShouldEnd()
{
    Director* director = Director::getInstance();
    GLView* view = director->getOpenGLView();
    return director->isEnding() || (view && view->windowShouldClose());
}

void Application::waitForNextFrame(double frameStart)
{
    // Frames that draw are never closer than the animation interval. Beyond that the loop
    // sleeps until the scheduler's next timer, input or another thread brings work; it looks
    // again now and then, so that a close asked for by a signal is seen.
    constexpr double kLongestWait = 0.25;
    Director* director = Director::getInstance();
    while (!loopShouldEnd()) {
        double left = director->getNextFrameTime(frameStart) - director->now();
        if (left <= 0.0) {
            return;
        }
        director->waitForWork(std::min(left, kLongestWait));
    }
}

LanguageType Application::languageFromLocale(const std::string& locale)
{
    std::string code = languagePart(locale);
    for (const auto& entry : kLanguages) {
        if (code == entry.code) {
            return entry.type;
        }
    }
    return LanguageType::ENGLISH;
}

LanguageType Application::getCurrentLanguage()
{
    return languageFromLocale(localeText());
}

const char* Application::getCurrentLanguageCode()
{
    _languageCode = languagePart(localeText());
    if (_languageCode.size() < 2 || _languageCode == "c" || _languageCode == "posix") {
        _languageCode = "en";
    }
    return _languageCode.c_str();
}

bool Application::openURL(const std::string& url)
{
    // A leading '-' would be read as an option of xdg-open.
    if (url.empty() || url[0] == '-' || url.find('\0') != std::string::npos) {
        log("Application::openURL: refusing address '%s'", url.c_str());
        return false;
    }
    std::string program = "xdg-open";
    char* argv[] = {&program[0], const_cast<char*>(url.c_str()), nullptr};
    pid_t pid = 0;
    int rc = posix_spawnp(&pid, "xdg-open", nullptr, nullptr, argv, environ);
    if (rc != 0) {
        log("Application::openURL: cannot start xdg-open for %s", url.c_str());
        return false;
    }
    // Reap the child so that it does not linger as a zombie.
    std::thread([pid] {
        int status = 0;
        waitpid(pid, &status, 0);
    }).detach();
    return true;
}

} // namespace cocos2d
