#include "extension/AssetDownloader.h"

#include <curl/curl.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <mutex>

namespace cocos2d {
namespace extension {

struct AssetDownloader::Sink {
    FILE* file = nullptr;
    std::string* text = nullptr;
    /// The body may not grow past this many bytes.
    unsigned long long maxBytes = 0;
    unsigned long long received = 0;
    bool tooLarge = false;
    const AssetDownloader* owner = nullptr;
};

namespace {

size_t onBody(char* data, size_t size, size_t count, void* user) {
    auto* sink = static_cast<AssetDownloader::Sink*>(user);
    size_t bytes = size * count;
    // Handing back fewer bytes than given makes libcurl stop the transfer as a write error.
    if (bytes > sink->maxBytes - sink->received) {
        sink->tooLarge = true;
        return 0;
    }
    sink->received += bytes;
    if (sink->file)
        return std::fwrite(data, 1, bytes, sink->file);
    sink->text->append(data, bytes);
    return bytes;
}

int onProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<const AssetDownloader::Sink*>(user)->owner->isCancelled() ? 1 : 0;
}

} // namespace

AssetDownloader::AssetDownloader(const std::atomic<bool>* abort, Clock::time_point deadline)
    : _abort(abort), _deadline(deadline) {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool AssetDownloader::isCancelled() const {
    return (_abort && _abort->load()) || isPastDeadline();
}

bool AssetDownloader::fetch(const std::string& url, Sink& sink, std::string& error) const {
    if (isPastDeadline()) {
        error = "the time allowed ran out";
        return false;
    }
    CURL* curl = curl_easy_init();
    if (!curl) {
        error = "cannot start a transfer";
        return false;
    }
    sink.owner = this;
    char reason[CURL_ERROR_SIZE] = {0};
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 10L);
    // A stalled transfer (under one byte a second for half a minute) fails instead of hanging.
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, 30L);
    // libcurl ends the transfer at the deadline itself; the progress check is the second guard.
    if (_deadline != Clock::time_point::max()) {
        long long left =
            std::chrono::duration_cast<std::chrono::milliseconds>(_deadline - Clock::now()).count();
        long limit = static_cast<long>(std::min<long long>(std::max(left, 1LL), LONG_MAX));
        curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, limit);
    }
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, reason);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, onBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, onProgress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &sink);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    CURLcode code = curl_easy_perform(curl);
    curl_easy_cleanup(curl);
    if (code == CURLE_OK)
        return true;
    if (sink.tooLarge)
        error = "larger than " + std::to_string(sink.maxBytes) + " bytes";
    else if (_abort && _abort->load())
        error = "cancelled";
    else if (isPastDeadline())
        error = "the time allowed ran out";
    else
        error = reason[0] ? reason : curl_easy_strerror(code);
    return false;
}

bool AssetDownloader::toFile(const std::string& url, const std::string& path, std::string& error,
                             long long maxBytes) const {
    Sink sink;
    sink.maxBytes = maxBytes > 0 ? static_cast<unsigned long long>(maxBytes) : 0;
    sink.file = std::fopen(path.c_str(), "wb");
    if (!sink.file) {
        error = "cannot write " + path;
        return false;
    }
    bool done = fetch(url, sink, error);
    if (std::fclose(sink.file) != 0 && done) {
        error = "cannot write " + path;
        done = false;
    }
    if (!done)
        std::remove(path.c_str());
    return done;
}

bool AssetDownloader::toText(const std::string& url, std::string& text, std::string& error,
                             size_t maxBytes) const {
    text.clear();
    Sink sink;
    sink.text = &text;
    sink.maxBytes = maxBytes;
    return fetch(url, sink, error);
}

} // namespace extension
} // namespace cocos2d
