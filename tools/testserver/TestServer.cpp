#include "TestServer.h"

#include "base/base64.h"
#include "json/UIJson.h"

#include <cstdio>

namespace testserver {

namespace {

using NSUI::UIJson;

std::string field(const std::string& json, const char* key) {
    return UIJson::getJsonString(json, key, "");
}

const char* const kPrivacyPage =
    "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Privacy Policy</title></head>\n"
    "<body><h1>Privacy Policy</h1><p>This test service keeps accounts in memory only and forgets "
    "them when it stops.</p></body></html>\n";

// Base64 text as mail encoders write it: lines of 76 characters, each ending in a newline.
std::string wrapped(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); i += 76)
        out += text.substr(i, 76) + "\n";
    return out;
}

// The request as the log shows it: passwords are never written out.
std::string loggedJson(std::string json) {
    for (const char* key : {"password", "old", "new"})
        if (!field(json, key).empty())
            UIJson::setJsonString(json, key, "***");
    return json;
}

} // namespace

TestServer::TestServer() : _http([this](const HttpRequest& request) { return handle(request); }) {}

TestServer::~TestServer() {
    stop();
}

bool TestServer::start(int port) {
    return _http.start(port);
}

void TestServer::stop() {
    _http.stop();
}

std::string TestServer::baseURL() const {
    return "http://127.0.0.1:" + std::to_string(port());
}

std::string TestServer::addAccount(const std::string& nickname, const std::string& password,
                                   const std::string& mail) {
    std::lock_guard<std::mutex> lock(_mutex);
    Account account{std::to_string(1000 + _accounts.size()), nickname, password, mail, ""};
    _accounts.push_back(account);
    return account.userId;
}

Account TestServer::account(const std::string& nickname) const {
    std::lock_guard<std::mutex> lock(_mutex);
    for (const auto& account : _accounts)
        if (account.nickname == nickname)
            return account;
    return Account();
}

void TestServer::signIn(const std::string& nickname, const std::string& loginTime) {
    std::lock_guard<std::mutex> lock(_mutex);
    if (Account* account = findAccount("nickname", nickname))
        account->loginTime = loginTime;
}

void TestServer::setLatestVersion(const std::string& version) {
    std::lock_guard<std::mutex> lock(_mutex);
    _latestVersion = version;
}

void TestServer::setManifest(const std::string& manifest) {
    std::lock_guard<std::mutex> lock(_mutex);
    _manifest = manifest;
}

void TestServer::setAsset(const std::string& path, const std::string& bytes) {
    std::lock_guard<std::mutex> lock(_mutex);
    _assets[path] = bytes;
}

void TestServer::setUploadAddress(const std::string& address) {
    std::lock_guard<std::mutex> lock(_mutex);
    _uploadAddress = address;
}

std::string TestServer::lastCode(const std::string& mail) const {
    std::lock_guard<std::mutex> lock(_mutex);
    auto it = _codes.find(mail);
    return it == _codes.end() ? std::string() : it->second;
}

void TestServer::addFault(const std::string& path, const Fault& fault) {
    std::lock_guard<std::mutex> lock(_mutex);
    _faults[path].push_back(fault);
}

std::vector<RecordedRequest> TestServer::requests(const std::string& path) const {
    std::lock_guard<std::mutex> lock(_mutex);
    std::vector<RecordedRequest> out;
    for (const auto& request : _requests)
        if (path.empty() || request.path == path)
            out.push_back(request);
    return out;
}

size_t TestServer::requestCount(const std::string& path) const {
    return requests(path).size();
}

Fault TestServer::takeFault(const std::string& path) {
    auto it = _faults.find(path);
    if (it == _faults.end() || it->second.empty())
        return Fault();
    Fault fault = it->second.front();
    if (fault.times > 0 && --it->second.front().times == 0)
        it->second.pop_front();
    return fault;
}

