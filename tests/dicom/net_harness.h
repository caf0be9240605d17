#pragma once
// Shared pieces of the network tests and the receive benchmark: loopback ports, DCMTK peer processes and a
// collector for the library's messages.

#include "DCM_MESSAGE.h"
#include "dcmCallbacks.h"
#include "net/LoopbackGuard.h"

#include <nlohmann/json.hpp>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <fcntl.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace nettest {

// Every test program that includes this talks to loopback only, whatever the environment.
inline const bool kGuardOn = (dcmSDK::LoopbackGuard::setEnforced(true), true);

/// A TCP port on 127.0.0.1 that was free a moment ago.
inline int freePort()
{
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    socklen_t len = sizeof addr;
    getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    close(fd);
    return ntohs(addr.sin_port);
}

/// True once something accepts TCP connections on 127.0.0.1:port.
inline bool waitForListener(int port, double seconds = 10.0)
{
    auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < until) {
        int fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        addr.sin_port = htons(static_cast<uint16_t>(port));
        bool ok = connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
        close(fd);
        if (ok)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

/// This process's environment, as "NAME=value" entries.
inline std::vector<std::string> currentEnvironment()
{
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        env.emplace_back(*e);
    return env;
}

/// This process's environment without `name`, and with name=value added when value is given.
inline std::vector<std::string> environmentWith(const std::string& name, const char* value = nullptr)
{
    std::vector<std::string> env = currentEnvironment();
    env.erase(std::remove_if(env.begin(), env.end(),
                             [&](const std::string& e) { return e.compare(0, name.size() + 1, name + "=") == 0; }),
              env.end());
    if (value)
        env.push_back(name + "=" + value);
    return env;
}

/// A DCMTK peer as Debian ships it: without TCP_NODELAY in its environment it leaves
/// Nagle's algorithm on (the library sets TCP_NODELAY=1 in ours, and children inherit it).
inline std::vector<std::string> stockPeerEnvironment()
{
    return environmentWith("TCP_NODELAY");
}

/// A child process (a DCMTK tool) with its output in a log file; killed when dropped.
/// It gets this process's environment unless one is given.
class Process {
public:
    Process(const std::vector<std::string>& args, const std::string& logPath)
        : Process(args, logPath, currentEnvironment())
    {
    }
    Process(const std::vector<std::string>& args, const std::string& logPath, const std::vector<std::string>& env)
    {
        std::vector<char*> argv;
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        std::vector<char*> envp;
        for (const std::string& e : env)
            envp.push_back(const_cast<char*>(e.c_str()));
        envp.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        if (posix_spawnp(&_pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
            _pid = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~Process() { stop(); }
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    bool started() const { return _pid > 0; }

    /// Exit status, or -1 when it did not end in time (it is then killed).
    int wait(double seconds = 120.0)
    {
        if (_pid <= 0)
            return _status;
        auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (std::chrono::steady_clock::now() < until) {
            int status = 0;
            if (waitpid(_pid, &status, WNOHANG) == _pid) {
                _pid = -1;
                _status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
                return _status;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        stop();
        return -1;
    }

    void stop()
    {
        if (_pid > 0) {
            kill(_pid, SIGKILL);
            waitpid(_pid, nullptr, 0);
            _pid = -1;
        }
    }

private:
    pid_t _pid = -1;
    int _status = -1;
};

/// One message the library handed to the host.
struct Message {
    unsigned type = 0;
    std::string text;          // JSON or free text; empty for type 3
    dcmSDK::DCM_MESSAGE record{}; // type 3 only
    bool isSending = false;    // sampled by the probe below at hand-over time

    nlohmann::json json() const { return nlohmann::json::parse(text, nullptr, false); }
    std::string field(const char* key) const
    {
        nlohmann::json j = json();
        if (!j.is_object() || !j.contains(key) || !j[key].is_string())
            return "<missing>";
        return j[key].get<std::string>();
    }
};

/// Collects every message of the library (installed as the message callback).
class MessageLog {
public:
    static MessageLog& instance()
    {
        static MessageLog log;
        return log;
    }

    void install() { dcmSDK::setMsgCallback(&MessageLog::onMessage); }
    void clear()
    {
        std::lock_guard<std::mutex> lock(_mutex);
        _messages.clear();
    }
    /// Called at each hand-over, before the message is recorded (e.g. to sample state).
    void setProbe(std::function<bool()> probe)
    {
        std::lock_guard<std::mutex> lock(_mutex);
        _probe = std::move(probe);
    }

    std::vector<Message> all()
    {
        std::lock_guard<std::mutex> lock(_mutex);
        return _messages;
    }
    std::vector<Message> ofType(unsigned type)
    {
        std::vector<Message> out;
        for (const Message& m : all())
            if (m.type == type)
                out.push_back(m);
        return out;
    }
    /// Waits until pred(all messages) holds; false on time-out.
    bool waitFor(const std::function<bool(const std::vector<Message>&)>& pred, double seconds = 60.0)
    {
        std::unique_lock<std::mutex> lock(_mutex);
        return _changed.wait_for(lock, std::chrono::duration<double>(seconds),
                                 [&] { return pred(_messages); });
    }
    bool waitForCount(unsigned type, size_t count, double seconds = 60.0)
    {
        return waitFor([&](const std::vector<Message>& ms) {
            size_t n = 0;
            for (const Message& m : ms)
                n += m.type == type;
            return n >= count;
        }, seconds);
    }

private:
    static void onMessage(unsigned type, const char* text)
    {
        MessageLog& self = instance();
        Message m;
        m.type = type;
        if (type == dcmSDK::DCM_MSG_FILE_STORED) {
            auto* record = reinterpret_cast<const dcmSDK::DCM_MESSAGE*>(text);
            m.record = *record;
            delete record;
        } else if (text) {
            m.text = text;
        }
        std::lock_guard<std::mutex> lock(self._mutex);
        if (self._probe)
            m.isSending = self._probe();
        self._messages.push_back(m);
        self._changed.notify_all();
    }

    std::mutex _mutex;
    std::condition_variable _changed;
    std::vector<Message> _messages;
    std::function<bool()> _probe;
};

/// The dataset bytes of a DICOM file: everything after the preamble and the group 0002
/// meta header (explicit VR little endian by definition). Empty when not a DICOM file.
inline std::string datasetBytes(const std::string& bytes)
{
    if (bytes.size() < 132 || bytes.compare(128, 4, "DICM") != 0)
        return std::string();
    size_t pos = 132;
    auto u16 = [&](size_t p) { return static_cast<unsigned>(static_cast<unsigned char>(bytes[p]) |
                                                            (static_cast<unsigned char>(bytes[p + 1]) << 8)); };
    while (pos + 8 <= bytes.size() && u16(pos) == 0x0002) {
        std::string vr = bytes.substr(pos + 4, 2);
        if (vr == "OB" || vr == "OW" || vr == "OF" || vr == "SQ" || vr == "UT" || vr == "UN") {
            if (pos + 12 > bytes.size())
                return std::string();
            size_t len = u16(pos + 8) | (static_cast<size_t>(u16(pos + 10)) << 16);
            pos += 12 + len;
        } else {
            pos += 8 + u16(pos + 6);
        }
    }
    return pos <= bytes.size() ? bytes.substr(pos) : std::string();
}

/// Every regular file below dir.
inline std::vector<std::string> filesBelow(const std::string& dir)
{
    std::vector<std::string> out;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(dir, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
        if (it->is_regular_file())
            out.push_back(it->path().string());
    return out;
}

/// Sends everything written to the process's stderr (DCMTK's log included) to a file
/// while it lives; text() ends the capture and returns what was written.
class StderrCapture {
public:
    StderrCapture() : _file(std::tmpfile())
    {
        std::cerr.flush();
        std::fflush(stderr);
        _saved = ::dup(2);
        if (_file && _saved >= 0)
            ::dup2(::fileno(_file), 2);
    }
    ~StderrCapture() { text(); }
    StderrCapture(const StderrCapture&) = delete;
    StderrCapture& operator=(const StderrCapture&) = delete;

    std::string text()
    {
        if (_saved >= 0) {
            std::cerr.flush();
            std::fflush(stderr);
            ::dup2(_saved, 2);
            ::close(_saved);
            _saved = -1;
        }
        if (_file) {
            std::rewind(_file);
            char buf[4096];
            size_t n;
            while ((n = std::fread(buf, 1, sizeof buf, _file)) > 0)
                _text.append(buf, n);
            std::fclose(_file);
            _file = nullptr;
        }
        return _text;
    }

private:
    std::FILE* _file;
    int _saved = -1;
    std::string _text;
};

} // namespace nettest
