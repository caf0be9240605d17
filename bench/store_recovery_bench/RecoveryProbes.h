#pragma once
// What the recovery benchmark watches an open with: a peer sending single images, a probe of
// the receiver's port, and the walk's last log line.

#include "bench/common/BenchTiming.h"

#include <atomic>
#include <cstddef>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace recoverybench {

using benchcommon::Clock;

const char* const kPeerPatient = "PEER^SENDER";

/// Sends one new image at a time with storescu, back to back, until stopped or `limit` sends;
/// each send is timed from storescu's start to its exit.
class Peer {
public:
    Peer(const std::string& work, int port, size_t limit);
    ~Peer() { stop(); }

    void start();
    void stop();
    bool done() const { return _done; }
    std::vector<double> times() const;
    int failures() const { return _failures; }

private:
    void run();

    const std::string _work;
    const int _port;
    const size_t _limit;
    std::string _studyUid, _seriesUid;
    std::thread _thread;
    std::atomic<bool> _stop{false};
    std::atomic<bool> _done{false};
    std::atomic<int> _failures{0};
    mutable std::mutex _mutex;
    std::vector<double> _times;
};

/// Tries to connect every half millisecond from its start; ms() is the time of the first
/// accepted connection after t0, -1 before one.
class ListenProbe {
public:
    ListenProbe(int port, Clock::time_point t0);
    ~ListenProbe();
    double ms() const { return _ms; }
    bool listening() const { return _ms >= 0; }

private:
    void run();

    const int _port;
    const Clock::time_point _t0;
    std::thread _thread;
    std::atomic<bool> _stop{false};
    std::atomic<double> _ms{-1};
};

/// Notes when the walk reports that it has been through every series folder (its last log line).
class WalkEndWatch {
public:
    explicit WalkEndWatch(Clock::time_point t0);
    ~WalkEndWatch();
    bool ended() const { return _ms >= 0; }
    double ms() const { return _ms; }
    long handedOver() const { return _handedOver; }

private:
    const Clock::time_point _t0;
    std::atomic<double> _ms{-1};
    std::atomic<long> _handedOver{-1};
};

} // namespace recoverybench
