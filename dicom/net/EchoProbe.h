#pragma once
// One C-ECHO round trip to a node, with short time-outs.

#include <string>

namespace dcmSDK {

/// Opens an association for the Verification SOP class, sends one C-ECHO and releases.
class EchoProbe {
public:
    /// True when the node at ip:port (port as text) accepted the association and answered
    /// the C-ECHO with success. Refused destinations (see LoopbackGuard), bad ports,
    /// refusals and time-outs give false. No name look-ups happen for dotted addresses.
    static bool echo(const std::string& ip, const std::string& port);

    /// Seconds for the association answer and for the C-ECHO response.
    static constexpr unsigned kAnswerTimeoutSeconds = 3;
};

} // namespace dcmSDK
