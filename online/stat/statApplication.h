#pragma once
// Usage statistics: records launches and trips to the background and back.

#include "cocos2d.h"

class statApplication : public cocos2d::Ref {
public:
    /// Creates the singleton on first use.
    static statApplication* getInstance();
    /// The singleton, or null when none exists.
    static statApplication* peekInstance();
    /// The shutdown step: stop, then release; a later getInstance makes a new one.
    static void destroyInstance();

    virtual ~statApplication();
    virtual bool init();

    /// Opens the statistics and asks the service for its upload address.
    void start();
    /// 0 launch, 1 back in the foreground, 2 into the background.
    void recordStat(int type);
    /// Closes the statistics and cancels pending requests.
    void stop();

    bool isStarted() const { return _started; }
    /// Events recorded since start (kept until the statistics database takes them).
    int getRecordedCount() const { return _recorded; }

private:
    statApplication() = default;

    bool _started = false;
    int _recorded = 0;
};
