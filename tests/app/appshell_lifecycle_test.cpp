// The application object's launch, background, foreground, opened paths and shutdown, driven
// headless with a recording double in place of the upper subsystems' services; and the real
// services' launch on a library that is free and on one another workstation owns.

#include <gtest/gtest.h>

#include "../store/StoreTestEnv.h"

#include "AppConfig.h"
#include "AppDelegate.h"
#include "AppServices.h"
#include "SystemServices.h"
#include "ads/adsApplication.h"
#include "data/NSDataManager.h"
#include "db/StoreOwnerLock.h"
#include "discovery/sniffer.h"
#include "lang/UILocalConfig.h"
#include "net/dataService.h"
#include "notify/NSNotificationCenter.h"
#include "patient/patientList.h"
#include "stat/statApplication.h"
#include "support/TestSupport.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
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

    bool takeLibrary() override {
        calls.push_back("takeLibrary");
        return true;
    }
    Scene* createLibraryInUseScene() override {
        calls.push_back("createLibraryInUseScene");
        scene = Scene::create();
        return scene;
    }
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
    std::vector<std::string> expected = {"takeLibrary",     "createSharedRegistries", "desktopWorkArea",
                                         "createWindow",    "installDicomCallbacks",  "startHttpService",
                                         "startStatistics", "createFirstScene",       "showNewVersionNotice",
                                         "startDiscovery",  "startDicomService",      "recordStat0",
                                         "preloadEffects"};
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

namespace {

/// The program's own services over a window of no display.
class HeadlessServices : public SystemServices {
public:
    Rect desktopWorkArea() override { return Rect(0, 0, 1280, 800); }
    GLView* createWindow(const std::string& caption, const Rect& rect) override {
        return NullGLView::createWithFrameSize(caption, rect.size);
    }
};

/// Every path under a folder with its size and modification time.
std::map<std::string, std::pair<uintmax_t, std::filesystem::file_time_type>>
listing(const std::string& folder) {
    std::map<std::string, std::pair<uintmax_t, std::filesystem::file_time_type>> entries;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        entries[entry.path().string()] = {entry.is_regular_file() ? entry.file_size() : 0,
                                          entry.last_write_time()};
    return entries;
}

/// True when something accepts TCP connections on 127.0.0.1:port now.
bool accepts(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(port);
    const bool connected = connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    close(fd);
    return connected;
}

class AppShellLibrary : public ::testing::Test {
protected:
    void SetUp() override {
        FileUtils* files = FileUtils::getInstance();
        _searchPaths = files->getSearchPaths();
        _resourceRoot = files->getDefaultResourceRootPath();
        files->setDefaultResourceRootPath(SystemServices::resourceRoot());
        UserDefault::destroyInstance();
        files->setWritablePath(_dir.path() + "/");
        library = dicomDB::rootFor(files->getWritablePath());
        std::filesystem::create_directories(library);
        NSUI::NetworkInfoProvider::setCurrent(std::make_shared<storetest::LoopbackNetwork>());
        NSUI::sniffer::setDefaultPort(nettest::freePort());
        receiverPort = nettest::freePort();
        dicomDB::setReceiverPort(receiverPort);
        AppConfig::setServerURL("http://127.0.0.1:" + std::to_string(nettest::freePort()) + "/");
        Director::getInstance()->reset();
        Director::getInstance()->setOpenGLView(nullptr);
        AppServices::setCurrent(std::make_shared<HeadlessServices>());
    }
    void TearDown() override {
        Director::getInstance()->reset();
        Director::getInstance()->setOpenGLView(nullptr);
        NSUI::NSNotificationCenter::destroyInstance();
        AppServices::setCurrent(nullptr);
        NSUI::NetworkInfoProvider::setCurrent(nullptr);
        NSUI::sniffer::setDefaultPort(NSUI::sniffer::kDefaultPort);
        UserDefault::destroyInstance();
        FileUtils* files = FileUtils::getInstance();
        files->setWritablePath("");
        files->setDefaultResourceRootPath(_resourceRoot);
        files->setSearchPaths(_searchPaths);
    }
    static void frames(int count, float dt = 1.0f / 60) {
        for (int i = 0; i < count; ++i)
            Director::getInstance()->mainLoop(dt);
    }
    static patientList* runningPatientList() {
        Scene* scene = Director::getInstance()->getRunningScene();
        if (scene)
            for (Node* child : scene->getChildren())
                if (auto* list = dynamic_cast<patientList*>(child))
                    return list;
        return nullptr;
    }

    std::string library;
    int receiverPort = 0;

private:
    qptest::TempDir _dir;
    std::vector<std::string> _searchPaths;
    std::string _resourceRoot;
};

} // namespace

TEST_F(AppShellLibrary, ALaunchOnALibraryInUseShowsOnlyTheNoticeAndChangesNothingOfIt) {
    // The owner: another open store of this folder, with an archive half unpacked.
    StoreOwnerLock owner;
    ASSERT_EQ(StoreOwnerLock::Result::kOwned, owner.take(library));
    const std::string unpacked = FileUtils::getInstance()->getWritablePath() + "qp/tmp/unzip/a/1.dcm";
    std::filesystem::create_directories(std::filesystem::path(unpacked).parent_path());
    ASSERT_TRUE(qptest::writeFile(unpacked, "DICM"));
    const auto before = listing(FileUtils::getInstance()->getWritablePath());

    AppDelegate app;
    ASSERT_TRUE(app.applicationDidFinishLaunching());
    app.applicationOpenPath("/data/studies/CT 1");
    frames(3, 0.6f);
    app.applicationDidEnterBackground();
    app.applicationWillEnterForeground();
    frames(3, 0.6f);

    Scene* scene = Director::getInstance()->getRunningScene();
    ASSERT_NE(nullptr, scene);
    EXPECT_NE(nullptr, scene->getChildByNameDeep("libraryInUseClose"));
    EXPECT_EQ(nullptr, runningPatientList());
    EXPECT_EQ(nullptr, statApplication::peekInstance());
    EXPECT_EQ(nullptr, ADS::adsApplication::peekInstance());
    EXPECT_EQ(nullptr, NSUI::sniffer::peekInstance());
    EXPECT_FALSE(accepts(receiverPort));
    app.applicationWillTerminate();

    // Not a file of the library was added, removed or written: the unpack folder, the
    // statistics, the settings and the store are all as the owner left them.
    EXPECT_TRUE(std::filesystem::exists(unpacked));
    EXPECT_EQ(before, listing(FileUtils::getInstance()->getWritablePath()));
}

TEST_F(AppShellLibrary, TheOwnersLaunchOnAFreeLibraryOpensItsStoreUnderTheLockItTookFirst) {
    AppDelegate app;
    ASSERT_TRUE(app.applicationDidFinishLaunching());
    frames(3, 0.6f);
    EXPECT_NE(nullptr, runningPatientList());
    ASSERT_TRUE(dataService::getInstance()->getDB()->isOpen());
    EXPECT_TRUE(accepts(receiverPort));
    // The store keeps the lock the launch took: another store of the folder is refused...
    StoreOwnerLock other;
    EXPECT_EQ(StoreOwnerLock::Result::kInUse, other.take(library));
    app.applicationWillTerminate();
    // ... until the program closes it.
    EXPECT_EQ(StoreOwnerLock::Result::kOwned, other.take(library));
}
