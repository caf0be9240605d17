#include "support/FolderWatch.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace qptest {

FolderWatch::FolderWatch(const std::string& folder) : _fd(inotify_init1(IN_CLOEXEC))
{
    if (_fd >= 0)
        _watch = inotify_add_watch(_fd, folder.c_str(), IN_CLOSE_WRITE);
}

FolderWatch::~FolderWatch()
{
    if (_fd >= 0)
        close(_fd);
}

std::string FolderWatch::nextWrittenFile()
{
    alignas(inotify_event) char buffer[4096];
    while (_names.empty() && ok()) {
        const ssize_t n = read(_fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return std::string();
        for (ssize_t at = 0; at + static_cast<ssize_t>(sizeof(inotify_event)) <= n;) {
            inotify_event event;
            memcpy(&event, buffer + at, sizeof event);
            if (event.len > 0)
                _names.emplace_back(buffer + at + sizeof event);
            at += static_cast<ssize_t>(sizeof event + event.len);
        }
    }
    if (_names.empty())
        return std::string();
    std::string name = _names.front();
    _names.pop_front();
    return name;
}

} // namespace qptest
