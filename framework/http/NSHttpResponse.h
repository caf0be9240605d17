#pragma once
// The outcome of one HTTP transfer: success, status, body, raw header lines, error text and,
// for a download, the file that receives the body.

#include "cocos2d.h"

#include <cstdio>
#include <string>
#include <vector>

namespace NSUI {

class NSHttpRequest;

/// Made by the client's worker for each request it takes; read on the main thread once the
/// transfer is over. A download is written to a temporary file beside the local file and only
/// moved over it when the transfer succeeds, so a failed download leaves the previous copy alone.
class NSHttpResponse : public cocos2d::Ref {
public:
    /// Retains the request; for a download, opens the temporary file.
    explicit NSHttpResponse(NSHttpRequest* request);
    /// Releases the request and discards a download that was never finished.
    ~NSHttpResponse() override;
    NSHttpResponse(const NSHttpResponse&) = delete;
    NSHttpResponse& operator=(const NSHttpResponse&) = delete;

    NSHttpRequest* getRequest() const { return _request; }

    /// Transfer done and status from 200 to 299 (and, for a download, the file written).
    bool isSucceed() const { return _succeed; }
    void setSucceed(bool succeed) { _succeed = succeed; }

    /// Reply body (empty for a download, whose body goes to the file).
    std::vector<char>& getResponseData() { return _body; }
    const std::vector<char>& getResponseData() const { return _body; }
    /// Raw header lines as received.
    std::vector<char>& getResponseHeader() { return _header; }
    const std::vector<char>& getResponseHeader() const { return _header; }

    /// HTTP status; -1 when the transfer never read one.
    int getResponseCode() const { return _status; }
    void setResponseCode(int status) { _status = status; }

    const std::string& getErrorText() const { return _errorText; }
    void setErrorText(const std::string& text) { _errorText = text; }

    /// True while the download's temporary file is open for writing.
    bool hasDownloadFile() const { return _downloadFile != nullptr; }
    /// Appends to the temporary file; false when not every byte was written.
    bool writeDownload(const char* data, size_t size);
    /// Closes the temporary file; with keep, moves it over the local file. False when the file
    /// could not be completed or moved; the temporary file is gone afterwards either way.
    bool finishDownload(bool keep);
    /// Closes and removes an unfinished temporary file; nothing when none is open.
    void closeDownloadFile() { finishDownload(false); }

private:
    NSHttpRequest* _request = nullptr;
    bool _succeed = false;
    std::vector<char> _body;
    std::vector<char> _header;
    int _status = -1;
    std::string _errorText;
    FILE* _downloadFile = nullptr;
    std::string _tempPath;
};

} // namespace NSUI
