#pragma once
// Base of the program's application object: the lifecycle hooks the engine calls, the main
// loop, the system language and opening addresses in the desktop's browser.

#include <string>

namespace cocos2d {

/// The interface languages, in the order the language tables use.
enum class LanguageType {
    ENGLISH = 0,
    CHINESE,
    FRENCH,
    ITALIAN,
    GERMAN,
    SPANISH,
    DUTCH,
    RUSSIAN,
    KOREAN,
    JAPANESE,
    HUNGARIAN,
    PORTUGUESE,
    ARABIC,
    NORWEGIAN,
    POLISH,
    TURKISH,
    UKRAINIAN,
    ROMANIAN,
    BULGARIAN
};

class Application {
public:
    enum class Platform { OS_WINDOWS, OS_LINUX, OS_MAC, OS_ANDROID, OS_IPHONE, OS_IPAD };

    /// The one application object; registers itself as the instance.
    Application();
    virtual ~Application();
    static Application* getInstance();

    /// Called once the engine is up; false ends the program.
    virtual bool applicationDidFinishLaunching() = 0;
    /// The window was minimised or lost the foreground.
    virtual void applicationDidEnterBackground() = 0;
    /// The window came back.
    virtual void applicationWillEnterForeground() = 0;
    /// Called once when the program shuts down, before the loop returns.
    virtual void applicationWillTerminate() {}
    /// Sets the context attributes before the window is created.
    virtual void initGLContextAttrs() {}
    /// A file or folder was handed to the program (dropped on the window or given at start).
    virtual void applicationOpenPath(const char* path) { (void)path; }

    virtual void setAnimationInterval(float interval);
    /// Runs the launch hook, then frames until the director ends (or the window closes), then
    /// the terminate hook. Returns the exit code. Frames come at most at the animation
    /// interval, and only while there is work: between them the loop sleeps until a timer is
    /// due, input arrives or another thread asks for the main thread.
    int run();

    /// The language of the user's locale (LC_ALL, LC_MESSAGES, then LANG); English otherwise.
    virtual LanguageType getCurrentLanguage();
    /// The two-letter code of the locale's language ("en" when none is set).
    virtual const char* getCurrentLanguageCode();
    virtual Platform getTargetPlatform() { return Platform::OS_LINUX; }
    virtual std::string getVersion() { return std::string(); }
    /// Hands the address to xdg-open (no shell); false when it cannot be started.
    virtual bool openURL(const std::string& url);

    /// The language for a locale text such as "de_DE.UTF-8" (exposed for tests).
    static LanguageType languageFromLocale(const std::string& locale);

protected:
    static bool loopShouldEnd();
    /// Returns when the next frame is due (see run).
    static void waitForNextFrame(double frameStart);

    static Application* s_sharedApplication;
    float _animationInterval = 1.0f / 60.0f;
    std::string _languageCode;
};

} // namespace cocos2d
