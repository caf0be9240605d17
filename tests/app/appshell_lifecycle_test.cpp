// The application object's launch, background, foreground, opened paths and shutdown, driven
// headless with a recording double in place of the upper subsystems' services.

#include <gtest/gtest.h>

#include "AppConfig.h"
#include "AppDelegate.h"
#include "AppServices.h"
#include "data/NSDataManager.h"
#include "lang/UILocalConfig.h"
#include "notify/NSNotificationCenter.h"
#include "support/TestSupport.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

using namespace cocos2d;

namespace {

/// Records every call in order, with a few facts about the engine and framework at the time.
class RecordingServices : public AppServices {
public:
    std::vector<std::string> calls;
    Rect workArea{0, 0, 1280, 800};
    Rect windowRect;
    int windowsMade = 0;
    Scene* scene = nullptr;
    bool autoUpdateAtHttpStart = false;
    std::string languageAtFirstScene;
    std::string languageAtStatisticsStop = "unset";

    void createSharedRegistries() override { calls.push_back("createSharedRegistries"); }
    Rect desktopWorkArea() override {
        calls.push_back("desktopWorkArea");
        return workArea;
    }
    GLView* createWindow(const std::string& caption, const Rect& rect) override {
        calls.push_back("createWindow");
        windowRect = rect;
        ++windowsMade;
        return NullGLView::createWithFrameSize(caption, rect.size);
    }
    std::vector<std::string> extraSearchPaths() override { return {std::string(QP_BINARY_DIR) + "/"}; }
    void installDicomCallbacks() override { calls.push_back("installDicomCallbacks"); }
    void startHttpService() override {
        calls.push_back("startHttpService");
        autoUpdateAtHttpStart = NSUI::NSDataManager::getInstance()->isAutoUpdate();
    }
    void startStatistics() override { calls.push_back("startStatistics"); }
    Scene* createFirstScene() override {
        calls.push_back("createFirstScene");
        languageAtFirstScene = NSUI::UILocalConfig::getLanguageString("imageDataLoading");
        scene = Scene::create();
        return scene;
    }
    void showNewVersionNotice() override { calls.push_back("showNewVersionNotice"); }
    void startDiscovery() override { calls.push_back("startDiscovery"); }
    void startDicomService() override { calls.push_back("startDicomService"); }
    void recordStat(int type) override { calls.push_back("recordStat" + std::to_string(type)); }
    void preloadEffects() override { calls.push_back("preloadEffects"); }
    void startPingSweep() override { calls.push_back("startPingSweep"); }
    void renewUpdateService() override { calls.push_back("renewUpdateService"); }
    void echoSweep(int mode) override { calls.push_back("echoSweep" + std::to_string(mode)); }
    void stopDiscovery() override { calls.push_back("stopDiscovery"); }
    void releaseImagingRegistries() override { calls.push_back("releaseImagingRegistries"); }
    void stopDicomService() override { calls.push_back("stopDicomService"); }
    void stopOnlineNotice() override { calls.push_back("stopOnlineNotice"); }
    void stopStatistics() override {
        calls.push_back("stopStatistics");
        languageAtStatisticsStop = NSUI::UILocalConfig::getLanguageString("imageDataLoading");
    }
    void stopSound() override { calls.push_back("stopSound"); }
};

class AppShellLifecycle : public ::testing::Test {
protected:
    void SetUp() override {
        // One folder for the whole run: the settings store stays open on it between tests.
        static qptest::TempDir dir;
        setenv("QP_WRITABLE_PATH", dir.path().c_str(), 1);
        FileUtils::getInstance()->setWritablePath(dir.path());
        Director::getInstance()->reset();
        Director::getInstance()->setOpenGLView(nullptr);
        _services = std::make_shared<RecordingServices>();
        AppServices::setCurrent(_services);
    }
    void TearDown() override {
        Director::getInstance()->reset();
        Director::getInstance()->setOpenGLView(nullptr);
        // The shutdown leaves an inert centre for the rest of the process; the next test needs
        // a live one.
        NSUI::NSNotificationCenter::destroyInstance();
        AppServices::setCurrent(nullptr);
    }
    /// Runs frames of dt seconds.
    void frames(int count, float dt = 1.0f / 60) {
        for (int i = 0; i < count; ++i)
            Director::getInstance()->mainLoop(dt);
    }
    RecordingServices& services() { return *_services; }

    std::shared_ptr<RecordingServices> _services;
};

bool endsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

} // namespace

