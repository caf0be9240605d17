#pragma once
// Plain TCP connections for the receiver that stop waiting for a peer once the receiver
// is asked to stop, and acknowledge incoming data at once.

#include "dcmtk/config/osconfig.h"
#include "dcmtk/dcmnet/dcmlayer.h"

#include <atomic>

namespace dcmSDK {

/// Transport layer of the receiver's network. Its connections wait for peer data in
/// short slices and give up as soon as the stop flag is set, so a peer that keeps an
/// association open without sending anything cannot hold up StopDicomServer. They
/// acknowledge what arrives without delay, so peers that leave Nagle's algorithm on
/// send as fast as those that turn it off.
class StopAwareTcpLayer : public DcmTransportLayer {
public:
    /// stop is owned by the caller and outlives the layer and its connections.
    explicit StopAwareTcpLayer(const std::atomic<bool>& stop) : _stop(stop) {}

    DcmTransportConnection* createConnection(DcmNativeSocketType openSocket, OFBool useSecureLayer) override;

    /// Longest wait between two looks at the stop flag.
    static constexpr int kSliceMilliseconds = 100;

private:
    const std::atomic<bool>& _stop;
};

} // namespace dcmSDK
