#pragma once
// Runs the version check and the hot update of the resources; one is held by the online
// notice and replaced each time the program returns to the foreground.

#include "cocos2d.h"

#include <atomic>

class updateService : public cocos2d::Ref {
public:
    /// Autoreleased, with its sequence started; null when init fails.
    static updateService* create();
    virtual ~updateService();
    /// Starts the check and update sequence and sets the running flag.
    virtual bool init();
    /// Ends the sequence early; the running flag is clear afterwards.
    virtual void cleanup();

    /// True while the check and update sequence has not ended.
    bool isRunning() const { return _running; }

protected:
    updateService() = default;
    /// The sequence has ended (it clears the running flag).
    void finish();

    std::atomic<bool> _running{false};
};