TEST_F(AppShellLifecycle, LaunchStartsEveryServiceInOrderOverTheWorkArea) {
    AppDelegate app;
    app.initGLContextAttrs();
    GLContextAttrs attrs = GLView::getGLContextAttrs();
    EXPECT_EQ(8, attrs.redBits);
    EXPECT_EQ(8, attrs.alphaBits);
    EXPECT_EQ(24, attrs.depthBits);
    EXPECT_EQ(8, attrs.stencilBits);

    services().workArea = Rect(0, 0, 1280, 800);
    ASSERT_TRUE(app.applicationDidFinishLaunching());
    std::vector<std::string> expected = {"createSharedRegistries", "desktopWorkArea",      "createWindow",
                                         "installDicomCallbacks",  "startHttpService",     "startStatistics",
                                         "createFirstScene",       "showNewVersionNotice", "startDiscovery",
                                         "startDicomService",      "recordStat0",          "preloadEffects"};
    EXPECT_EQ(expected, services().calls);

    // The window fills the work area less the frame on each side and the caption on top.
    EXPECT_EQ(Rect(4, 28, 1272, 768), services().windowRect);
    GLView* view = Director::getInstance()->getOpenGLView();
    ASSERT_NE(nullptr, view);
    EXPECT_EQ(Size(1272, 768), view->getDesignResolutionSize());
    EXPECT_EQ(ResolutionPolicy::FIXED_HEIGHT, view->getResolutionPolicy());
    EXPECT_FLOAT_EQ(1.0f, Director::getInstance()->getContentScaleFactor());
    AppConfig* config = AppConfig::getInstance();
    EXPECT_EQ(Size(1272, 768), config->getFrameSize());
    EXPECT_EQ(Director::getInstance()->getWinSize(), config->getWinSize());

    // The fixed folders come first, in order, then the build's generated files.
    std::vector<std::string> paths = FileUtils::getInstance()->getSearchPaths();
    ASSERT_GE(paths.size(), 6u);
    const char* names[] = {"res/pad/", "imageSDK/", "dcmtk/", "UIRes/", "test/"};
    for (size_t i = 0; i < 5; ++i)
        EXPECT_TRUE(endsWith(paths[i], names[i])) << paths[i];

    // The language table was loaded before the first scene, and the data manager ticks
    // before the HTTP service registers with it.
    EXPECT_FALSE(services().languageAtFirstScene.empty());
    EXPECT_TRUE(services().autoUpdateAtHttpStart);
    EXPECT_TRUE(Director::getInstance()->getScheduler()->isScheduled(NSUI::NSDataManager::kScheduleKey,
                                                                     NSUI::NSDataManager::getInstance()));
    EXPECT_FALSE(Director::getInstance()->isDisplayStats());
    EXPECT_FLOAT_EQ(1.0f / 60, Director::getInstance()->getAnimationInterval());

    frames(1);
    EXPECT_EQ(services().scene, Director::getInstance()->getRunningScene());
    // The configuration outlives the frame's autorelease pool: the launch holds it.
    EXPECT_EQ(config, AppConfig::getInstance());
    app.applicationWillTerminate();
}

TEST_F(AppShellLifecycle, SecondLaunchWithAViewMakesNoWindow) {
    AppDelegate app;
    auto* existing = NullGLView::createWithFrameSize("existing", Size(800, 600));
    Director::getInstance()->setOpenGLView(existing);
    ASSERT_TRUE(app.applicationDidFinishLaunching());
    EXPECT_EQ(0, services().windowsMade);
    EXPECT_EQ(0u, std::count(services().calls.begin(), services().calls.end(), "desktopWorkArea"));
    EXPECT_EQ(existing, Director::getInstance()->getOpenGLView());
    EXPECT_EQ(Size(800, 600), AppConfig::getInstance()->getFrameSize());

    // Launching again over the same view changes nothing about the window either.
    ASSERT_TRUE(app.applicationDidFinishLaunching());
    EXPECT_EQ(0, services().windowsMade);
    EXPECT_EQ(existing, Director::getInstance()->getOpenGLView());
    frames(1);
    app.applicationWillTerminate();
}

TEST_F(AppShellLifecycle, WithoutADisplayTheLaunchEndsInsteadOfRunningUnseen) {
    AppDelegate app;
    services().workArea = Rect::ZERO;
    EXPECT_FALSE(app.applicationDidFinishLaunching());
    EXPECT_EQ(0, services().windowsMade);
    EXPECT_EQ(nullptr, Director::getInstance()->getOpenGLView());
    app.applicationWillTerminate();

    // No services installed at all: nothing starts and nothing crashes.
    AppServices::setCurrent(nullptr);
    EXPECT_FALSE(app.applicationDidFinishLaunching());
    app.applicationWillTerminate();
}

