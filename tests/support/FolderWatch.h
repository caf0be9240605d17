#pragma once
// Waiting for a worker's file in a folder without polling: the files closed after writing
// there, as inotify reports them.

#include <deque>
#include <string>

namespace qptest {

/// Watches one existing folder from construction on.
class FolderWatch {
public:
    explicit FolderWatch(const std::string& folder);
    ~FolderWatch();
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    bool ok() const { return _fd >= 0 && _watch >= 0; }
    /// Blocks until a file of the folder has been closed after writing; its name (no folder).
    /// Empty when the watch failed.
    std::string nextWrittenFile();

private:
    int _fd = -1;
    int _watch = -1;
    std::deque<std::string> _names;
};

} // namespace qptest
