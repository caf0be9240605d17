#pragma once
// The interactive render thread: small, fast passes while the view moves. At most the newest
// request waits, so the picture follows the latest view.

#include "imaging/display/volume/isVRThread.h"

namespace isImageSDK {

class isVRThreadRT : public isVRThread {
public:
    using isVRThread::isVRThread;
    /// Drops the requests still waiting, then queues this one.
    bool addRequest(NSUI::NSThreadRequest* request) override;

protected:
    ~isVRThreadRT() override = default;
};

} // namespace isImageSDK
