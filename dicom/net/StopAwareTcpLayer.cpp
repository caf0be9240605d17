#include "StopAwareTcpLayer.h"

#include "dcmtk/dcmnet/dcmtrans.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <poll.h>

namespace dcmSDK {

namespace {

/// DcmTCPConnection whose wait for incoming data watches the stop flag.
class StopAwareConnection : public DcmTCPConnection {
public:
    StopAwareConnection(DcmNativeSocketType socket, const std::atomic<bool>& stop)
        : DcmTCPConnection(socket), _stop(stop) {}

    OFBool networkDataAvailable(int timeout) override
    {
        using Clock = std::chrono::steady_clock;
        const auto deadline = Clock::now() + std::chrono::seconds(std::max(timeout, 0));
        for (;;) {
            if (_stop.load())
                return OFFalse;  // reported as a time-out: the association is ended
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            const int slice = static_cast<int>(std::max<long long>(
                0, std::min<long long>(left.count(), StopAwareTcpLayer::kSliceMilliseconds)));
            pollfd p{};
            p.fd = getSocket();
            p.events = POLLIN;
            const int ready = ::poll(&p, 1, slice);
            if (ready > 0)
                return OFTrue;  // data, end of stream or an error: the read tells which
            if (ready < 0 && errno != EINTR)
                return OFTrue;
            if (ready == 0 && left.count() <= 0)
                return OFFalse;
        }
    }

private:
    const std::atomic<bool>& _stop;
};

} // namespace

DcmTransportConnection* StopAwareTcpLayer::createConnection(DcmNativeSocketType openSocket, OFBool)
{
    // DCMTK asks for a "secure" connection whenever a layer is installed; ours is plain
    // TCP either way (its handshakes do nothing).
    return new StopAwareConnection(openSocket, _stop);
}

} // namespace dcmSDK
