#pragma once
// A small HTTP/1.1 server on 127.0.0.1 that hands every request to one handler on its own
// thread and writes the handler's reply; one connection at a time, each closed after its reply.

#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testserver {

struct HttpRequest {
    std::string method;
    /// The path without its query.
    std::string path;
    std::string query;
    /// Header names in lower case.
    std::map<std::string, std::string> headers;
    std::string body;
};

struct HttpReply {
    int status = 200;
    std::string body;
    /// Left out when empty.
    std::string contentType = "text/plain; charset=utf-8";
    /// Further whole header lines.
    std::vector<std::string> headers;
    /// Waits this long before answering (cut short when the server stops).
    int delayMs = 0;
    /// Closes the connection without any answer.
    bool drop = false;
    /// Above 0: sends the head without a length and then the body's bytes one at a time, this
    /// many milliseconds apart, round and round for ever: until the client hangs up or the
    /// server stops.
    int endlessMs = 0;
};

class LoopbackHttpServer {
public:
    using Handler = std::function<HttpReply(const HttpRequest&)>;

    explicit LoopbackHttpServer(Handler handler);
    /// Stops the server (see stop()).
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    /// Listens on 127.0.0.1 at the port (0: a free one the system picks) and starts serving;
    /// false when the port cannot be had.
    bool start(int port = 0);
    /// Ends the serving thread, cutting a pending delay short, and closes the port.
    void stop();
    /// The port listened on; 0 before start.
    int port() const { return _port; }

    /// Largest request body read; a longer one gets 413 without being read.
    static constexpr size_t kMaxBody = 8 << 20;

private:
    void serve();
    void handle(int fd);
    /// Waits for the delay or until stop, whichever is first; false when stopped.
    bool pause(int ms);
    void writeEndless(int fd, const HttpReply& reply);

    Handler _handler;
    int _listener = -1;
    int _port = 0;
    std::thread _thread;
    std::mutex _mutex;
    std::condition_variable _wake;
    bool _stop = false;
};

} // namespace testserver
