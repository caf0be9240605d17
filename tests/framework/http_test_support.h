#pragma once
// What the HTTP tests share: a small HTTP/1.1 server on 127.0.0.1 at a free port that records
// every request and answers each from a script (status, body, delay, hold, drop), and helpers
// that drive main-thread frames while waiting for replies.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "LoopbackHttpServer.h"
#include "cocos2d.h"

#include <atomic>
#include <cctype>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace httptest {

struct Reply {
    Reply(int status = 200, std::string body = "ok") : status(status), body(std::move(body)) {}
    static Reply held(std::string body = "ok") {
        Reply r(200, std::move(body));
        r.hold = true;
        return r;
    }
    static Reply dropped() {
        Reply r;
        r.drop = true;
        return r;
    }
    static Reply delayed(int ms) {
        Reply r;
        r.delayMs = ms;
        return r;
    }
    /// No length, then the body's bytes one at a time, ms apart, until the client hangs up.
    static Reply endless(int ms) {
        Reply r;
        r.endlessMs = ms;
        return r;
    }

    int status;
    std::string body;
    /// Extra whole header lines.
    std::vector<std::string> headers;
    int delayMs = 0;
    /// Waits until release() before answering.
    bool hold = false;
    /// Closes the connection without any answer.
    bool drop = false;
    int endlessMs = 0;
};

struct Recorded {
    std::string method;
    std::string path;
    /// Header names in lower case.
    std::map<std::string, std::string> headers;
    std::string body;

    std::string header(const std::string& lowerName) const {
        auto it = headers.find(lowerName);
        return it == headers.end() ? std::string() : it->second;
    }
};

/// Waits until the condition holds, running a main-thread frame between looks when frames is
/// true; false after ten seconds.
template <class F> bool waitUntil(F condition, bool frames = true) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        if (frames)
            cocos2d::Director::getInstance()->mainLoop(1.0f / 60.0f);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

/// Runs frames for a while, for checks that something does not happen.
inline void pumpFor(int ms) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    waitUntil([&] { return std::chrono::steady_clock::now() >= end; });
}

class TestHttpServer {
public:
    TestHttpServer() : _server([this](const testserver::HttpRequest& request) { return answer(request); }) {
        _server.start(0);
    }

    ~TestHttpServer() {
        {
            std::lock_guard<std::mutex> lock(_mutex);
            _released = true;
        }
        _cv.notify_all();
        _server.stop();
    }

    /// 0 when the server could not listen.
    int port() const { return _server.port(); }
    std::string url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port()) + path;
    }

    /// Answers the next request not yet answered; unscripted requests get 200 "ok".
    void script(const Reply& reply) {
        std::lock_guard<std::mutex> lock(_mutex);
        _script.push_back(reply);
    }

    /// Lets held replies go.
    void release() {
        {
            std::lock_guard<std::mutex> lock(_mutex);
            _released = true;
        }
        _cv.notify_all();
    }

    std::vector<Recorded> requests() {
        std::lock_guard<std::mutex> lock(_mutex);
        return _requests;
    }
    size_t requestCount() {
        std::lock_guard<std::mutex> lock(_mutex);
        return _requests.size();
    }

    /// A port on 127.0.0.1 that nothing listens on.
    static int closedPort() {
        int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr));
        socklen_t len = sizeof(addr);
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
        ::close(fd);
        return ntohs(addr.sin_port);
    }

private:
    testserver::HttpReply answer(const testserver::HttpRequest& request) {
        Recorded recorded{request.method, request.path + (request.query.empty() ? "" : "?" + request.query),
                          request.headers, request.body};
        Reply reply;
        std::unique_lock<std::mutex> lock(_mutex);
        _requests.push_back(recorded);
        if (!_script.empty()) {
            reply = _script.front();
            _script.pop_front();
        }
        if (reply.hold)
            _cv.wait(lock, [this] { return _released; });
        testserver::HttpReply out;
        out.status = reply.status;
        out.body = reply.body;
        out.contentType.clear();
        out.headers = reply.headers;
        out.delayMs = reply.delayMs;
        out.drop = reply.drop;
        out.endlessMs = reply.endlessMs;
        return out;
    }

    std::mutex _mutex;
    std::condition_variable _cv;
    bool _released = false;
    std::deque<Reply> _script;
    std::vector<Recorded> _requests;
    // Last: it stops serving before the members its handler uses go.
    testserver::LoopbackHttpServer _server;
};

} // namespace httptest
