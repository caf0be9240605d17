#include "update/updateService.h"

#include "AppConfig.h"
#include "extension/AssetsManagerEx.h"
#include "extension/EventListenerAssetsManagerEx.h"
#include "extension/Manifest.h"
#include "http/NSHttpClient.h"
#include "thread/NSRunableThread.h"
#include "util/FileHelpers.h"

#include <algorithm>

using cocos2d::extension::AssetsManagerEx;
using cocos2d::extension::EventAssetsManagerEx;
using cocos2d::extension::EventListenerAssetsManagerEx;

namespace {

const char* const kManifestName = "project.manifest";
const char* const kConfigName = "c.i";

// Only the first service of a process switches folders or copies them: later ones would delete
// a folder that is still on the search paths.
bool g_processStarted = false;
// The first service's copy failed: it is retried at the next start, and nothing else runs here.
bool g_copyFailed = false;

std::string withoutTrailingSlashes(std::string path) {
    while (!path.empty() && path.back() == '/')
        path.pop_back();
    return path;
}

// Both folders lie below "qp/" and neither is the other or holds it: the copy deletes the spare
// one whole.
bool isFolderPairSafe(const std::string& live, const std::string& spare) {
    if (!cocos2d::extension::Manifest::isRelativePathSafe(live) ||
        !cocos2d::extension::Manifest::isRelativePathSafe(spare))
        return false;
    auto within = [](const std::string& inner, const std::string& outer) {
        return inner == outer || inner.compare(0, outer.size() + 1, outer + "/") == 0;
    };
    return !within(live, spare) && !within(spare, live);
}

} // namespace

updateService* updateService::create() {
    auto* service = new updateService();
    if (!service->init()) {
        delete service;
        return nullptr;
    }
    service->autorelease();
    return service;
}

updateService::~updateService() {
    cleanup();
}

void updateService::resetProcessState() {
    g_processStarted = false;
    g_copyFailed = false;
}

bool updateService::init() {
    setHttpOwner(this);
    _running = true;
    bool first = !g_processStarted;
    g_processStarted = true;
    int valid = getIntegerForKey("update_hasValidUpdate", -1);
    if (first && (valid == 1 || valid == 2))
        setIntegerForKey("update_now", valid);
    if (!chooseFolders()) {
        finish();
        return true;
    }
    putLiveFolderFirst();
    if (first && valid >= 0) {
        startCopyJob();
        readConfigFile();
        return true;
    }
    if (g_copyFailed) {
        finish();
        return true;
    }
    requestVersionCheck();
    return true;
}

bool updateService::chooseFolders() {
    std::string path1 = withoutTrailingSlashes(getStringForKey("update_nowPath1", "update/temp1"));
    std::string path2 = withoutTrailingSlashes(getStringForKey("update_nowPath2", "update/temp2"));
    bool oneIsLive = getIntegerForKey("update_now", 1) == 1;
    const std::string& live = oneIsLive ? path1 : path2;
    const std::string& spare = oneIsLive ? path2 : path1;
    std::string root = cocos2d::FileUtils::getInstance()->getWritablePath();
    if (root.empty() || !isFolderPairSafe(live, spare)) {
        cocos2d::log("updateService: refusing the update folders \"%s\" and \"%s\"", live.c_str(), spare.c_str());
        return false;
    }
    _liveFolder = root + "qp/" + live + "/";
    _spareFolder = root + "qp/" + spare + "/";
    return true;
}

void updateService::putLiveFolderFirst() {
    auto* files = cocos2d::FileUtils::getInstance();
    std::vector<std::string> paths = files->getOriginalSearchPaths();
    std::string live = withoutTrailingSlashes(_liveFolder);
    paths.erase(std::remove_if(paths.begin(), paths.end(),
                               [&](const std::string& path) { return withoutTrailingSlashes(path) == live; }),
                paths.end());
    paths.insert(paths.begin(), _liveFolder);
    files->setSearchPaths(paths);
    if (!files->isDirectoryExist(_liveFolder))
        files->createDirectory(_liveFolder);
}

void updateService::startCopyJob() {
    _copyPending = true;
    _copySucceeded = false;
    std::string live = _liveFolder;
    std::string spare = _spareFolder;
    NSUI::NSRunableThread::create(
        [this, live, spare](void*) {
            auto* files = cocos2d::FileUtils::getInstance();
            if (files->isDirectoryExist(spare))
                files->removeDirectory(spare);
            bool copied = !files->isDirectoryExist(spare) && files->createDirectory(spare) &&
                          copyDirectory(live, spare);
            _copySucceeded = copied;
        },
        nullptr, this, [this] { onCopyDone(); });
}

void updateService::onCopyDone() {
    if (!_copyPending)
        return;
    _copyPending = false;
    if (!_copySucceeded) {
        cocos2d::log("updateService: cannot copy %s to %s; trying again at the next start", _liveFolder.c_str(),
                     _spareFolder.c_str());
        g_copyFailed = true;
        finish();
        return;
    }
    setIntegerForKey("update_hasValidUpdate", -1);
    if (_running)
        requestVersionCheck();
}