Account* TestServer::findAccount(const std::string& key, const std::string& value) {
    if (value.empty())
        return nullptr;
    for (auto& account : _accounts) {
        const std::string& have = key == "mail" ? account.mail : key == "userid" ? account.userId : account.nickname;
        if (have == value)
            return &account;
    }
    return nullptr;
}

std::string TestServer::flatJson(const Fields& fields) {
    std::string json;
    for (const auto& [key, value] : fields)
        UIJson::setJsonString(json, key, value);
    return json.empty() ? "{}" : json;
}

HttpReply TestServer::handle(const HttpRequest& request) {
    std::lock_guard<std::mutex> lock(_mutex);
    RecordedRequest recorded{request.method, request.path, request.body, cocos2d::safeBase64Decode(request.body)};
    _requests.push_back(recorded);
    if (_verbose)
        std::fprintf(stderr, "testserver: %s %s %s\n", request.method.c_str(), request.path.c_str(),
                     loggedJson(recorded.json).c_str());

    Fault fault = takeFault(request.path);
    HttpReply reply;
    reply.delayMs = fault.delayMs;
    reply.drop = fault.drop;
    reply.endlessMs = fault.endlessMs;
    if (fault.bodyBytes > 0) {
        reply.body.assign(fault.bodyBytes, 'A');
        return reply;
    }
    if (fault.httpStatus != 0 && fault.httpStatus != 200) {
        reply.status = fault.httpStatus;
        reply.body = "scripted failure";
        return reply;
    }
    Answer answer = route(request, recorded.json);
    reply.status = answer.status;
    reply.contentType = answer.contentType;
    if (!answer.isJson) {
        reply.body = answer.raw;
        return reply;
    }
    Fields fields;
    for (auto& member : answer.fields) {
        if (member.first == "Status" && fault.omitStatus)
            continue;
        if (member.first == "Status" && !fault.replyStatus.empty())
            member.second = fault.replyStatus;
        fields.push_back(member);
    }
    reply.body = cocos2d::safeBase64Encode(flatJson(fields));
    if (fault.wrapLines)
        reply.body = wrapped(reply.body);
    return reply;
}

TestServer::Answer TestServer::route(const HttpRequest& request, const std::string& json) {
    const std::string& path = request.path;
    // The package is fetched by the workstation's download, which posts.
    if (request.method == "GET" || path == kPackagePath)
        return page(path);
    Answer answer;
    if (request.method != "POST") {
        answer.status = 405;
        answer.isJson = false;
        return answer;
    }
    if (path == "/lg/lg.php")
        return signInRequest(json);
    if (path == "/lg/rg.php")
        return registerRequest(json);
    if (path == "/lg/rlc.php")
        return sessionCheck(json);
    if (path == "/lg/cg.php") {
        Account* account = findAccount("nickname", field(json, "nickname"));
        bool done = account && account->password == field(json, "old") && !field(json, "new").empty();
        if (done)
            account->password = field(json, "new");
        answer.fields = {{"Status", done ? "0" : "1"}};
    } else if (path == "/lg/sm.php") {
        Account* account = findAccount("nickname", field(json, "nickname"));
        bool done = account && field(json, "mail").find('@') != std::string::npos;
        if (done)
            account->mail = field(json, "mail");
        answer.fields = {{"Status", done ? "0" : "1"}};
    } else if (path == "/lg/sdvr.php") {
        std::string mail = field(json, "mail");
        if (mail.find('@') == std::string::npos) {
            answer.fields = {{"Status", "1"}};
        } else {
            _codeSeed = _codeSeed * 1103515245u + 12345u;
            char code[8];
            std::snprintf(code, sizeof(code), "%06u", (_codeSeed >> 8) % 1000000u);
            _codes[mail] = code;
            answer.fields = {{"Status", "0"}, {"code", code}};
        }
    } else if (path == "/lg/sd.php") {
        answer.fields = {{"Status", findAccount("mail", field(json, "mail")) ? "0" : "1"}};
    } else if (path == "/ud/cv2.php") {
        answer.fields = {{"Status", "0"}, {"app_latest_version", _latestVersion}};
    } else if (path == "/ud/u.php") {
        answer.isJson = false;
        answer.contentType = "application/json; charset=utf-8";
        answer.raw = !_manifest.empty() ? _manifest
                                        : "{\"packageUrl\":\"" + baseURL() + "/ud/hot/\",\"remoteManifestUrl\":\"" +
                                              baseURL() + "/ud/u.php\",\"version\":\"" + _latestVersion +
                                              "\",\"assets\":{},\"searchPaths\":[]}";
    } else if (path == "/st/gi.php") {
        answer.isJson = false;
        answer.raw = cocos2d::safeBase64Encode(_uploadAddress.empty() ? baseURL() + kUploadPath : _uploadAddress);
    } else if (path == kUploadPath) {
        answer.fields = {{"Status", json.empty() ? "1" : "0"}};
    } else {
        answer.status = 404;
        answer.isJson = false;
        answer.raw = "no such path";
    }
    return answer;
}

