#include "extension/AssetDownloader.h"

#include <curl/curl.h>

#include <cstdio>
#include <mutex>

namespace cocos2d {
namespace extension {

struct AssetDownloader::Sink {
    FILE* file = nullptr;
    std::string* text = nullptr;
    size_t maxBytes = 0;
    bool tooLarge = false;
};

namespace {

size_t onBody(char* data, size_t size, size_t count, void* user) {
    auto* sink = static_cast<AssetDownloader::Sink*>(user);
    size_t bytes = size * count;
    if (sink->file)
        return std::fwrite(data, 1, bytes, sink->file);
    if (sink->text->size() + bytes > sink->maxBytes) {
        sink->tooLarge = true;
        return 0;
    }
    sink->text->append(data, bytes);
    return bytes;
}

int onProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    auto* abort = static_cast<const std::atomic<bool>*>(user);
    return abort && abort->load() ? 1 : 0;
}

} // namespace

AssetDownloader::AssetDownloader(const std::atomic<bool>* abort) : _abort(abort) {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool AssetDownloader::fetch(const std::string& url, Sink& sink, std::string& error) const {
    CURL* curl = curl_easy_init();
    if (!curl) {
        error = "cannot start a transfer";
        return false;
    }
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
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, reason);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, onBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, onProgress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, _abort);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    CURLcode code = curl_easy_perform(curl);
    curl_easy_cleanup(curl);
    if (code == CURLE_OK)
        return true;
    if (sink.tooLarge)
        error = "the reply is too large";
    else if (code == CURLE_ABORTED_BY_CALLBACK)
        error = "cancelled";
    else
        error = reason[0] ? reason : curl_easy_strerror(code);
    return false;
}

bool AssetDownloader::toFile(const std::string& url, const std::string& path, std::string& error) const {
    Sink sink;
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
