#pragma once
// Process-wide network settings of the DICOM services, applied once before any association.

#include <mutex>
#include <string>

namespace dcmSDK {

/// One-time set-up shared by the receiver, the sender and the echo.
class NetworkSetup {
public:
    /// Applies the settings once per process; later calls do nothing. Thread-safe.
    ///  - Nagle's algorithm off on every association (DCMTK reads TCP_NODELAY when it
    ///    opens a socket): with it on, each small C-STORE/C-ECHO exchange waits for the
    ///    peer's delayed acknowledgement (~40-90 ms on loopback).
    ///  - no reverse DNS look-ups of peers (a sweep over a subnet must not stall on DNS).
    ///  - a short TCP connect time-out, so unreachable hosts fail fast.
    static void prepare();

    /// Held while a DCMTK network is created: DCMTK rebuilds a process-wide state table
    /// each time, so two threads must not do it at once.
    static std::mutex& networkInitMutex();

    /// Reads a TCP port text ("104"): digits only, 1 to 65535.
    static bool parsePort(const std::string& text, unsigned short& port);

    /// Seconds allowed for a TCP connect to a peer.
    static constexpr int kConnectTimeoutSeconds = 3;
    /// Our AE title when we open associations (sends and echoes).
    static constexpr const char* kCallingAETitle = "QPSCU";
    /// The AE title we call when the node's own is not known.
    static constexpr const char* kDefaultCalledAETitle = "ANY-SCP";
};

} // namespace dcmSDK
