#pragma once
// The workstation's online service in miniature, for loopback: accounts kept in memory, the
// session check, version check and hot-update manifest, the statistics address and upload, the
// two web pages and a package to download. Every path can be scripted to misbehave.

#include "LoopbackHttpServer.h"

#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace testserver {

struct Account {
    std::string userId;
    std::string nickname;
    std::string password;
    std::string mail;
    /// The "loginTime" of the latest sign-in; a session check with another one is refused.
    std::string loginTime;
};

/// One scripted misbehaviour for requests of a path.
struct Fault {
    /// Answer with this HTTP status instead (0 keeps the service's).
    int httpStatus = 0;
    int delayMs = 0;
    /// Close the connection without answering.
    bool drop = false;
    /// Leave "Status" out of the reply.
    bool omitStatus = false;
    /// Reply with this "Status" instead of the service's (empty keeps it).
    std::string replyStatus;
    /// Break a Base64 reply into lines of 76 characters, each ending in a newline, as mail
    /// encoders do (so it also ends in a newline).
    bool wrapLines = false;
    /// Above 0: answer with this many filler bytes instead of the service's reply.
    size_t bodyBytes = 0;
    /// Above 0: after the head, send the reply's bytes one at a time this many milliseconds
    /// apart, for ever, until the client hangs up.
    int endlessMs = 0;
    /// Requests it applies to; -1 for every one.
    int times = 1;
};

struct RecordedRequest {
    std::string method;
    std::string path;
    std::string body;
    /// The body Base64-decoded (empty when it is not Base64).
    std::string json;
};

/// Thread-safe: the serving thread and the caller share it under one lock.
class TestServer {
public:
    TestServer();
    ~TestServer();

    /// Listens on 127.0.0.1 (port 0: a free one); false when the port cannot be had.
    bool start(int port = 0);
    void stop();
    int port() const { return _http.port(); }
    /// "http://127.0.0.1:<port>", the base address the workstation is pointed at.
    std::string baseURL() const;

    /// Adds an account and returns its user id.
    std::string addAccount(const std::string& nickname, const std::string& password, const std::string& mail = "");
    /// The account with that nickname (a copy); empty user id when there is none.
    Account account(const std::string& nickname) const;
    /// Starts a session for the account as a sign-in would, with the given login time.
    void signIn(const std::string& nickname, const std::string& loginTime);

    void setLatestVersion(const std::string& version);
    void setManifest(const std::string& manifest);
    /// A hot-update file, served to GET requests at kAssetPath + path.
    void setAsset(const std::string& path, const std::string& bytes);
    /// The statistics upload address handed out (default: base + "/st/up.php").
    void setUploadAddress(const std::string& address);
    /// The verification code last handed out for the mail address.
    std::string lastCode(const std::string& mail) const;

    /// Queues a fault for the path; faults of one path apply in the order queued.
    void addFault(const std::string& path, const Fault& fault);
    /// Requests received on the path (every path when empty), oldest first.
    std::vector<RecordedRequest> requests(const std::string& path = "") const;
    size_t requestCount(const std::string& path) const;

    /// Writes one line per request to stderr.
    void setVerbose(bool verbose) { _verbose = verbose; }

    static constexpr const char* kUploadPath = "/st/up.php";
    static constexpr const char* kPackagePath = "/ud/app.apk";
    /// The folder of the hot-update files; the default manifest names it as its package address.
    static constexpr const char* kAssetPath = "/ud/hot/";

private:
    using Fields = std::vector<std::pair<std::string, std::string>>;
    /// What a path answers before faults: JSON fields (sent as Base64 JSON), or a raw body.
    struct Answer {
        int status = 200;
        bool isJson = true;
        Fields fields;
        std::string raw;
        std::string contentType = "text/plain; charset=utf-8";
    };

    HttpReply handle(const HttpRequest& request);
    Answer route(const HttpRequest& request, const std::string& json);
    Answer signInRequest(const std::string& json);
    Answer registerRequest(const std::string& json);
    Answer sessionCheck(const std::string& json);
    Answer page(const std::string& path) const;
    /// The next fault for the path, consumed; a default one when none is queued.
    Fault takeFault(const std::string& path);
    Account* findAccount(const std::string& key, const std::string& value);
    static std::string flatJson(const Fields& fields);

    LoopbackHttpServer _http;
    mutable std::mutex _mutex;
    std::vector<Account> _accounts;
    std::map<std::string, std::string> _codes;
    std::map<std::string, std::deque<Fault>> _faults;
    std::vector<RecordedRequest> _requests;
    std::string _latestVersion = "1.4";
    std::string _manifest;
    std::map<std::string, std::string> _assets;
    std::string _uploadAddress;
    unsigned _codeSeed = 271828;
    bool _verbose = false;
};

} // namespace testserver
