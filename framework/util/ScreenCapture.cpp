#include "util/ScreenCapture.h"

#include "base/ccLog.h"
#include "notify/NSNotificationCenter.h"
#include "platform/FileUtils.h"
#include "util/TimeUtils.h"

#include <mutex>
#include <set>
#include <sys/stat.h>

namespace {

constexpr unsigned kCaptureSavedNotification = 1004;

std::mutex& captureMutex()
{
    static std::mutex m;
    return m;
}

ScreenCaptureBackend& backendSlot()
{
    static ScreenCaptureBackend backend;
    return backend;
}

// Paths handed out to captures that have not finished writing yet.
std::set<std::string>& reservedPaths()
{
    static std::set<std::string> paths;
    return paths;
}

bool pathExists(const std::string& path)
{
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

} // namespace

void setScreenCaptureBackend(ScreenCaptureBackend backend)
{
    std::lock_guard<std::mutex> lock(captureMutex());
    backendSlot() = std::move(backend);
}

std::string reserveCapturePath(const std::string& folder, const std::string& stamp)
{
    std::lock_guard<std::mutex> lock(captureMutex());
    auto& reserved = reservedPaths();
    std::string path = folder + stamp + ".jpg";
    for (int n = 1; reserved.count(path) || pathExists(path); ++n)
        path = folder + stamp + "_" + std::to_string(n) + ".jpg";
    reserved.insert(path);
    return path;
}

void releaseCapturePath(const std::string& path)
{
    std::lock_guard<std::mutex> lock(captureMutex());
    reservedPaths().erase(path);
}

void captureScreenToFile(const ScreenCaptureCallback& callback, int x, int y, int width,
                         int height)
{
    auto* files = cocos2d::FileUtils::getInstance();
    const std::string folder = files->getWritablePath() + "qp/tmp/capture/";
    if (!files->createDirectory(folder)) {
        if (callback)
            callback(false, std::string());
        return;
    }
    const std::string path = reserveCapturePath(folder, getTimestampString());
    ScreenCaptureBackend backend;
    {
        std::lock_guard<std::mutex> lock(captureMutex());
        backend = backendSlot();
    }
    ScreenCaptureCallback finish = [callback, path](bool succeeded, const std::string&) {
        releaseCapturePath(path);
        if (callback)
            callback(succeeded, path);
    };
    if (!backend) {
        cocos2d::log("captureScreenToFile: screen capture is not available");
        finish(false, path);
        return;
    }
    backend(finish, path, x, y, width, height);
}

void captureScreenToFile(int x, int y, int width, int height)
{
    captureScreenToFile(
        [](bool succeeded, const std::string& path) {
            if (succeeded)
                NSUI::NSNotificationCenter::getInstance()->postNotificationWithString(
                    nullptr, kCaptureSavedNotification, path, nullptr, false);
        },
        x, y, width, height);
}
