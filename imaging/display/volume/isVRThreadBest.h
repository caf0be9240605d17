#pragma once
// The best-quality render thread: one full-size pass when the view rests; a new request replaces
// and cancels whatever it had.

#include "imaging/display/volume/isVRThread.h"

namespace isImageSDK {

class isVRThreadBest : public isVRThread {
public:
    using isVRThread::isVRThread;
    /// Cancels every earlier request and the pass in progress, then queues this one.
    bool addRequest(NSUI::NSThreadRequest* request) override;

protected:
    ~isVRThreadBest() override = default;
};

} // namespace isImageSDK
