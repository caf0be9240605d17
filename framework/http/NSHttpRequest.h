#pragma once
// One HTTP request waiting for, or in, its transfer: method, address, headers, body and
// the owner and callback that its reply goes to.

#include "cocos2d.h"

#include <functional>
#include <string>
#include <vector>

namespace NSUI {

class NSHttpClient;
class NSHttpResponse;

typedef std::function<void(NSHttpClient* client, NSHttpResponse* response)> NSHttpCallback;

/// One part of a multipart form: a file part when filePath is set, else a text part.
struct NSHttpFormPart {
    std::string name;
    std::string text;
    std::string filePath;
    std::string contentType;
};

/// Built on the main thread and handed to NSHttpClient::send; after that the worker reads it
/// and only the client changes its owner and callback (under its locks).
class NSHttpRequest : public cocos2d::Ref {
public:
    enum Method {
        kMethodGet = 0,
        kMethodPost = 1,
        kMethodPut = 2,
        kMethodDelete = 3,
        /// A multipart form POST built from the form parts.
        kMethodUpload = 4,
        /// A POST whose reply body goes to the local file.
        kMethodDownload = 5,
        kMethodNone = 6
    };

    /// A new autoreleased request of method none.
    static NSHttpRequest* create();

    NSHttpRequest() = default;
    ~NSHttpRequest() override = default;

    void setMethod(int method) { _method = method; }
    int getMethod() const { return _method; }

    void setUrl(const std::string& url) { _url = url; }
    const std::string& getUrl() const { return _url; }

    void setBody(const std::string& bytes) { _body.assign(bytes.begin(), bytes.end()); }
    void setBody(const char* bytes, size_t size) { _body.assign(bytes, bytes + size); }
    const std::vector<char>& getBody() const { return _body; }

    void setTag(const std::string& tag) { _tag = tag; }
    const std::string& getTag() const { return _tag; }

    /// Names the object that waits for the reply; null means nobody waits.
    void setOwner(void* owner) { _owner = owner; }
    void* getOwner() const { return _owner; }

    void setCallback(const NSHttpCallback& callback) { _callback = callback; }
    const NSHttpCallback& getCallback() const { return _callback; }

    /// One whole header line: "Name: value".
    void addHeader(const std::string& line) { _headers.push_back(line); }
    void setHeaders(const std::vector<std::string>& lines) { _headers = lines; }
    const std::vector<std::string>& getHeaders() const { return _headers; }

    /// The file that receives the reply body of a download.
    void setLocalFile(const std::string& path) { _localFile = path; }
    const std::string& getLocalFile() const { return _localFile; }

    void addFormFile(const std::string& name, const std::string& filePath, const std::string& contentType);
    void addFormText(const std::string& name, const std::string& text);
    const std::vector<NSHttpFormPart>& getFormParts() const { return _formParts; }

private:
    std::vector<NSHttpFormPart> _formParts;
    int _method = kMethodNone;
    std::string _url;
    std::vector<char> _body;
    std::string _tag;
    void* _owner = nullptr;
    NSHttpCallback _callback;
    std::vector<std::string> _headers;
    std::string _localFile;
};

} // namespace NSUI
