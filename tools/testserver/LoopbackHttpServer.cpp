#include "LoopbackHttpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstdlib>

namespace testserver {

namespace {

constexpr size_t kMaxHead = 64 * 1024;

std::string lower(std::string text) {
    for (auto& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool readMore(int fd, std::string& buffer) {
    char chunk[16384];
    ssize_t n = ::recv(fd, chunk, sizeof(chunk), 0);
    if (n <= 0)
        return false;
    buffer.append(chunk, static_cast<size_t>(n));
    return true;
}

// False once the client has gone.
bool sendAll(int fd, const std::string& bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

const char* reason(int status) {
    switch (status) {
    case 200: return "OK";
    case 400: return "Bad Request";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 413: return "Payload Too Large";
    case 500: return "Internal Server Error";
    case 503: return "Service Unavailable";
    default: return "Status";
    }
}

std::string head(const HttpReply& reply, bool withLength) {
    std::string out = "HTTP/1.1 " + std::to_string(reply.status) + " " + reason(reply.status) + "\r\n";
    bool bodyless = reply.status == 204 || reply.status == 304;
    if (!reply.contentType.empty() && !bodyless)
        out += "Content-Type: " + reply.contentType + "\r\n";
    if (!bodyless && withLength)
        out += "Content-Length: " + std::to_string(reply.body.size()) + "\r\n";
    out += "Connection: close\r\n";
    for (const auto& line : reply.headers)
        out += line + "\r\n";
    return out + "\r\n";
}

void writeReply(int fd, const HttpReply& reply) {
    bool bodyless = reply.status == 204 || reply.status == 304;
    sendAll(fd, head(reply, true) + (bodyless ? std::string() : reply.body));
}

HttpReply plainReply(int status, const std::string& text) {
    HttpReply reply;
    reply.status = status;
    reply.body = text;
    return reply;
}

// Splits the head (request line and header lines, without the blank line) into the request.
bool parseHead(const std::string& head, HttpRequest& request) {
    size_t lineEnd = head.find("\r\n");
    std::string line = head.substr(0, lineEnd);
    size_t sp1 = line.find(' ');
    size_t sp2 = sp1 == std::string::npos ? sp1 : line.find(' ', sp1 + 1);
    if (sp2 == std::string::npos)
        return false;
    request.method = line.substr(0, sp1);
    std::string target = line.substr(sp1 + 1, sp2 - sp1 - 1);
    size_t question = target.find('?');
    request.path = target.substr(0, question);
    request.query = question == std::string::npos ? std::string() : target.substr(question + 1);
    size_t pos = lineEnd == std::string::npos ? head.size() : lineEnd + 2;
    while (pos < head.size()) {
        size_t next = head.find("\r\n", pos);
        if (next == std::string::npos)
            next = head.size();
        std::string field = head.substr(pos, next - pos);
        size_t colon = field.find(':');
        if (colon != std::string::npos) {
            size_t value = field.find_first_not_of(' ', colon + 1);
            request.headers[lower(field.substr(0, colon))] =
                value == std::string::npos ? std::string() : field.substr(value);
        }
        pos = next + 2;
    }
    return true;
}

} // namespace

LoopbackHttpServer::LoopbackHttpServer(Handler handler) : _handler(std::move(handler)) {}

LoopbackHttpServer::~LoopbackHttpServer() {
    stop();
}

bool LoopbackHttpServer::start(int port) {
    if (_listener >= 0)
        return true;
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    int yes = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<uint16_t>(port));
    socklen_t length = sizeof(addr);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0 || ::listen(fd, 16) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &length) != 0) {
        ::close(fd);
        return false;
    }
    _listener = fd;
    _port = ntohs(addr.sin_port);
    _stop = false;
    _thread = std::thread([this] { serve(); });
    return true;
}

void LoopbackHttpServer::stop() {
    {
        std::lock_guard<std::mutex> lock(_mutex);
        _stop = true;
    }
    _wake.notify_all();
    if (_thread.joinable())
        _thread.join();
    if (_listener >= 0)
        ::close(_listener);
    _listener = -1;
}

bool LoopbackHttpServer::pause(int ms) {
    std::unique_lock<std::mutex> lock(_mutex);
    return !_wake.wait_for(lock, std::chrono::milliseconds(ms), [this] { return _stop; });
}

void LoopbackHttpServer::writeEndless(int fd, const HttpReply& reply) {
    const std::string body = reply.body.empty() ? std::string(" ") : reply.body;
    if (!sendAll(fd, head(reply, false)))
        return;
    for (size_t i = 0; pause(reply.endlessMs); i = (i + 1) % body.size())
        if (!sendAll(fd, body.substr(i, 1)))
            return;
}

void LoopbackHttpServer::serve() {
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(_mutex);
            if (_stop)
                return;
        }
        pollfd p{_listener, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0)
            continue;
        int fd = ::accept4(_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        // A client that stops sending must not hold the server.
        timeval timeout{5, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof(timeout));
        handle(fd);
        ::close(fd);
    }
}

void LoopbackHttpServer::handle(int fd) {
    std::string buffer;
    size_t headEnd;
    while ((headEnd = buffer.find("\r\n\r\n")) == std::string::npos) {
        if (buffer.size() > kMaxHead || !readMore(fd, buffer))
            return;
    }
    HttpRequest request;
    if (!parseHead(buffer.substr(0, headEnd), request)) {
        writeReply(fd, plainReply(400, "bad request line"));
        return;
    }
    buffer.erase(0, headEnd + 4);
    if (lower(request.headers["expect"]) == "100-continue")
        sendAll(fd, "HTTP/1.1 100 Continue\r\n\r\n");
    // Clients of this server always send a length; a chunked body is not supported.
    size_t length = std::strtoull(request.headers["content-length"].c_str(), nullptr, 10);
    if (length > kMaxBody) {
        writeReply(fd, plainReply(413, "body too large"));
        return;
    }
    while (buffer.size() < length)
        if (!readMore(fd, buffer))
            return;
    request.body = buffer.substr(0, length);

    HttpReply reply = _handler(request);
    if (reply.delayMs > 0)
        pause(reply.delayMs);
    if (reply.drop)
        return;
    if (reply.endlessMs > 0)
        writeEndless(fd, reply);
    else
        writeReply(fd, reply);
}

} // namespace testserver
