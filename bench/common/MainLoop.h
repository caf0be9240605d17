#pragma once
// The main loop as the store benchmarks drive it: single frames, frames until something holds,
// and the count of the new image rows it delivers (notification 2001).

#include "bench/common/BenchTiming.h"

#include "dcmCallbacks.h"
#include "net/dataService.h"
#include "notify/NSNotificationCenter.h"

#include <algorithm>
#include <cstddef>
#include <functional>
#include <thread>
#include <utility>

namespace benchcommon {

/// Delivered on the main loop for every file the store has indexed.
constexpr unsigned kSeriesRowAdded = 2001;

inline void frame()
{
    cocos2d::Director::getInstance()->mainLoop(1.0f / 60.0f);
}

/// A few frames: finished requests are delivered and released objects go.
inline void settle(int frames = 5)
{
    for (int i = 0; i < frames; ++i) {
        frame();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

/// Runs frames until done() holds; false when `seconds` passed first. Frames come every 0.2 ms:
/// fast enough that one announcement per frame never holds a count back, without a spinning main
/// loop taking a core from the receiver and the worker. The longest frame goes to longestMs:
/// what the screens would have stood still for.
inline bool runFramesUntil(const std::function<bool()>& done, double seconds, double* longestMs = nullptr)
{
    const auto deadline = Clock::now() + std::chrono::duration<double>(seconds);
    double longest = 0;
    bool ok = true;
    while (!done()) {
        if (Clock::now() > deadline) {
            ok = false;
            break;
        }
        const auto f0 = Clock::now();
        frame();
        longest = std::max(longest, msSince(f0));
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    if (longestMs)
        *longestMs = longest;
    return ok;
}

/// DCMTK's log silenced, the library's messages handed to the service as in the program, and a
/// first tick: the notification centre delivers from then on.
inline void startMainLoop()
{
    dcmSDK::setLogCallback([](const char*) {});
    dcmSDK::setMsgCallback(&dataService::onDcmMessage);
    NSUI::NSNotificationCenter::getInstance();
    cocos2d::Director::getInstance()->mainLoop(0.6f);
}

/// Counts the new image rows announced while it lives, those the filter takes when one is given.
class RowAnnouncements {
public:
    using Filter = std::function<bool(const NSUI::NSNotificationData*)>;

    explicit RowAnnouncements(Filter filter = nullptr) : _filter(std::move(filter))
    {
        NSUI::NSNotificationCenter::getInstance()->addObserver(
            this, nullptr,
            [this](cocos2d::Ref*, unsigned, NSUI::NSNotificationData* data) {
                if (_filter && !_filter(data))
                    return;
                ++_count;
                _last = Clock::now();
            },
            kSeriesRowAdded);
    }
    ~RowAnnouncements() { NSUI::NSNotificationCenter::getInstance()->removeObserver(this); }
    RowAnnouncements(const RowAnnouncements&) = delete;
    RowAnnouncements& operator=(const RowAnnouncements&) = delete;

    size_t count() const { return _count; }
    /// When the last one counted was delivered.
    Clock::time_point last() const { return _last; }

private:
    const Filter _filter;
    size_t _count = 0;
    Clock::time_point _last;
};

} // namespace benchcommon
