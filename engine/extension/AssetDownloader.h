#pragma once
// Fetches one address over HTTP(S) with libcurl, blocking, for the asset manager's worker.

#include <atomic>
#include <chrono>
#include <string>

namespace cocos2d {
namespace extension {

class AssetDownloader {
public:
    using Clock = std::chrono::steady_clock;

    /// Transfers stop early, as failures, once *abort becomes true or the deadline has passed;
    /// one started after the deadline fails at once.
    explicit AssetDownloader(const std::atomic<bool>* abort,
                             Clock::time_point deadline = Clock::time_point::max());

    /// GETs the address into the file (created or truncated); false with a reason for a
    /// transfer error, an HTTP status of 400 or more, a body of more than maxBytes, an abort or
    /// the deadline. maxBytes is above 0. A failed file is removed.
    bool toFile(const std::string& url, const std::string& path, std::string& error,
                long long maxBytes) const;
    /// GETs the address into text of at most maxBytes.
    bool toText(const std::string& url, std::string& text, std::string& error, size_t maxBytes = 8 << 20) const;

    /// True once the deadline has passed.
    bool isPastDeadline() const { return Clock::now() >= _deadline; }
    /// True once a transfer should stop: aborted or past the deadline.
    bool isCancelled() const;

    /// Where a transfer's body goes.
    struct Sink;

private:
    bool fetch(const std::string& url, Sink& sink, std::string& error) const;

    const std::atomic<bool>* _abort;
    Clock::time_point _deadline;
};

} // namespace extension
} // namespace cocos2d
