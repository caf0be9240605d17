#include "StopAwareTcpLayer.h"

#include "dcmtk/dcmnet/dcmtrans.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>

namespace dcmSDK {

namespace {

/// DcmTCPConnection whose wait for incoming data watches the stop flag, and which
/// acknowledges what it receives at once.
class StopAwareConnection : public DcmTCPConnection {
public:
    StopAwareConnection(DcmNativeSocketType socket, const std::atomic<bool>& stop)
        : DcmTCPConnection(socket), _stop(stop)
    {
        acknowledgeAtOnce();
    }

    ssize_t read(void* buf, size_t nbyte) override
    {
        const ssize_t n = DcmTCPConnection::read(buf, nbyte);
        if (n > 0)
            acknowledgeAtOnce();
        return n;
    }

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
    // A peer that leaves Nagle's algorithm on holds back the last, short segment of each
    // PDU until everything before it is acknowledged. Because the receiver answers every
    // object, the kernel treats the connection as interactive and delays those
    // acknowledgements, so the transfer stalls for its delayed-acknowledgement timer
    // (40 ms) again and again. Quick acknowledgement mode sends them at once; the kernel
    // leaves the mode again when we answer, so it is set anew after every read.
    void acknowledgeAtOnce()
    {
        const int on = 1;
        ::setsockopt(getSocket(), IPPROTO_TCP, TCP_QUICKACK, &on, sizeof on);
    }

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
