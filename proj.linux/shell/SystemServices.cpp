#include "SystemServices.h"

#include "ScreenLinks.h"
#include "AppWindow.h"
#include "LibraryInUseNotice.h"

#include "ads/adsApplication.h"
#include "audio/SimpleAudioEngine.h"
#include "db/StoreOwnerLock.h"
#include "db/dicomDB.h"
#include "dcmCallbacks.h"
#include "discovery/sniffer.h"
#include "hooks/ServiceHooks.h"
#include "http/httpCenter.h"
#include "imaging/core/object/isSharedObjects.h"
#include "imaging/core/roi/isROIManager.h"
#include "login/login.h"
#include "net/dataService.h"
#include "patient/patientList.h"
#include "stat/statApplication.h"
#include "study/StoreWorkers.h"
#include "text/NSTextField.h"
#include "update/updateService.h"

using namespace cocos2d;

namespace {

const char* const kEffects[] = {"res/dingdong.wav", "res/waterfall.wav"};

// A short text over the running scene, gone after the given seconds.
void showToast(const std::string& text, float seconds) {
    Scene* scene = Director::getInstance()->getRunningScene();
    Label* label = scene ? Label::createWithSystemFont(text, "", 20) : nullptr;
    if (!label) {
        log("%s", text.c_str());
        return;
    }
    Size size = Director::getInstance()->getWinSize();
    label->setPosition(Vec2(size.width / 2, size.height * 0.15f));
    label->setTextColor(Color4B::WHITE);
    scene->setMessageNode(label, seconds);
}

} // namespace

std::string SystemServices::resourceRoot() {
    return QP_RESOURCE_ROOT;
}

bool SystemServices::takeLibrary() {
    FileUtils* files = FileUtils::getInstance();
    _libraryFolder = dicomDB::rootFor(files->getWritablePath());
    // A folder that does not exist yet has no owner: it is the store's own first step.
    if (!files->isDirectoryExist(_libraryFolder))
        files->createDirectory(_libraryFolder);
    // The store that opens the folder later keeps this lock.
    return StoreOwnerLock::takeAhead(_libraryFolder) != StoreOwnerLock::Result::kInUse;
}

Scene* SystemServices::createLibraryInUseScene() {
    log("The library %s is in use by another running workstation; close this window and use that one",
        _libraryFolder.c_str());
    return LibraryInUseNotice::createScene(_libraryFolder);
}

void SystemServices::createSharedRegistries() {
    // The series scan registers image data from its own thread.
    isImageSDK::isSharedObjects::getInstance();
    isImageSDK::isROIManager::getInstance();
    // Every layout localised from here on gets its text fields' placeholders from the table.
    NSUI::NSTextField::registerLanguageApplier();
    installScreenLinks();
}

Rect SystemServices::desktopWorkArea() {
    return GLViewImpl::getDesktopWorkArea();
}

GLView* SystemServices::createWindow(const std::string& caption, const Rect& rect) {
    return AppWindow::createWithRect(caption, rect);
}

std::vector<std::string> SystemServices::extraSearchPaths() {
    // The screens' layouts, then what the build generates: pictures, the language table and
    // the first-run sample archive.
    return {"res/layout", QP_GENERATED_RESOURCES, std::string(QP_GENERATED_RESOURCES) + "samples"};
}

void SystemServices::installDicomCallbacks() {
    dcmSDK::setLogCallback(dataService::onDcmLog);
    dcmSDK::setMsgCallback(dataService::onDcmMessage);
    dcmSDK::setgb2utf8Callback(dataService::onGb2utf8);
    dcmSDK::setReadFileCallback(dataService::onReadFile);
    dcmSDK::setSavePngCallback(dataService::onSavePng);
}

void SystemServices::startHttpService() {
    // The data manager keeps it: it registers itself there.
    if (httpCenter* center = httpCenter::create())
        center->setEnabled(true);
}

void SystemServices::startStatistics() {
    statApplication::getInstance()->start();
}

Scene* SystemServices::createFirstScene() {
    return patientList::createScene();
}

void SystemServices::showNewVersionNotice() {
    ADS::adsApplication* ads = ADS::adsApplication::getInstance();
    ads->reloadConfig();
    ads->checkNewVersion();
}

void SystemServices::startDiscovery() {
    // Signed-in users are named in the discovery datagrams.
    NSUI::sniffer::setLoginStateReader(login::getLoginState);
    NSUI::sniffer::getInstance()->startPingSweep();
}

void SystemServices::startDicomService() {
    ServiceHooks::showMessage() = showToast;
    // Discovery that has been shut down is not brought back by the service's timer.
    ServiceHooks::startPingSweep() = [] {
        if (NSUI::sniffer* discovery = NSUI::sniffer::peekInstance())
            discovery->startPingSweep();
    };
    if (dataService* service = dataService::getInstance())
        service->echoSweep(2);
}

void SystemServices::recordStat(int type) {
    // Screens leaving during shutdown come after the statistics have stopped; they must not
    // bring them back.
    if (statApplication* stats = statApplication::peekInstance())
        stats->recordStat(type);
}

void SystemServices::preloadEffects() {
    for (const char* effect : kEffects)
        CocosDenshion::SimpleAudioEngine::getInstance()->preloadEffect(effect);
}

void SystemServices::startPingSweep() {
    NSUI::sniffer::getInstance()->startPingSweep();
}

void SystemServices::renewUpdateService() {
    ADS::adsApplication* ads = ADS::adsApplication::getInstance();
    updateService* current = ads->getUpdateService();
    if (current && current->isRunning())
        return;
    ads->setUpdateService(updateService::create());
}

void SystemServices::echoSweep(int mode) {
    if (dataService* service = dataService::getInstance())
        service->echoSweep(mode);
}

void SystemServices::stopDiscovery() {
    NSUI::sniffer::shutdownInstance(kDiscoveryStopWaitMs);
}

void SystemServices::releaseImagingRegistries() {
    isImageSDK::isSharedObjects::destroyInstance();
    isImageSDK::isROIManager::destroyInstance();
}

void SystemServices::stopDicomService() {
    // Deletions, favourite images and preview pictures still running end (pictures stop
    // between files) while the store is open, so its rows and the files stay in step.
    StoreWorkers::finishAll();
    dataService::destroyInstance();
    ServiceHooks::showMessage() = nullptr;
    ServiceHooks::startPingSweep() = nullptr;
}

void SystemServices::stopOnlineNotice() {
    ADS::adsApplication::destroyInstance();
}

void SystemServices::stopStatistics() {
    statApplication::destroyInstance();
}

void SystemServices::stopSound() {
    CocosDenshion::SimpleAudioEngine::end();
}
