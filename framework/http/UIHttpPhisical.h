#pragma once
// Mixin that gives a class tagged HTTP requests and delivers every reply to its
// onHttpResponse on the main thread.

#include "http/UIHttpResponse.h"

#include <string>

namespace NSUI {

class NSHttpClient;
class NSHttpRequest;
class NSHttpResponse;

/// Replies reach onHttpResponse only while the owner is set: the class sets it to itself in
/// its init. Bodies pass through unchanged both ways. Every request but an upload carries
/// "Content-Type: application/json; charset=utf-8" unless the caller passes a header line of
/// its own; non-empty credentials add an "Authorization: Basic" line. Destroying the mixin
/// withdraws its owner's requests, so no reply reaches an object that is gone.
class UIHttpPhisical {
public:
    UIHttpPhisical() = default;
    virtual ~UIHttpPhisical();

    /// A multipart POST: a file part named fieldName with the file at localPath (sent as
    /// contentType), then a text part "uploadInfo".
    virtual void upload(std::string fieldName, std::string uploadInfo, std::string localPath,
                        std::string contentType, std::string tag, std::string url,
                        std::string credentials = "", std::string header = "");
    /// A POST of body whose reply goes to localPath; its folder is created when missing. A reply
    /// of status 200 arrives with the body {"localFile":..., "fileSize":...}; any other reply
    /// arrives with an empty body, and only a success replaces an existing file. The flag is
    /// not used.
    virtual void download(std::string url, std::string body, std::string localPath, std::string tag,
                          bool flag = false, std::string credentials = "", std::string header = "");
    /// A GET; the body is not sent.
    virtual void get(std::string url, std::string body, std::string tag, std::string credentials = "",
                     std::string header = "");
    virtual void post(std::string url, std::string body, std::string tag, std::string credentials = "",
                      std::string header = "");
    /// A DELETE; the body is not sent.
    virtual void del(std::string url, std::string body, std::string tag, std::string credentials = "",
                     std::string header = "");
    virtual void put(std::string url, std::string body, std::string tag, std::string credentials = "",
                     std::string header = "");

    /// Completion of get, post, put, del and upload: hands the reply to onHttpResponse.
    virtual void onHttpComplete(NSHttpClient* client, NSHttpResponse* response);
    /// Completion of download.
    virtual void loadHttpImage(NSHttpClient* client, NSHttpResponse* response);
    /// The owner's reply handler; tells requests apart by the reply's tag.
    virtual void onHttpResponse(UIHttpResponse* response);

    /// Names this object to the HTTP client; null (the default) means replies are not delivered.
    void setHttpOwner(void* owner) { _httpOwner = owner; }
    void* getHttpOwner() const { return _httpOwner; }

protected:
    void* _httpOwner = nullptr;

private:
    /// A request of the given method carrying the owner, tag, credentials and header lines.
    NSHttpRequest* makeRequest(int method, const std::string& url, const std::string& tag,
                               const std::string& credentials, const std::string& header);
    void sendBodyRequest(int method, const std::string& url, const std::string& body, const std::string& tag,
                         const std::string& credentials, const std::string& header);
    /// The reply to a finished transfer: its tag, success and status, and its body, or the
    /// error text when it brought no body.
    static UIHttpResponse* buildReply(NSHttpResponse* response);
};

} // namespace NSUI
