#pragma once
// Performs one HTTP transfer over libcurl for the client's worker thread.

#include <atomic>
#include <cstddef>
#include <string>

namespace NSUI {

class NSHttpResponse;

/// How every transfer is set up; the client keeps one copy and hands the worker a snapshot.
struct NSHttpSettings {
    /// Seconds allowed to connect.
    int connectTimeout = 5;
    /// Seconds allowed for the whole transfer.
    int totalTimeout = 60;
    /// Certificate-authority bundle; empty uses the system bundle.
    std::string caFilePath;
    /// Cookies are read from and written to this file when it is set.
    std::string cookieFilePath;
    /// Peers and host names of TLS connections are verified unless this is turned off.
    bool verifyPeers = true;
    /// The most bytes a download may write to its file.
    long long maxDownloadBytes = 1LL << 30;
};

class NSHttpTransfer {
public:
    /// What one reply may keep in memory: its header lines and, unless it is a download, its
    /// body. Service replies are a few kilobytes; a reply that grows past this fails.
    static constexpr size_t kMaxReplyBytes = 4 << 20;

    /// Runs the response's request to its end (blocking) and fills the response: status, body,
    /// header lines, success and error text. A download is moved into place only on success.
    /// The transfer stops early as a failure once *abort becomes true.
    static void perform(NSHttpResponse* response, const NSHttpSettings& settings,
                        const std::atomic<bool>* abort);
};

} // namespace NSUI
