#include "db/StoreOwnerLock.h"

#include "cocos2d.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

StoreOwnerLock::Result StoreOwnerLock::take(const std::string& folder)
{
    release();
    const std::string path = folder + kFileName;
    // Close-on-exec: a program started from here (a file dialog) must not keep the store
    // locked after this one has ended.
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        cocos2d::log("store: cannot open %s: %s", path.c_str(), std::strerror(errno));
        return Result::kNotLockable;
    }
    // A lock of this open file description: a second open, also in this program, is refused.
    int result;
    do
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    while (result != 0 && errno == EINTR);
    if (result == 0) {
        _fd = fd;
        return Result::kOwned;
    }
    const int error = errno;
    ::close(fd);
    if (error == EWOULDBLOCK)
        return Result::kInUse;
    cocos2d::log("store: cannot lock %s: %s", path.c_str(), std::strerror(error));
    return Result::kNotLockable;
}

void StoreOwnerLock::release()
{
    if (_fd < 0)
        return;
    // Closing the only descriptor of the open file drops the lock.
    ::close(_fd);
    _fd = -1;
}
