#pragma once
// Refuses network destinations outside 127.0.0.0/8 while the process runs under test.

#include <string>

namespace dcmSDK {

/// The test-time safety net of every outgoing association: tests may only talk to
/// loopback. It is on when the environment says the process runs isolated
/// (QP_ISOLATED=1, set by scripts/run-isolated, or QP_LOOPBACK_ONLY=1) or when a test
/// program turns it on itself.
class LoopbackGuard {
public:
    /// Turns the guard on or off for the rest of the process (tests turn it on).
    static void setEnforced(bool on);
    static bool isEnforced();

    /// True when a connection to host may be opened: always when the guard is off;
    /// with the guard on only for dotted IPv4 addresses in 127.0.0.0/8 (names are not
    /// resolved, so they are refused). Logs one line for a refused host.
    static bool allows(const std::string& host);

    /// True for a dotted IPv4 text in 127.0.0.0/8.
    static bool isLoopbackAddress(const std::string& host);
};

} // namespace dcmSDK
