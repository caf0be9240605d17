#include "AppDelegate.h"

#include "AppConfig.h"
#include "AppServices.h"

#include "data/NSDataManager.h"
#include "dcmCallbacks.h"
#include "http/NSHttpClient.h"
#include "loader/CSLoader.h"
#include "notify/NSNotificationCenter.h"
#include "util/ScreenCapture.h"

using namespace cocos2d;

namespace {

// The configuration as the launch holds it (retained once more than the singleton itself).
AppConfig* g_config = nullptr;

// Services whose getInstance may first be reached from a worker (a post from the DICOM
// library's threads, a file look-up of a loader) are made here, on the main thread, so the
// scheduler and the settings are only ever set up by the thread that owns them. A program
// that does not own its library reads no settings.
void createMainThreadSingletons(bool withSettings) {
    Director::getInstance();
    FileUtils::getInstance();
    if (withSettings)
        UserDefault::getInstance();
    NSUI::NSNotificationCenter::getInstance();
}

} // namespace

const char* const AppDelegate::kSearchPaths[5] = {"res/pad", "imageSDK", "dcmtk", "UIRes", "test"};

AppDelegate::AppDelegate() = default;

AppDelegate::~AppDelegate() = default;

void AppDelegate::initGLContextAttrs() {
    GLContextAttrs attrs = {8, 8, 8, 8, 24, 8, 0};
    GLView::setGLContextAttrs(attrs);
}

Rect AppDelegate::windowRectForWorkArea(const Rect& workArea) {
    return Rect(workArea.origin.x + kFrameSize, workArea.origin.y + kCaptionSize + kFrameSize,
                workArea.size.width - 2 * kFrameSize, workArea.size.height - 2 * kFrameSize - kCaptionSize);
}

bool AppDelegate::applicationDidFinishLaunching() {
    AppServices* services = AppServices::current();
    if (!services) {
        log("AppDelegate: no services are installed; nothing can start");
        return false;
    }
    // Decided before anything reads or writes the library: a program that finds another
    // running workstation using it makes nothing but the notice that says so.
    _libraryInUse = !services->takeLibrary();
    createMainThreadSingletons(!_libraryInUse);
    AppConfig* config = nullptr;
    if (!_libraryInUse) {
        services->createSharedRegistries();
        config = AppConfig::getInstance();
        if (config != g_config) {
            config->retain();
            if (g_config)
                g_config->release();
            g_config = config;
        }
    }

    Director* director = Director::getInstance();
    GLView* view = director->getOpenGLView();
    if (!view) {
        Rect rect = windowRectForWorkArea(services->desktopWorkArea());
        if (rect.size.width > 0 && rect.size.height > 0)
            view = services->createWindow(kTitle, rect);
        if (!view) {
            // Nothing could be shown and the loop would spin unseen: end at once instead.
            log("AppDelegate: no window can be opened (is there a display?)");
            return false;
        }
        director->setOpenGLView(view);
    }

    std::vector<std::string> paths(kSearchPaths, kSearchPaths + 5);
    for (const std::string& extra : services->extraSearchPaths())
        paths.push_back(extra);
    FileUtils::getInstance()->setSearchPaths(paths);

    const Size frame = view->getFrameSize();
    view->setDesignResolutionSize(frame.width, frame.height, ResolutionPolicy::FIXED_HEIGHT);
    director->setContentScaleFactor(1.0f);
    // The view's projection and viewport were made for the size it had when the director
    // took it; they follow the design resolution only when set again.
    director->setProjection(director->getProjection());
    director->setDisplayStats(false);
    setAnimationInterval(1.0f / 60.0f);

    if (_libraryInUse) {
        if (Scene* notice = services->createLibraryInUseScene())
            director->runWithScene(notice);
        else
            log("AppDelegate: the notice that the library is in use could not be created");
        return true;
    }

    config->getFrameSize() = frame;
    config->setWinSize(director->getWinSize());
    setScreenCaptureBackend([](const ScreenCaptureCallback& done, const std::string& path, int x, int y,
                               int width,
                               int height) { utils::captureScreen(done, path, x, y, width, height); });
    services->installDicomCallbacks();
    config->loadLanguage();
    NSUI::NSDataManager::getInstance()->setAutoUpdate(true);
    services->startHttpService();
    services->startStatistics();

    if (Scene* scene = services->createFirstScene())
        director->runWithScene(scene);
    else
        log("AppDelegate: the first scene could not be created");

    services->showNewVersionNotice();
    services->startDiscovery();
    services->startDicomService();
    services->recordStat(0);
    services->preloadEffects();
    return true;
}

void AppDelegate::applicationDidEnterBackground() {
    Director::getInstance()->stopAnimation();
    AppServices* services = AppServices::current();
    if (services && !_libraryInUse)
        services->recordStat(2);
}

void AppDelegate::applicationWillEnterForeground() {
    Director::getInstance()->startAnimation();
    AppServices* services = AppServices::current();
    if (!services || _libraryInUse)
        return;
    services->startPingSweep();
    services->renewUpdateService();
    services->showNewVersionNotice();
    services->echoSweep(1);
    services->recordStat(1);
}

void AppDelegate::applicationOpenPath(const char* path) {
    if (!path || !*path) {
        log("AppDelegate: an empty path was handed to the application");
        return;
    }
    if (_libraryInUse) {
        log("AppDelegate: %s is not imported: the library is in use by another running workstation", path);
        return;
    }
    postOpenPath(std::string(path));
}

void AppDelegate::postOpenPath(const std::string& path) {
    NSUI::NSNotificationCenter::getInstance()->postNotificationWithString(nullptr, kOpenPathId, path, nullptr,
                                                                          false);
}

void AppDelegate::applicationWillTerminate() {
    AppServices* services = AppServices::current();
    if (services) {
        services->stopDiscovery();
        services->releaseImagingRegistries();
        services->stopDicomService();
        services->stopOnlineNotice();
    }
    dcmSDK::dcmsdk_destroy();
    // Objects destroyed from here on (the scenes, last of all) find an inert centre.
    NSUI::NSNotificationCenter::shutdown();
    NSUI::NSDataManager::getInstance()->clear();
    NSUI::NSDataManager::destroyInstance();
    cocostudio::destroyCocosStudio();
    if (g_config) {
        AppConfig* config = g_config;
        g_config = nullptr;
        config->release();
    }
    if (services)
        services->stopStatistics();
    // The HTTP worker and the sound engine's device end with the program rather than with the
    // process, so nothing runs after the loop has returned.
    if (NSUI::NSHttpClient::hasInstance())
        NSUI::NSHttpClient::destroyInstance();
    setScreenCaptureBackend(nullptr);
    if (services)
        services->stopSound();
}