void updateService::readConfigFile() {
    std::string path = _liveFolder + kConfigName;
    if (!cocos2d::FileUtils::getInstance()->isFileExist(path))
        return;
    std::string encoded = cocos2d::FileUtils::getInstance()->getStringFromFile(path);
    std::string text = cocos2d::safeBase64DecodeReceived(encoded);
    // A file that does not decode keeps the configuration as it was.
    if (!text.empty())
        setStringForKey("app_config_ini", text);
}

void updateService::requestVersionCheck() {
    std::string json;
    setJsonString(json, "app_version", AppConfig::getVersion());
    setJsonString(json, "device_info", cocos2d::safeBase64Encode(cocos2d::Device::getDeviceInfo()));
    post(AppConfig::getServerURL() + "/ud/cv2.php", cocos2d::safeBase64Encode(json), "verCheck");
    post(AppConfig::getServerURL() + "/ud/u.php", "", "updater");
}

void updateService::onHttpResponse(NSUI::UIHttpResponse* response) {
    if (!response)
        return;
    bool good = response->success && response->status == 200;
    if (response->tag == "verCheck") {
        if (!good)
            return;
        std::string reply = cocos2d::safeBase64DecodeReceived(response->body);
        std::string latest = getJsonString(reply, "app_latest_version", "");
        if (latest != getStringForKey("app_latest_version", "")) {
            storeStringForKey("app_latest_version", latest);
            setStringForKey("app_ver_check_count", "0");
        }
    } else if (response->tag == "updater") {
        if (!good || !writeStringToFile((_liveFolder + kManifestName).c_str(), response->body)) {
            finish();
            return;
        }
        startUpdate();
    }
}

void updateService::startUpdate() {
    if (!_assetsManager) {
        _assetsManager = AssetsManagerEx::create(kManifestName, _spareFolder, true);
        if (!_assetsManager) {
            finish();
            return;
        }
        _assetsManager->retain();
        _listener = EventListenerAssetsManagerEx::create(
            _assetsManager, [this](EventAssetsManagerEx* event) { onAssetsEvent(event); });
        cocos2d::Director::getInstance()->getEventDispatcher()->addEventListenerWithFixedPriority(_listener, 1);
    }
    _assetsManager->update();
}

void updateService::onAssetsEvent(EventAssetsManagerEx* event) {
    const std::string& asset = event->getAssetId();
    switch (event->getEventCode()) {
    case EventAssetsManagerEx::ERROR_NO_LOCAL_MANIFEST:
        cocos2d::log("Error:can not find the local manifest file");
        break;
    case EventAssetsManagerEx::ERROR_DOWNLOAD_MANIFEST:
        cocos2d::log("Error:failed to download the manifest");
        break;
    case EventAssetsManagerEx::ERROR_PARSE_MANIFEST:
        cocos2d::log("Error: failed to analysis the manifest");
        break;
    case EventAssetsManagerEx::NEW_VERSION_FOUND:
        cocos2d::log("Found the new verision,%s,start to update.", asset.c_str());
        break;
    case EventAssetsManagerEx::ALREADY_UP_TO_DATE:
        cocos2d::log("Already is the latest version");
        break;
    case EventAssetsManagerEx::UPDATE_PROGRESSION:
        if (asset == "@version")
            cocos2d::log("download version file.");
        else if (asset == "@manifest")
            cocos2d::log("download project file.");
        else if (asset == "@updateFileList")
            cocos2d::log("%s", event->getMessage().c_str());
        else
            cocos2d::log("update process= %s %i", asset.c_str(),
                         static_cast<int>(std::max(event->getPercent(), event->getPercentByFile())));
        break;
    case EventAssetsManagerEx::ERROR_UPDATING:
        cocos2d::log("Error: failed to complete the update..%s", event->getMessage().c_str());
        break;
    case EventAssetsManagerEx::UPDATE_FINISHED:
        cocos2d::log("update over. restart.");
        setIntegerForKey("update_hasValidUpdate", getIntegerForKey("update_now", 1) == 1 ? 2 : 1);
        break;
    case EventAssetsManagerEx::UPDATE_FAILED:
        cocos2d::log("Error: the update failed: %s", event->getMessage().c_str());
        break;
    case EventAssetsManagerEx::ERROR_DECOMPRESS:
        cocos2d::log("Error: failed to unpack %s", event->getMessage().c_str());
        break;
    default:
        break;
    }
    // Exactly one event ends an update; a failed file is always followed by UPDATE_FAILED.
    if (EventAssetsManagerEx::isFinal(event->getEventCode())) {
        dropAssetsManager();
        finish();
    }
}

void updateService::dropAssetsManager() {
    if (_listener) {
        cocos2d::Director::getInstance()->getEventDispatcher()->removeEventListener(_listener);
        _listener = nullptr;
    }
    CC_SAFE_RELEASE_NULL(_assetsManager);
}

void updateService::cleanup() {
    waitWorkersFinished();
    // The copy's completion may be queued already: it must not run on a service that is gone.
    cocos2d::Director::getInstance()->getScheduler()->removeFunctionInCocosThread(
        static_cast<NSUI::NSThreadSafeDestroy*>(this));
    if (_copyPending && _copySucceeded)
        setIntegerForKey("update_hasValidUpdate", -1);
    _copyPending = false;
    dropAssetsManager();
    if (NSUI::NSHttpClient::hasInstance())
        NSUI::NSHttpClient::getInstance()->cancelRequestsForOwner(this);
    finish();
}

void updateService::finish() {
    _running = false;
}
