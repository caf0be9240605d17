#pragma once
// One node to echo, parsed from the host's "name,ip,port" or "ip,port" text.

#include <string>

namespace dcmSDK {

/// One echo request: the node as the host named it, and whether it belongs to a sweep
/// (sweeps report only the nodes that answered).
struct EchoTarget {
    std::string name;
    std::string ip;
    std::string port;
    bool sweep = false;

    /// Reads "name,ip,port" (or "ip,port", the form sweeps use). The port and the ip are
    /// taken from the right, so a name may itself hold commas. False for a text without
    /// an ip and a port.
    static bool parse(const std::string& text, bool sweep, EchoTarget& out);

    /// The node's identity in echo answers: the same for a reply and for a silence, so a
    /// failed echo finds the row that a successful one wrote.
    std::string appid() const;

    /// The name reported back: the given one, or the ip for sweep hits that have none.
    std::string reportedName() const;

    /// Two requests for the same node in the same mode are one piece of work.
    std::string mergeKey() const;
};

} // namespace dcmSDK
