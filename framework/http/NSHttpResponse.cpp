#include "http/NSHttpResponse.h"

#include "http/NSHttpRequest.h"

#include <cerrno>
#include <cstring>

namespace NSUI {

NSHttpResponse::NSHttpResponse(NSHttpRequest* request) : _request(request) {
    if (!_request)
        return;
    _request->retain();
    if (_request->getMethod() != NSHttpRequest::kMethodDownload)
        return;
    const std::string& target = _request->getLocalFile();
    if (target.empty()) {
        cocos2d::log("http: download of %s has no local file", _request->getUrl().c_str());
        return;
    }
    _tempPath = target + ".part";
    _downloadFile = std::fopen(_tempPath.c_str(), "wb");
    if (!_downloadFile) {
        cocos2d::log("http: cannot open %s for writing: %s", _tempPath.c_str(), std::strerror(errno));
        _tempPath.clear();
    }
}

NSHttpResponse::~NSHttpResponse() {
    closeDownloadFile();
    if (_request)
        _request->release();
}

bool NSHttpResponse::writeDownload(const char* data, size_t size) {
    if (!_downloadFile)
        return false;
    return std::fwrite(data, 1, size, _downloadFile) == size;
}

bool NSHttpResponse::finishDownload(bool keep) {
    if (!_downloadFile)
        return false;
    // fclose flushes; a full disk may show up only here.
    bool written = std::fclose(_downloadFile) == 0;
    _downloadFile = nullptr;
    const std::string& target = _request->getLocalFile();
    bool kept = false;
    if (keep && written) {
        kept = std::rename(_tempPath.c_str(), target.c_str()) == 0;
        if (!kept) {
            cocos2d::log("http: cannot move %s to %s: %s", _tempPath.c_str(), target.c_str(),
                         std::strerror(errno));
        }
    } else if (keep) {
        cocos2d::log("http: cannot finish writing %s", _tempPath.c_str());
    }
    if (!kept)
        std::remove(_tempPath.c_str());
    _tempPath.clear();
    return kept;
}

} // namespace NSUI
