#include "extension/AssetsManagerEx.h"

#include "base/Director.h"
#include "base/EventDispatcher.h"
#include "base/Scheduler.h"
#include "extension/AssetDownloader.h"
#include "extension/AssetFiles.h"
#include "extension/Manifest.h"
#include "platform/FileUtils.h"

#include <algorithm>
#include <cstdio>
#include <new>
#include <vector>

namespace cocos2d {
namespace extension {

namespace {

// The suffix of a file being fetched; it is renamed into place once verified.
const char* const kPartSuffix = ".part";

std::atomic<long long> g_updateTimeLimitMs{30LL * 60 * 1000};
std::atomic<long long> g_fileSizeLimit{1LL << 30};

float percentOf(long long part, long long whole) {
    return whole > 0 ? 100.0f * static_cast<float>(part) / static_cast<float>(whole) : 100.0f;
}

} // namespace

AssetsManagerEx* AssetsManagerEx::create(const std::string& manifestUrl, const std::string& storagePath,
                                         bool manifestIsLatest) {
    if (storagePath.empty())
        return nullptr;
    auto* manager = new (std::nothrow) AssetsManagerEx(manifestUrl, storagePath, manifestIsLatest);
    if (manager)
        manager->autorelease();
    return manager;
}

AssetsManagerEx::AssetsManagerEx(const std::string& manifestUrl, const std::string& storagePath,
                                 bool manifestIsLatest)
    : _manifestUrl(manifestUrl),
      _storagePath(storagePath.back() == '/' ? storagePath : storagePath + "/"),
      _manifestIsLatest(manifestIsLatest),
      _eventName("__assets_manager_event_" + std::to_string(getRefID())) {}

AssetsManagerEx::~AssetsManagerEx() {
    _abort = true;
    if (_worker.joinable())
        _worker.join();
    Director::getInstance()->getScheduler()->removeFunctionInCocosThread(this);
}

void AssetsManagerEx::setUpdateTimeLimit(std::chrono::milliseconds limit) {
    g_updateTimeLimitMs = limit.count();
}

std::chrono::milliseconds AssetsManagerEx::getUpdateTimeLimit() {
    return std::chrono::milliseconds(g_updateTimeLimitMs.load());
}

void AssetsManagerEx::setFileSizeLimit(long long bytes) {
    g_fileSizeLimit = bytes;
}

long long AssetsManagerEx::getFileSizeLimit() {
    return g_fileSizeLimit;
}

void AssetsManagerEx::update() {
    if (_updating)
        return;
    // A finished worker has posted its last event already.
    if (_worker.joinable())
        _worker.join();
    _updating = true;
    FileUtils* files = FileUtils::getInstance();
    std::string path = files->fullPathForFilename(_manifestUrl);
    std::string local = path.empty() ? std::string() : files->getStringFromFile(path);
    if (local.empty()) {
        post(EventAssetsManagerEx::ERROR_NO_LOCAL_MANIFEST, "", "no manifest " + _manifestUrl);
        return;
    }
    _worker = std::thread(&AssetsManagerEx::run, this, std::move(local), Clock::now() + getUpdateTimeLimit());
}

void AssetsManagerEx::run(std::string localManifest, Clock::time_point deadline) {
    std::string text = std::move(localManifest);
    std::string error;
    Manifest manifest;
    if (!_manifestIsLatest) {
        if (!manifest.parse(text, error)) {
            post(EventAssetsManagerEx::ERROR_PARSE_MANIFEST, "", error);
            return;
        }
        post(EventAssetsManagerEx::UPDATE_PROGRESSION, "@manifest");
        if (!AssetDownloader(&_abort, deadline).toText(manifest.getRemoteManifestUrl(), text, error)) {
            if (!_abort)
                post(EventAssetsManagerEx::ERROR_DOWNLOAD_MANIFEST, "@manifest", error);
            return;
        }
    }
    if (!manifest.parse(text, error)) {
        post(EventAssetsManagerEx::ERROR_PARSE_MANIFEST, "", error);
        return;
    }
    std::string storedPath = _storagePath + kManifestName;
    Manifest stored;
    std::string ignored;
    bool sameVersion = stored.parse(AssetFiles::readFile(storedPath), ignored) &&
                       stored.getVersion() == manifest.getVersion();
    std::vector<const ManifestAsset*> todo;
    for (const ManifestAsset& asset : manifest.getAssets())
        if (AssetFiles::md5OfFile(_storagePath + asset.path) != asset.md5)
            todo.push_back(&asset);
    if (_abort)
        return;
    if (todo.empty() && sameVersion) {
        post(EventAssetsManagerEx::ALREADY_UP_TO_DATE, manifest.getVersion());
        return;
    }
    post(EventAssetsManagerEx::NEW_VERSION_FOUND, manifest.getVersion());
    if (!updateFiles(manifest, todo, deadline)) {
        if (!_abort)
            post(EventAssetsManagerEx::UPDATE_FAILED, "",
                 Clock::now() >= deadline ? "the update took longer than it may"
                                          : "some files failed; the update is incomplete");
        return;
    }
    if (!AssetFiles::writeFileAtomically(storedPath, text)) {
        post(EventAssetsManagerEx::UPDATE_FAILED, kManifestName, "cannot write " + storedPath);
        return;
    }
    post(EventAssetsManagerEx::UPDATE_FINISHED, manifest.getVersion());
}

bool AssetsManagerEx::updateFiles(const Manifest& manifest, const std::vector<const ManifestAsset*>& todo,
                                  Clock::time_point deadline) {
    AssetDownloader downloader(&_abort, deadline);
    const long long sizeLimit = getFileSizeLimit();
    long long totalBytes = 0;
    for (const ManifestAsset& asset : manifest.getAssets())
        totalBytes += asset.size;
    long long bytesInPlace = totalBytes;
    for (const ManifestAsset* asset : todo)
        bytesInPlace -= asset->size;
    // Without sizes in the manifest the bytes follow the files.
    auto progress = [&](const std::string& assetId, const std::string& message, size_t filesDone) {
        float byFile = percentOf(static_cast<long long>(filesDone), static_cast<long long>(todo.size()));
        post(EventAssetsManagerEx::UPDATE_PROGRESSION, assetId, message,
             totalBytes > 0 ? percentOf(bytesInPlace, totalBytes) : byFile, byFile);
    };
    progress("@updateFileList", std::to_string(todo.size()) + " files to update", 0);

    bool allDone = true;
    size_t filesDone = 0;
    for (const ManifestAsset* asset : todo) {
        if (_abort)
            return false;
        std::string target = _storagePath + asset->path;
        std::string part = target + kPartSuffix;
        std::string error;
        // An interrupted earlier fetch is started again from the beginning.
        std::remove(part.c_str());
        bool fetched = AssetFiles::createParentFolders(target);
        if (!fetched)
            error = "cannot create the folder of " + target;
        else
            fetched = downloader.toFile(manifest.getPackageUrl() + asset->path, part, error,
                                        asset->size > 0 ? std::min(asset->size, sizeLimit) : sizeLimit);
        if (fetched && AssetFiles::md5OfFile(part) != asset->md5) {
            fetched = false;
            error = "md5 mismatch";
        }
        if (fetched && asset->compressed && !AssetFiles::unzip(part, _storagePath, error, sizeLimit)) {
            std::remove(part.c_str());
            post(EventAssetsManagerEx::ERROR_DECOMPRESS, asset->path, asset->path + ": " + error);
            allDone = false;
            continue;
        }
        if (fetched && std::rename(part.c_str(), target.c_str()) != 0) {
            fetched = false;
            error = "cannot move into place";
        }
        if (!fetched) {
            std::remove(part.c_str());
            if (_abort)
                return false;
            post(EventAssetsManagerEx::ERROR_UPDATING, asset->path, asset->path + ": " + error);
            // Out of time, the files still to come would only fail one by one.
            if (downloader.isPastDeadline())
                return false;
            allDone = false;
            continue;
        }
        ++filesDone;
        bytesInPlace += asset->size;
        post(EventAssetsManagerEx::ASSET_UPDATED, asset->path);
        progress(asset->path, "", filesDone);
    }
    return allDone;
}

void AssetsManagerEx::post(EventAssetsManagerEx::EventCode code, const std::string& assetId,
                           const std::string& message, float percent, float percentByFile) {
    Director::getInstance()->getScheduler()->performFunctionInCocosThread(
        [this, code, assetId, message, percent, percentByFile] {
            // A listener may release this manager while it is told; it lives until the event is out.
            retain();
            if (EventAssetsManagerEx::isFinal(code))
                _updating = false;
            EventAssetsManagerEx event(_eventName, this, code, assetId, message, percent, percentByFile);
            Director::getInstance()->getEventDispatcher()->dispatchEvent(&event);
            release();
        },
        this);
}

} // namespace extension
} // namespace cocos2d
