#include "http/NSHttpClient.h"

#include "http/NSHttpRequest.h"
#include "http/NSHttpResponse.h"

#include <curl/curl.h>

#include <algorithm>
#include <vector>

namespace NSUI {

namespace {

NSHttpClient* s_instance = nullptr;

// libcurl's global set-up is not safe against other threads starting transfers; it runs once,
// on the main thread, before the worker exists.
void initCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] {
        if (curl_global_init(CURL_GLOBAL_ALL) != CURLE_OK) {
            cocos2d::log("http: libcurl could not be initialised");
        }
    });
}

} // namespace

NSHttpClient* NSHttpClient::getInstance() {
    if (!s_instance) {
        initCurlOnce();
        s_instance = new NSHttpClient();
    }
    return s_instance;
}

bool NSHttpClient::hasInstance() {
    return s_instance != nullptr;
}

void NSHttpClient::destroyInstance() {
    delete s_instance;
    s_instance = nullptr;
}

NSHttpClient::NSHttpClient() : _stopRequest(new NSHttpRequest()) {}

NSHttpClient::~NSHttpClient() {
    if (_worker.joinable()) {
        _abort = true;
        {
            std::lock_guard<std::mutex> lock(_requestMutex);
            // In front: what is still queued is dropped rather than sent.
            _requests.push_front(_stopRequest);
        }
        _condition.notify_one();
        _worker.join();
        cocos2d::Director::getInstance()->getScheduler()->removeFunctionInCocosThread(this);
    }
    for (NSHttpResponse* response : _responses) {
        NSHttpRequest* request = response->getRequest();
        response->release();
        request->release();
    }
    _responses.clear();
    _stopRequest->release();
}

void NSHttpClient::startWorker() {
    if (_started)
        return;
    _started = true;
    // The director decides which thread is the main one; make sure it is this one, not the worker.
    cocos2d::Director::getInstance();
    _worker = std::thread([this] { workerLoop(); });
}

void NSHttpClient::send(NSHttpRequest* request) {
    if (!request)
        return;
    startWorker();
    request->retain();
    {
        std::lock_guard<std::mutex> lock(_requestMutex);
        _requests.push_back(request);
    }
    _condition.notify_one();
}

void NSHttpClient::workerLoop() {
    for (;;) {
        NSHttpRequest* request = nullptr;
        {
            std::unique_lock<std::mutex> lock(_requestMutex);
            _condition.wait(lock, [this] { return !_requests.empty(); });
            request = _requests.front();
            _requests.pop_front();
            if (request != _stopRequest)
                _inTransfer = request;
        }
        if (request == _stopRequest)
            break;

        auto* response = new NSHttpResponse(request);
        NSHttpTransfer::perform(response, settings(), &_abort);

        bool queued = false;
        {
            std::lock_guard<std::mutex> lock(_responseMutex);
            // Nobody to deliver to (never had an owner, or cancelled meanwhile).
            if (request->getOwner() && request->getCallback()) {
                _responses.push_back(response);
                queued = true;
            }
            _inTransfer = nullptr;
        }
        if (!queued) {
            response->release();
            request->release();
            continue;
        }
        cocos2d::Director::getInstance()->getScheduler()->performFunctionInCocosThread(
            [this] { dispatchResponse(); }, this);
    }

    std::lock_guard<std::mutex> lock(_requestMutex);
    for (NSHttpRequest* request : _requests) {
        if (request != _stopRequest)
            request->release();
    }
    _requests.clear();
}

void NSHttpClient::dispatchResponse() {
    NSHttpResponse* response = nullptr;
    {
        std::lock_guard<std::mutex> lock(_responseMutex);
        if (_responses.empty())
            return;
        response = _responses.front();
        _responses.pop_front();
    }
    response->closeDownloadFile();
    NSHttpRequest* request = response->getRequest();
    if (request->getOwner() && request->getCallback()) {
        // A copy: the callback may cancel or replace the request's own.
        NSHttpCallback callback = request->getCallback();
        callback(this, response);
    }
    response->release();
    request->release();
}

void NSHttpClient::cancelRequestsForOwner(void* owner) {
    if (!owner || !_started)
        return;
    std::vector<cocos2d::Ref*> dropped;
    {
        std::lock_guard<std::mutex> requestLock(_requestMutex);
        std::lock_guard<std::mutex> responseLock(_responseMutex);
        auto firstRequest =
            std::stable_partition(_requests.begin(), _requests.end(),
                                  [owner](NSHttpRequest* request) { return request->getOwner() != owner; });
        for (auto it = firstRequest; it != _requests.end(); ++it) {
            cocos2d::log("clear");
            dropped.push_back(*it);
        }
        _requests.erase(firstRequest, _requests.end());

        auto firstResponse =
            std::stable_partition(_responses.begin(), _responses.end(), [owner](NSHttpResponse* response) {
                return response->getRequest()->getOwner() != owner;
            });
        for (auto it = firstResponse; it != _responses.end(); ++it) {
            (*it)->closeDownloadFile();
            dropped.push_back((*it)->getRequest());
            dropped.push_back(*it);
        }
        _responses.erase(firstResponse, _responses.end());

        if (_inTransfer && _inTransfer->getOwner() == owner) {
            _inTransfer->setOwner(nullptr);
            _inTransfer->setCallback(nullptr);
        }
    }
    // Released outside the locks: a callback's captures may be destroyed here.
    for (cocos2d::Ref* object : dropped)
        object->release();
}

NSHttpSettings NSHttpClient::settings() const {
    std::lock_guard<std::mutex> lock(_settingsMutex);
    return _settings;
}

void NSHttpClient::setTimeoutForConnect(int seconds) {
    std::lock_guard<std::mutex> lock(_settingsMutex);
    _settings.connectTimeout = seconds;
}

int NSHttpClient::getTimeoutForConnect() const {
    return settings().connectTimeout;
}

void NSHttpClient::setTimeoutForRead(int seconds) {
    std::lock_guard<std::mutex> lock(_settingsMutex);
    _settings.totalTimeout = seconds;
}

int NSHttpClient::getTimeoutForRead() const {
    return settings().totalTimeout;
}

void NSHttpClient::setMaxDownloadBytes(long long bytes) {
    std::lock_guard<std::mutex> lock(_settingsMutex);
    _settings.maxDownloadBytes = bytes;
}

long long NSHttpClient::getMaxDownloadBytes() const {
    return settings().maxDownloadBytes;
}

void NSHttpClient::setCAFilePath(const std::string& path) {
    std::lock_guard<std::mutex> lock(_settingsMutex);
    _settings.caFilePath = path;
}

std::string NSHttpClient::getCAFilePath() const {
    return settings().caFilePath;
}

void NSHttpClient::setVerifyPeers(bool verify) {
    std::lock_guard<std::mutex> lock(_settingsMutex);
    _settings.verifyPeers = verify;
}

bool NSHttpClient::getVerifyPeers() const {
    return settings().verifyPeers;
}

void NSHttpClient::setCookieFilePath(const std::string& path) {
    std::lock_guard<std::mutex> lock(_settingsMutex);
    _settings.cookieFilePath = path;
}

std::string NSHttpClient::getCookieFilePath() const {
    return settings().cookieFilePath;
}

} // namespace NSUI