TestServer::Answer TestServer::signInRequest(const std::string& json) {
    bool byMail = field(json, "ismail") == "1";
    Account* account = findAccount(byMail ? "mail" : "nickname", field(json, byMail ? "mail" : "nickname"));
    Answer answer;
    if (!account || account->password != field(json, "password")) {
        answer.fields = {{"Status", "1"}};
        return answer;
    }
    // A newer sign-in ends the session of any other device.
    account->loginTime = field(json, "loginTime");
    answer.fields = {{"Status", "0"}, {"userid", account->userId}, {"nickname", account->nickname}};
    return answer;
}

TestServer::Answer TestServer::registerRequest(const std::string& json) {
    std::string nickname = field(json, "nickname");
    Answer answer;
    if (findAccount("nickname", nickname)) {
        answer.fields = {{"Status", "1"}};
    } else if (nickname.empty() || field(json, "password").empty()) {
        answer.fields = {{"Status", "2"}};
    } else {
        _accounts.push_back({std::to_string(1000 + _accounts.size()), nickname, field(json, "password"),
                             field(json, "mail"), ""});
        answer.fields = {{"Status", "0"}};
    }
    return answer;
}

TestServer::Answer TestServer::sessionCheck(const std::string& json) {
    Account* account = findAccount("userid", field(json, "userid"));
    bool current = account && !account->loginTime.empty() && account->loginTime == field(json, "loginTime");
    Answer answer;
    answer.fields = {{"Status", current ? "0" : "1"}};
    return answer;
}

TestServer::Answer TestServer::page(const std::string& path) const {
    Answer answer;
    answer.isJson = false;
    answer.contentType = "text/html; charset=utf-8";
    if (path == "/en/privacypolicy.html") {
        answer.raw = kPrivacyPage;
    } else if (path == "/ads/newversionPC.html") {
        answer.raw = "<!DOCTYPE html>\n<html><body><h2>A new version</h2>\n<h2>Version " + _latestVersion +
                     " is ready.</h2>\n<div class=\"links\"><a href=\"#\">Later</a> <a href=\"" + baseURL() +
                     kPackagePath + "\">Download</a></div></body></html>\n";
    } else if (path == kPackagePath) {
        answer.contentType = "application/octet-stream";
        answer.raw = "test package " + _latestVersion + "\n";
    } else if (path.compare(0, std::string(kAssetPath).size(), kAssetPath) == 0 &&
               _assets.count(path.substr(std::string(kAssetPath).size()))) {
        answer.contentType = "application/octet-stream";
        answer.raw = _assets.at(path.substr(std::string(kAssetPath).size()));
    } else {
        answer.status = 404;
        answer.contentType = "text/plain; charset=utf-8";
        answer.raw = "no such page";
    }
    return answer;
}

} // namespace testserver
