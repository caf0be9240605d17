#pragma once
// Runs the version check and the double-buffered hot update of the resources: one folder is
// live (first on the search paths), the other is filled by the asset manager and becomes live
// at the next start. One is held by the online notice and replaced each time the program
// returns to the foreground once its sequence has ended.

#include "cocos2d.h"
#include "http/UIHttpPhisical.h"
#include "json/UIJson.h"
#include "lang/UILocalConfig.h"
#include "thread/NSThreadSafeDestroy.h"

#include <atomic>
#include <string>

namespace cocos2d {
namespace extension {
class AssetsManagerEx;
class EventAssetsManagerEx;
class EventListenerAssetsManagerEx;
} // namespace extension
} // namespace cocos2d

/// Main thread only, except the copy job, which touches nothing but the two folders.
class updateService : public cocos2d::Ref,
                      public NSUI::UILocalConfig,
                      public NSUI::NSThreadSafeDestroy,
                      public NSUI::UIHttpPhisical,
                      public NSUI::UIJson {
public:
    /// Autoreleased, with its sequence started; null when init fails.
    static updateService* create();
    /// Runs cleanup.
    virtual ~updateService();
    /// The start sequence: only the process's first service makes a finished update live and
    /// refreshes the spare folder; every service puts the live folder first on the search paths
    /// and then asks the server. Always true.
    virtual bool init();
    /// Waits for the copy job, withdraws its completion, drops the asset manager and the pending
    /// requests; the running flag is clear afterwards.
    virtual void cleanup();

    /// Posts the version check and the manifest request.
    void requestVersionCheck();
    void onHttpResponse(NSUI::UIHttpResponse* response) override;
    void onAssetsEvent(cocos2d::extension::EventAssetsManagerEx* event);

    /// True while the check and update sequence has not ended.
    bool isRunning() const { return _running; }
    /// Absolute paths; empty when the settings name no usable pair of folders.
    const std::string& getLiveFolder() const { return _liveFolder; }
    const std::string& getSpareFolder() const { return _spareFolder; }
    cocos2d::extension::AssetsManagerEx* getAssetsManager() const { return _assetsManager; }

    /// The next service counts as the first of a new process (for tests that play several starts).
    static void resetProcessState();

protected:
    updateService() = default;
    /// The sequence has ended (it clears the running flag).
    void finish();

    std::atomic<bool> _running{false};

private:
    /// Reads the two folders from the settings; false when they are unusable.
    bool chooseFolders();
    /// The live folder goes first on the search paths, once.
    void putLiveFolderFirst();
    void startCopyJob();
    /// The copy job's outcome, on the main thread.
    void onCopyDone();
    void readConfigFile();
    void startUpdate();
    void dropAssetsManager();

    cocos2d::extension::AssetsManagerEx* _assetsManager = nullptr;
    cocos2d::extension::EventListenerAssetsManagerEx* _listener = nullptr;
    std::string _liveFolder;
    std::string _spareFolder;
    /// Set by the copy job before it ends.
    std::atomic<bool> _copySucceeded{false};
    bool _copyPending = false;
};
