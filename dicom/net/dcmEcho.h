#pragma once
// Checks DICOM nodes with C-ECHO in the background and reports each answer as message 4.

#include <memory>

namespace dcmSDK {

class EchoPool;

/// The echo service of the library. Each answer is message 4, a flat JSON object
/// {"ok","appid","ip","port","name"}: "ok" is "1" when the node answered, else "0";
/// "appid" is the node's "ip:port" (the same for both outcomes). In sweep mode only
/// nodes that answered are reported. Peers are never looked up by name.
class dcmEcho {
public:
    dcmEcho();
    /// Drops echoes still waiting and waits for the running ones (a few seconds at most).
    ~dcmEcho();
    dcmEcho(const dcmEcho&) = delete;
    dcmEcho& operator=(const dcmEcho&) = delete;

    /// Queues one echo per target and returns at once; the texts are copied, so the
    /// caller may free them on return. Targets are "name,ip,port" (sweep false) or
    /// "ip,port" (sweep true); malformed ones are skipped with a log line. Calls that
    /// overlap share one bounded queue in which repeated targets are merged.
    void echo(const char** targets, int count, bool sweep);
    void echo(char** targets, int count, bool sweep);

    /// Waits until every queued echo has been answered or has timed out.
    void waitIdle();

private:
    std::unique_ptr<EchoPool> _pool;
};

} // namespace dcmSDK
