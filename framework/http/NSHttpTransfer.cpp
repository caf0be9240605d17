#include "http/NSHttpTransfer.h"

#include "http/NSHttpRequest.h"
#include "http/NSHttpResponse.h"

#include <curl/curl.h>

namespace NSUI {

namespace {

struct WriteState {
    NSHttpResponse* response = nullptr;
    bool download = false;
    bool writeFault = false;
    bool tooLarge = false;
    long long maxDownload = 0;
    long long downloaded = 0;
    bool downloadTooLarge = false;
};

// Whether bytes more still fit in what the reply may keep in memory (its header lines and,
// unless it is a download, its body); marks the reply too large when they do not.
bool fitsInMemory(WriteState& state, size_t bytes) {
    const NSHttpResponse* response = state.response;
    size_t kept = response->getResponseHeader().size() + response->getResponseData().size();
    if (bytes > NSHttpTransfer::kMaxReplyBytes - kept) {
        state.tooLarge = true;
        return false;
    }
    return true;
}

size_t onBody(char* data, size_t size, size_t count, void* user) {
    auto* state = static_cast<WriteState*>(user);
    size_t bytes = size * count;
    if (!state->download) {
        // Handing back fewer bytes than given makes libcurl stop the transfer as a write error.
        if (!fitsInMemory(*state, bytes))
            return 0;
        auto& body = state->response->getResponseData();
        body.insert(body.end(), data, data + bytes);
        return bytes;
    }
    // A server decides how much it sends: what reaches the disk stops at the limit. (libcurl
    // itself hands over no byte past a length the reply states.)
    if (static_cast<long long>(bytes) > state->maxDownload - state->downloaded) {
        state->downloadTooLarge = true;
        return 0;
    }
    state->downloaded += static_cast<long long>(bytes);
    if (!state->response->writeDownload(data, bytes)) {
        state->writeFault = true;
        return 0;
    }
    return bytes;
}

size_t onHeader(char* data, size_t size, size_t count, void* user) {
    auto* state = static_cast<WriteState*>(user);
    size_t bytes = size * count;
    if (!fitsInMemory(*state, bytes))
        return 0;
    auto& header = state->response->getResponseHeader();
    header.insert(header.end(), data, data + bytes);
    return bytes;
}

int onProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<const std::atomic<bool>*>(user)->load() ? 1 : 0;
}

template <class T> bool setOption(CURL* curl, CURLoption option, T value) {
    return curl_easy_setopt(curl, option, value) == CURLE_OK;
}

// Holds what one transfer allocates so every return path frees it.
struct Handles {
    CURL* curl = nullptr;
    curl_slist* headers = nullptr;
    curl_mime* form = nullptr;
    ~Handles() {
        if (curl)
            curl_easy_cleanup(curl);
        curl_mime_free(form);
        curl_slist_free_all(headers);
    }
};

void setTls(CURL* curl, const NSHttpSettings& settings) {
    // Results are not checked: a libcurl without TLS still serves plain HTTP.
    if (!settings.caFilePath.empty()) {
        setOption(curl, CURLOPT_SSL_VERIFYPEER, 1L);
        setOption(curl, CURLOPT_SSL_VERIFYHOST, 2L);
        setOption(curl, CURLOPT_CAINFO, settings.caFilePath.c_str());
    } else if (settings.verifyPeers) {
        // libcurl's built-in default is the system's bundle.
        setOption(curl, CURLOPT_SSL_VERIFYPEER, 1L);
        setOption(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    } else {
        setOption(curl, CURLOPT_SSL_VERIFYPEER, 0L);
        setOption(curl, CURLOPT_SSL_VERIFYHOST, 0L);
    }
}

bool setCommon(Handles& h, NSHttpResponse* response, WriteState& state, char* errorBuffer,
               const NSHttpSettings& settings, const std::atomic<bool>* abort) {
    CURL* curl = h.curl;
    NSHttpRequest* request = response->getRequest();
    if (!setOption(curl, CURLOPT_ERRORBUFFER, errorBuffer))
        return false;
    if (!setOption(curl, CURLOPT_TIMEOUT, static_cast<long>(settings.totalTimeout)))
        return false;
    if (!setOption(curl, CURLOPT_CONNECTTIMEOUT, static_cast<long>(settings.connectTimeout)))
        return false;
    setTls(curl, settings);
    setOption(curl, CURLOPT_NOSIGNAL, 1L);
    for (const auto& line : request->getHeaders()) {
        curl_slist* grown = curl_slist_append(h.headers, line.c_str());
        if (!grown)
            return false;
        h.headers = grown;
    }
    if (h.headers && !setOption(curl, CURLOPT_HTTPHEADER, h.headers))
        return false;
    if (!settings.cookieFilePath.empty()) {
        if (!setOption(curl, CURLOPT_COOKIEFILE, settings.cookieFilePath.c_str()))
            return false;
        if (!setOption(curl, CURLOPT_COOKIEJAR, settings.cookieFilePath.c_str()))
            return false;
    }
    // Addresses come from configuration and from server replies; nothing but HTTP(S) is
    // fetched, before or after a redirect.
    if (!setOption(curl, CURLOPT_PROTOCOLS_STR, "http,https"))
        return false;
    if (!setOption(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https"))
        return false;
    if (!setOption(curl, CURLOPT_URL, request->getUrl().c_str()))
        return false;
    // A stated length past the download limit is refused before anything is written.
    if (state.download &&
        !setOption(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(state.maxDownload)))
        return false;
    if (!setOption(curl, CURLOPT_WRITEFUNCTION, onBody))
        return false;
    if (!setOption(curl, CURLOPT_WRITEDATA, &state))
        return false;
    if (!setOption(curl, CURLOPT_HEADERFUNCTION, onHeader))
        return false;
    if (!setOption(curl, CURLOPT_HEADERDATA, &state))
        return false;
    if (abort) {
        if (!setOption(curl, CURLOPT_XFERINFOFUNCTION, onProgress))
            return false;
        if (!setOption(curl, CURLOPT_XFERINFODATA, abort))
            return false;
        if (!setOption(curl, CURLOPT_NOPROGRESS, 0L))
            return false;
    }
    return true;
}

bool setBody(CURL* curl, const NSHttpRequest* request) {
    const auto& body = request->getBody();
    // An empty body is sent as zero bytes; a null pointer would make libcurl read stdin.
    const char* bytes = body.empty() ? "" : body.data();
    return setOption(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size())) &&
           setOption(curl, CURLOPT_POSTFIELDS, bytes);
}

bool setForm(Handles& h, const NSHttpRequest* request, std::string& error) {
    h.form = curl_mime_init(h.curl);
    if (!h.form)
        return false;
    for (const auto& field : request->getFormParts()) {
        curl_mimepart* part = curl_mime_addpart(h.form);
        if (!part || curl_mime_name(part, field.name.c_str()) != CURLE_OK)
            return false;
        if (!field.filePath.empty()) {
            if (curl_mime_filedata(part, field.filePath.c_str()) != CURLE_OK) {
                error = "cannot read upload file " + field.filePath;
                return false;
            }
        } else if (curl_mime_data(part, field.text.data(), field.text.size()) != CURLE_OK) {
            return false;
        }
        if (!field.contentType.empty() && curl_mime_type(part, field.contentType.c_str()) != CURLE_OK)
            return false;
    }
    return setOption(h.curl, CURLOPT_MIMEPOST, h.form);
}

bool setMethod(Handles& h, const NSHttpRequest* request, std::string& error) {
    CURL* curl = h.curl;
    switch (request->getMethod()) {
    case NSHttpRequest::kMethodGet:
        return setOption(curl, CURLOPT_FOLLOWLOCATION, 1L);
    case NSHttpRequest::kMethodPost:
    case NSHttpRequest::kMethodDownload:
        return setOption(curl, CURLOPT_POST, 1L) && setOption(curl, CURLOPT_FOLLOWLOCATION, 1L) &&
               setBody(curl, request);
    case NSHttpRequest::kMethodPut:
        return setOption(curl, CURLOPT_CUSTOMREQUEST, "PUT") && setBody(curl, request);
    case NSHttpRequest::kMethodDelete:
        return setOption(curl, CURLOPT_CUSTOMREQUEST, "DELETE") &&
               setOption(curl, CURLOPT_FOLLOWLOCATION, 1L);
    case NSHttpRequest::kMethodUpload:
        return setForm(h, request, error);
    default:
        error = "request has no method";
        return false;
    }
}

void fail(NSHttpResponse* response, const std::string& error) {
    response->setSucceed(false);
    response->setErrorText(error);
    response->closeDownloadFile();
    cocos2d::log("http: %s failed, status %d: %s", response->getRequest()->getUrl().c_str(),
                 response->getResponseCode(), error.c_str());
}

} // namespace

void NSHttpTransfer::perform(NSHttpResponse* response, const NSHttpSettings& settings,
                             const std::atomic<bool>* abort) {
    response->setResponseCode(-1);
    response->setSucceed(false);
    NSHttpRequest* request = response->getRequest();
    bool download = request->getMethod() == NSHttpRequest::kMethodDownload;
    // With nowhere to put the body, a download can only fail; no need to fetch it.
    if (download && !response->hasDownloadFile()) {
        fail(response, "cannot write local file " + request->getLocalFile());
        return;
    }

    Handles h;
    h.curl = curl_easy_init();
    if (!h.curl) {
        fail(response, "cannot start a transfer");
        return;
    }
    char errorBuffer[CURL_ERROR_SIZE] = {0};
    WriteState state;
    state.response = response;
    state.download = download;
    state.maxDownload = settings.maxDownloadBytes;
    std::string error;
    if (!setCommon(h, response, state, errorBuffer, settings, abort) || !setMethod(h, request, error)) {
        fail(response, error.empty() ? "transfer option refused" : error);
        return;
    }

    CURLcode code = curl_easy_perform(h.curl);
    long status = 0;
    bool statusRead = curl_easy_getinfo(h.curl, CURLINFO_RESPONSE_CODE, &status) == CURLE_OK;
    // libcurl reports 0 when no status line arrived.
    if (statusRead && status != 0)
        response->setResponseCode(static_cast<int>(status));
    bool ok = code == CURLE_OK && statusRead && status >= 200 && status <= 299;

    if (state.tooLarge) {
        // The part received means nothing on its own: the owner gets the reason instead.
        ok = false;
        std::vector<char>().swap(response->getResponseData());
        error = "the reply is larger than " + std::to_string(kMaxReplyBytes) + " bytes and was cut off";
    } else if (state.downloadTooLarge || code == CURLE_FILESIZE_EXCEEDED) {
        // Stopped before it filled the disk; the partial file is removed on failure.
        ok = false;
        error = "the download is larger than " + std::to_string(state.maxDownload) + " bytes and was stopped";
    } else if (state.writeFault) {
        error = "cannot write local file " + request->getLocalFile();
    } else if (code != CURLE_OK) {
        error = errorBuffer[0] ? errorBuffer : curl_easy_strerror(code);
    }
    if (download && ok && !response->finishDownload(true)) {
        ok = false;
        error = "cannot write local file " + request->getLocalFile();
    }
    if (!ok) {
        fail(response, error);
        return;
    }
    response->setSucceed(true);
}

} // namespace NSUI
