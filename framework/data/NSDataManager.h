#pragma once
// Gives the registered data objects a periodic tick on the main thread and cancels their
// requests at shutdown.

#include "cocos2d.h"
#include "data/NSDatas.h"

#include <vector>

namespace NSUI {

/// Main thread only.
class NSDataManager : public cocos2d::Ref {
public:
    static NSDataManager* getInstance();
    /// Releases the manager (after clear() in the shutdown hook); a later getInstance makes a new one.
    static void destroyInstance();

    virtual ~NSDataManager();
    virtual bool init();
    /// Cancels every object's requests, releases them all and stops the tick.
    virtual void clear();

    /// Registers a data object (retained) for the tick; registering it again changes nothing.
    void addData(NSDatas* data);
    const std::vector<NSDatas*>& getDatas() const { return _datas; }

    /// Schedules (or stops) the tick: every 1.0 s, the first 0.5 s after turning it on.
    void setAutoUpdate(bool on);
    bool isAutoUpdate() const { return _autoUpdate; }

    /// Ticks every registered object in registration order.
    void update(float dt);

    static constexpr const char* kScheduleKey = "_nsDataManager";

private:
    NSDataManager() = default;

    std::vector<NSDatas*> _datas;
    bool _initialised = false;
    bool _autoUpdate = false;
};

} // namespace NSUI
