#include "db/StoreOwnerLock.h"

#include "cocos2d.h"

#include <cerrno>
#include <cstring>
#include <mutex>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

// The lock the launch took ahead, until a store of its folder takes it over.
std::mutex g_aheadMutex;
std::string g_aheadFolder;
int g_aheadFd = -1;

// Opens and locks the folder's lock file; fd is the locked descriptor when kOwned.
StoreOwnerLock::Result lockFile(const std::string& folder, int& locked)
{
    const std::string path = folder + StoreOwnerLock::kFileName;
    // Close-on-exec: a program started from here (a file dialog) must not keep the store
    // locked after this one has ended.
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        cocos2d::log("store: cannot open %s: %s", path.c_str(), std::strerror(errno));
        return StoreOwnerLock::Result::kNotLockable;
    }
    // A lock of this open file description: a second open, also in this program, is refused.
    int result;
    do
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    while (result != 0 && errno == EINTR);
    if (result == 0) {
        locked = fd;
        return StoreOwnerLock::Result::kOwned;
    }
    const int error = errno;
    ::close(fd);
    if (error == EWOULDBLOCK)
        return StoreOwnerLock::Result::kInUse;
    cocos2d::log("store: cannot lock %s: %s", path.c_str(), std::strerror(error));
    return StoreOwnerLock::Result::kNotLockable;
}

} // namespace

StoreOwnerLock::Result StoreOwnerLock::take(const std::string& folder)
{
    release();
    {
        std::lock_guard<std::mutex> lock(g_aheadMutex);
        if (g_aheadFd >= 0 && g_aheadFolder == folder) {
            // A second lock on the same file would be refused by the first: this one is kept.
            _fd = g_aheadFd;
            g_aheadFd = -1;
            g_aheadFolder.clear();
            return Result::kOwned;
        }
    }
    return lockFile(folder, _fd);
}

StoreOwnerLock::Result StoreOwnerLock::takeAhead(const std::string& folder)
{
    std::lock_guard<std::mutex> lock(g_aheadMutex);
    if (g_aheadFd >= 0) {
        if (g_aheadFolder == folder)
            return Result::kOwned;
        // Another folder's: the program now means this one.
        ::close(g_aheadFd);
        g_aheadFd = -1;
    }
    const Result result = lockFile(folder, g_aheadFd);
    g_aheadFolder = result == Result::kOwned ? folder : std::string();
    return result;
}

void StoreOwnerLock::release()
{
    if (_fd < 0)
        return;
    // Closing the only descriptor of the open file drops the lock.
    ::close(_fd);
    _fd = -1;
}
