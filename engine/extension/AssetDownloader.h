#pragma once
// Fetches one address over HTTP(S) with libcurl, blocking, for the asset manager's worker.

#include <atomic>
#include <string>

namespace cocos2d {
namespace extension {

class AssetDownloader {
public:
    /// Transfers stop early, as failures, once *abort becomes true.
    explicit AssetDownloader(const std::atomic<bool>* abort);

    /// GETs the address into the file (created or truncated); false with a reason for a
    /// transfer error, an HTTP status of 400 or more, or an abort. A failed file is removed.
    bool toFile(const std::string& url, const std::string& path, std::string& error) const;
    /// GETs the address into text of at most maxBytes.
    bool toText(const std::string& url, std::string& text, std::string& error, size_t maxBytes = 8 << 20) const;

    /// Where a transfer's body goes.
    struct Sink;

private:
    bool fetch(const std::string& url, Sink& sink, std::string& error) const;

    const std::atomic<bool>* _abort;
};

} // namespace extension
} // namespace cocos2d
