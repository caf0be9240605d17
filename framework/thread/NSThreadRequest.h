#pragma once
// One unit of work queued on an NSThread; subclasses add their own fields.

#include "thread/NSObject.h"

#include <atomic>
#include <cstdint>
#include <string>

namespace NSUI {

class NSThreadRequest : public NSObject {
public:
    /// requestId starts as the creation time in seconds (low 32 bits); subclasses that need a
    /// unique key overwrite it.
    NSThreadRequest();
    virtual ~NSThreadRequest() = default;

    std::string text;
    /// Set from another thread when the queue is cleared while this request is processed;
    /// process() implementations poll it and stop early.
    std::atomic<bool> cancelled{false};
    uint32_t requestId = 0;
};

} // namespace NSUI