TEST_F(AppShellLifecycle, OpenedPathReachesObserversOneTickLaterWithoutSenderOrObject) {
    AppDelegate app;
    auto* centre = NSUI::NSNotificationCenter::getInstance();
    // The centre's first tick comes half a second after it is created.
    frames(1, 0.6f);

    int delivered = 0;
    Ref* seenSender = reinterpret_cast<Ref*>(1);
    std::string seenText;
    int observer = 0;
    centre->addObserver(
        &observer, nullptr,
        [&](Ref* sender, unsigned int id, NSUI::NSNotificationData* data) {
            ++delivered;
            seenSender = sender;
            EXPECT_EQ(AppDelegate::kOpenPathId, id);
            seenText = data ? data->text : "";
        },
        AppDelegate::kOpenPathId);
    // An observer of some object hears nothing: the post has no object.
    auto* other = Node::create();
    int objectObserver = 0;
    centre->addObserver(
        &objectObserver, other, [&](Ref*, unsigned int, NSUI::NSNotificationData*) { ++objectObserver; },
        AppDelegate::kOpenPathId);

    app.applicationOpenPath("/data/studies/CT 1");
    EXPECT_EQ(0, delivered); // never at once
    frames(1);
    EXPECT_EQ(1, delivered);
    EXPECT_EQ(nullptr, seenSender);
    EXPECT_EQ("/data/studies/CT 1", seenText);
    frames(3);
    EXPECT_EQ(1, delivered);
    EXPECT_EQ(0, objectObserver);

    // Empty and null paths post nothing.
    app.applicationOpenPath("");
    app.applicationOpenPath(nullptr);
    frames(3);
    EXPECT_EQ(1, delivered);
    centre->removeObserver(&observer);
    centre->removeObserver(&objectObserver);
}

TEST_F(AppShellLifecycle, BackgroundStopsAnimationAndForegroundRestartsTheServices) {
    AppDelegate app;
    ASSERT_TRUE(app.applicationDidFinishLaunching());
    services().calls.clear();

    app.applicationDidEnterBackground();
    EXPECT_FALSE(Director::getInstance()->isAnimating());
    EXPECT_EQ(std::vector<std::string>{"recordStat2"}, services().calls);

    services().calls.clear();
    app.applicationWillEnterForeground();
    EXPECT_TRUE(Director::getInstance()->isAnimating());
    std::vector<std::string> expected = {"startPingSweep", "renewUpdateService", "showNewVersionNotice",
                                         "echoSweep1", "recordStat1"};
    EXPECT_EQ(expected, services().calls);
    app.applicationWillTerminate();
}

TEST_F(AppShellLifecycle, ShutdownStopsServicesInOrderAndLeavesAnInertCentre) {
    AppDelegate app;
    ASSERT_TRUE(app.applicationDidFinishLaunching());
    frames(1, 0.6f);
    services().calls.clear();

    app.applicationWillTerminate();
    std::vector<std::string> expected = {"stopDiscovery",    "releaseImagingRegistries", "stopDicomService",
                                         "stopOnlineNotice", "stopStatistics",           "stopSound"};
    EXPECT_EQ(expected, services().calls);
    // The configuration (and with it the language table) was gone before statistics stopped.
    EXPECT_EQ("", services().languageAtStatisticsStop);
    // The data manager's tick and the live centre's tick are gone.
    Scheduler* scheduler = Director::getInstance()->getScheduler();
    EXPECT_FALSE(
        scheduler->isScheduled(NSUI::NSDataManager::kScheduleKey, NSUI::NSDataManager::getInstance()));

    // A scene destroyed after the shutdown reaches the inert centre instead of a new one.
    auto* centre = NSUI::NSNotificationCenter::getInstance();
    int target = 0;
    centre->addObserver(
        &target, nullptr, [](Ref*, unsigned int, NSUI::NSNotificationData*) {}, 2023);
    EXPECT_FALSE(centre->isObserverRegistered(2023, nullptr, &target));
    EXPECT_FALSE(scheduler->isScheduled(NSUI::NSNotificationCenter::kScheduleKey, centre));
    Director::getInstance()->reset();
    EXPECT_EQ(centre, NSUI::NSNotificationCenter::getInstance());
}
