#pragma once
// Sends every HTTP request of the program, one at a time in the order sent, on one worker
// thread, and hands each reply to its request's callback on the main thread.

#include "http/NSHttpTransfer.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace NSUI {

class NSHttpRequest;
class NSHttpResponse;

/// Main-thread use: send, cancel and dispatch are called there; the worker starts with the
/// first send. A transfer is a success when it completes with a status from 200 to 299; every
/// other outcome is still delivered, as a failure that keeps the status read (-1 for none).
class NSHttpClient {
public:
    /// The client, created (and libcurl initialised) on the first call, which must come from
    /// the main thread.
    static NSHttpClient* getInstance();
    /// True once getInstance has created the client (and until destroyInstance).
    static bool hasInstance();
    /// Cuts the transfer in progress short, waits for the worker and deletes the client;
    /// replies not yet delivered are dropped. The program itself never needs this.
    static void destroyInstance();

    virtual ~NSHttpClient();
    NSHttpClient(const NSHttpClient&) = delete;
    NSHttpClient& operator=(const NSHttpClient&) = delete;

    /// Queues the request (retained until its reply is delivered or dropped); null is ignored.
    void send(NSHttpRequest* request);
    /// Withdraws every request and undelivered reply of the owner: no callback of that owner
    /// runs afterwards. A transfer of its already under way runs to its end (a download is
    /// still written) and its reply is dropped. A null owner changes nothing.
    void cancelRequestsForOwner(void* owner);
    /// Delivers the oldest waiting reply; the worker queues one call per reply.
    void dispatchResponse();

    /// Seconds allowed to connect (5 unless changed).
    void setTimeoutForConnect(int seconds);
    int getTimeoutForConnect() const;
    /// Seconds allowed for a whole transfer (60 unless changed).
    void setTimeoutForRead(int seconds);
    int getTimeoutForRead() const;
    /// A certificate-authority bundle to verify TLS peers against; empty (the default) uses
    /// the system's bundle.
    void setCAFilePath(const std::string& path);
    std::string getCAFilePath() const;
    /// Turns TLS peer verification off when no bundle is set (on by default).
    void setVerifyPeers(bool verify);
    bool getVerifyPeers() const;
    /// The most bytes one download may write (1 GiB unless changed); past it the download
    /// stops as a failure and its file is removed. A stated length past it is refused at once.
    void setMaxDownloadBytes(long long bytes);
    long long getMaxDownloadBytes() const;
    /// A file that keeps cookies between transfers; empty (the default) keeps none.
    void setCookieFilePath(const std::string& path);
    std::string getCookieFilePath() const;

private:
    NSHttpClient();
    void startWorker();
    void workerLoop();
    NSHttpSettings settings() const;

    NSHttpRequest* _stopRequest = nullptr;
    // Guarded by both locks: set under the request lock, cleared under the response lock, so
    // cancel (which holds both) sees it steady.
    NSHttpRequest* _inTransfer = nullptr;
    // Lock order: request lock, then response lock.
    std::mutex _requestMutex;
    std::mutex _responseMutex;
    std::condition_variable _condition;
    // Each entry holds the reference taken by send.
    std::deque<NSHttpRequest*> _requests;
    // Each entry holds its own reference and the one send took on its request.
    std::deque<NSHttpResponse*> _responses;
    std::thread _worker;
    bool _started = false;
    std::atomic<bool> _abort{false};

    mutable std::mutex _settingsMutex;
    NSHttpSettings _settings;
};

} // namespace NSUI
