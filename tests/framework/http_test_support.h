#pragma once
// What the HTTP tests share: a small HTTP/1.1 server on 127.0.0.1 at a free port that records
// every request and answers each from a script (status, body, delay, hold, drop), and helpers
// that drive main-thread frames while waiting for replies.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

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

    int status;
    std::string body;
    /// Extra whole header lines.
    std::vector<std::string> headers;
    int delayMs = 0;
    /// Waits until release() before answering.
    bool hold = false;
    /// Closes the connection without any answer.
    bool drop = false;
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
    TestHttpServer() {
        _listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        addr.sin_port = 0;
        int yes = 1;
        ::setsockopt(_listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
        if (::bind(_listener, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0 &&
            ::listen(_listener, 16) == 0) {
            socklen_t len = sizeof(addr);
            ::getsockname(_listener, reinterpret_cast<sockaddr*>(&addr), &len);
            _port = ntohs(addr.sin_port);
        }
        _thread = std::thread([this] { serve(); });
    }

    ~TestHttpServer() {
        {
            std::lock_guard<std::mutex> lock(_mutex);
            _stop = true;
            _released = true;
        }
        _cv.notify_all();
        _thread.join();
        ::close(_listener);
    }

    /// 0 when the server could not listen.
    int port() const { return _port; }
    std::string url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(_port) + path;
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
    bool stopping() {
        std::lock_guard<std::mutex> lock(_mutex);
        return _stop;
    }

    void serve() {
        while (!stopping()) {
            pollfd p{_listener, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0)
                continue;
            int fd = ::accept(_listener, nullptr, nullptr);
            if (fd < 0)
                continue;
            timeval tv{5, 0};
            ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof(tv));
            handle(fd);
            ::close(fd);
        }
    }

    static bool readMore(int fd, std::string& buffer) {
        char chunk[4096];
        ssize_t n = ::recv(fd, chunk, sizeof(chunk), 0);
        if (n <= 0)
            return false;
        buffer.append(chunk, static_cast<size_t>(n));
        return true;
    }

    static std::string lower(std::string text) {
        for (auto& c : text)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return text;
    }

    static void sendAll(int fd, const std::string& bytes) {
        size_t sent = 0;
        while (sent < bytes.size()) {
            ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (n <= 0)
                return;
            sent += static_cast<size_t>(n);
        }
    }

    void handle(int fd) {
        std::string buffer;
        size_t end;
        while ((end = buffer.find("\r\n\r\n")) == std::string::npos)
            if (!readMore(fd, buffer))
                return;
        Recorded request;
        std::string head = buffer.substr(0, end);
        buffer.erase(0, end + 4);
        size_t lineEnd = head.find("\r\n");
        std::string requestLine = head.substr(0, lineEnd);
        size_t sp1 = requestLine.find(' ');
        size_t sp2 = requestLine.find(' ', sp1 + 1);
        request.method = requestLine.substr(0, sp1);
        request.path = requestLine.substr(sp1 + 1, sp2 - sp1 - 1);
        size_t pos = lineEnd == std::string::npos ? head.size() : lineEnd + 2;
        while (pos < head.size()) {
            size_t next = head.find("\r\n", pos);
            if (next == std::string::npos)
                next = head.size();
            std::string line = head.substr(pos, next - pos);
            size_t colon = line.find(':');
            if (colon != std::string::npos) {
                size_t value = line.find_first_not_of(' ', colon + 1);
                request.headers[lower(line.substr(0, colon))] =
                    value == std::string::npos ? std::string() : line.substr(value);
            }
            pos = next + 2;
        }
        if (lower(request.header("expect")) == "100-continue")
            sendAll(fd, "HTTP/1.1 100 Continue\r\n\r\n");
        // The client always sends a length; it never chunks a body.
        size_t length = std::strtoul(request.header("content-length").c_str(), nullptr, 10);
        while (buffer.size() < length)
            if (!readMore(fd, buffer))
                return;
        request.body = buffer.substr(0, length);

        Reply reply;
        {
            std::lock_guard<std::mutex> lock(_mutex);
            _requests.push_back(request);
            if (!_script.empty()) {
                reply = _script.front();
                _script.pop_front();
            }
        }
        {
            std::unique_lock<std::mutex> lock(_mutex);
            if (reply.hold)
                _cv.wait(lock, [this] { return _released; });
            _cv.wait_for(lock, std::chrono::milliseconds(reply.delayMs), [this] { return _stop; });
        }
        if (!reply.drop) {
            std::string out = "HTTP/1.1 " + std::to_string(reply.status) + " Scripted\r\n";
            bool noBody = reply.status == 204 || reply.status == 304;
            if (!noBody)
                out += "Content-Length: " + std::to_string(reply.body.size()) + "\r\n";
            out += "Connection: close\r\n";
            for (const auto& line : reply.headers)
                out += line + "\r\n";
            out += "\r\n";
            if (!noBody)
                out += reply.body;
            sendAll(fd, out);
        }
    }

    int _listener = -1;
    int _port = 0;
    std::thread _thread;
    std::mutex _mutex;
    std::condition_variable _cv;
    bool _stop = false;
    bool _released = false;
    std::deque<Reply> _script;
    std::vector<Recorded> _requests;
};

} // namespace httptest
