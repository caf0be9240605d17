#pragma once
// Brings a storage folder up to the resource set a manifest describes: fetches the files whose
// md5 differs, verifies each before it takes its place, and reports through engine events.

#include "base/Ref.h"
#include "extension/EventAssetsManagerEx.h"

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace cocos2d {
namespace extension {

class Manifest;
struct ManifestAsset;

/// Created and driven on the main thread; the work runs on a thread of its own and every event
/// is dispatched on the main thread. A file is fetched beside its target and renamed into place
/// only once its md5 matches, so a failed or interrupted update leaves each file old or new,
/// never half; the next update fetches only what is still missing. The manifest is copied into
/// the storage folder last, and only when every file is in place.
class AssetsManagerEx : public Ref {
public:
    /// The manifest's file name in the storage folder.
    static constexpr const char* kManifestName = "project.manifest";

    /// manifestUrl is found through the engine's search paths. With manifestIsLatest the local
    /// manifest is the server's current one and is used as it stands; otherwise the manifest at
    /// its "remoteManifestUrl" is fetched first. Autoreleased; null for an empty storage path.
    static AssetsManagerEx* create(const std::string& manifestUrl, const std::string& storagePath,
                                   bool manifestIsLatest);

    /// Stops the work (a transfer under way is cut short) and withdraws the events not yet
    /// dispatched.
    ~AssetsManagerEx() override;

    /// Starts an update unless one is under way.
    void update();

    /// The longest one update may take, the manifest and every file together; an update still
    /// running then ends as failed. 30 minutes unless changed; a change applies to updates
    /// started afterwards.
    static void setUpdateTimeLimit(std::chrono::milliseconds limit);
    static std::chrono::milliseconds getUpdateTimeLimit();
    /// The most bytes one file of the set may take: a fetched file whose manifest states no
    /// size (one that states a size may not grow past it either), or everything one archive
    /// unpacks to. 1 GiB unless changed.
    static void setFileSizeLimit(long long bytes);
    static long long getFileSizeLimit();
    bool isUpdating() const { return _updating; }

    const std::string& getStoragePath() const { return _storagePath; }
    /// The name of the custom events this manager dispatches.
    const std::string& getEventName() const { return _eventName; }

private:
    AssetsManagerEx(const std::string& manifestUrl, const std::string& storagePath, bool manifestIsLatest);

    using Clock = std::chrono::steady_clock;

    /// The worker: everything after the local manifest has been read, until the deadline.
    void run(std::string localManifest, Clock::time_point deadline);
    /// Fetches, verifies and places the files listed in todo; false when any failed.
    bool updateFiles(const Manifest& manifest, const std::vector<const ManifestAsset*>& todo,
                     Clock::time_point deadline);
    /// Queues an event for the main thread.
    void post(EventAssetsManagerEx::EventCode code, const std::string& assetId = "",
              const std::string& message = "", float percent = 0, float percentByFile = 0);

    std::string _manifestUrl;
    std::string _storagePath;
    bool _manifestIsLatest;
    std::string _eventName;
    bool _updating = false;
    std::atomic<bool> _abort{false};
    std::thread _worker;
};

} // namespace extension
} // namespace cocos2d
