#pragma once
// Opens a series for the viewing screen on a one-shot thread: makes sure its ".prebin" cache
// exists, opens the series reader and registers it under the series folder, then posts the
// result (2000) to the screen. The job owns copies of everything it reads, so the screen may
// go while it runs; a cancelled job posts nothing and keeps no reader registered.

#include <memory>
#include <mutex>
#include <string>

#include "cocos2d.h"

namespace NSUI {
class NSActivity;
}

class seriesLoadJob : public std::enable_shared_from_this<seriesLoadJob> {
public:
    /// root: the store root ending in "/"; folder: the series folder relative to it;
    /// screen: the object of the result notification (only compared, never touched).
    seriesLoadJob(std::string root, std::string folder, cocos2d::Ref* screen);

    /// The busy overlay its progress texts go to, set before start: only while that one is the
    /// overlay up, as another screen's may be (only compared, never touched otherwise).
    void setProgressOverlay(const NSUI::NSActivity* overlay) { progressOverlay = overlay; }
    /// Runs the job on a detached thread.
    void start();
    /// The job's body; public so that benchmarks and tests can run it in place.
    void run();
    /// Called on the main thread when the screen goes: nothing is posted or registered after it.
    void cancel();
    bool isCancelled() const;
    /// What the job has posted so far: 1 the series is registered, -1 it failed, 0 nothing yet.
    int getResult() const;

    const std::string& getFolder() const { return folder; }

private:
    /// Hands the progress overlay's text to the main thread.
    void showProgressText(const char* text);
    /// Posts 2000 (int -1 on failure) unless cancelled.
    void postResult(bool ok);

    const std::string root;
    const std::string folder;
    cocos2d::Ref* const screen;
    const NSUI::NSActivity* progressOverlay = nullptr;
    mutable std::mutex mutex;
    bool cancelled = false;
    int result = 0;
};
