#pragma once
// Runs timed callbacks and per-frame updates on the main thread, and the functions other
// threads queue for it. Scheduling calls may come from any thread.

#include <climits>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "base/Ref.h"

namespace cocos2d {

typedef std::function<void(float)> ccSchedulerFunc;

class Scheduler : public Ref {
public:
    /// Priority of the engine's own update hooks (they run before everyone else's).
    static const int PRIORITY_SYSTEM;
    /// The lowest priority left to non-engine hooks.
    static const int PRIORITY_NON_SYSTEM_MIN;

    Scheduler();
    ~Scheduler() override;

    float getTimeScale() const { return _timeScale; }
    /// Scales every delta time given to callbacks (1 is real time).
    void setTimeScale(float timeScale) { _timeScale = timeScale; }

    /// One frame: per-frame hooks by priority, then timers in the order they were scheduled,
    /// then the functions queued for the main thread before this call began.
    void update(float dt);

    /// A keyed timer: fires after delay, then every interval, repeat + 1 times in all
    /// (CC_REPEAT_FOREVER for ever). An interval of 0 fires once per frame; an interval shorter
    /// than the frame fires as often as it is due, each call getting the interval as its time.
    /// Scheduling an existing key of the target replaces that timer.
    void schedule(const ccSchedulerFunc& callback, void* target, float interval, unsigned int repeat,
                  float delay, bool paused, const std::string& key);
    void schedule(const ccSchedulerFunc& callback, void* target, float interval, bool paused,
                  const std::string& key);
    void schedule(SEL_SCHEDULE selector, Ref* target, float interval, unsigned int repeat, float delay,
                  bool paused);
    void schedule(SEL_SCHEDULE selector, Ref* target, float interval, bool paused);

    /// Calls target->update(dt) every frame; lower priorities run first.
    template <class T>
    void scheduleUpdate(T* target, int priority, bool paused)
    {
        schedulePerFrame([target](float dt) { target->update(dt); }, target, priority, paused);
    }
    void schedulePerFrame(const ccSchedulerFunc& callback, void* target, int priority, bool paused);

    /// Safe inside the callback being removed.
    void unschedule(const std::string& key, void* target);
    void unschedule(SEL_SCHEDULE selector, Ref* target);
    void unscheduleUpdate(void* target);
    void unscheduleAllForTarget(void* target);
    void unscheduleAll();
    /// Removes every timer and every update hook whose priority is at least minPriority.
    void unscheduleAllWithMinPriority(int minPriority);

    bool isScheduled(const std::string& key, const void* target) const;
    bool isScheduled(SEL_SCHEDULE selector, const Ref* target) const;

    /// A paused target's timers and hook neither fire nor advance. Pausing a target that has
    /// nothing scheduled has no effect.
    void pauseTarget(void* target);
    void resumeTarget(void* target);
    bool isTargetPaused(void* target) const;
    std::set<void*> pauseAllTargets();
    std::set<void*> pauseAllTargetsWithMinPriority(int minPriority);
    void resumeTargets(const std::set<void*>& targets);

    /// Queues a function to run on the main thread at the next update; callable from any thread.
    void performFunctionInCocosThread(std::function<void()> function);
    /// The same, remembering the target so that removeFunctionInCocosThread can withdraw it.
    void performFunctionInCocosThread(std::function<void()> function, void* target);
    void performFunctionInCocosThread(void* target, std::function<void()> function);
    /// Withdraws every queued function of the target that has not started yet.
    void removeFunctionInCocosThread(void* target);
    void removeAllFunctionsToBePerformedInCocosThread();
    size_t getPendingFunctionCount() const;

    /// Seconds from the last update until something is due: 0 when an update hook or a
    /// timer of interval 0 runs every frame or main-thread functions wait; infinity when
    /// nothing is scheduled. The hook of `idleHookTarget` is left out (its owner knows
    /// whether it has work).
    double getTimeToNextWork(const void* idleHookTarget = nullptr) const;

private:
    struct TargetState;
    struct TimerEntry;
    struct UpdateEntry;
    struct PendingFunction {
        std::function<void()> function;
        void* target;
        unsigned long long sequence;
    };

    std::shared_ptr<TargetState> targetStateLocked(void* target, bool paused);
    void releaseTargetLocked(void* target);
    void cancelTimerLocked(size_t index);
    void addTimer(std::shared_ptr<TimerEntry> entry, bool paused);
    void removeTimersLocked(const std::function<bool(const TimerEntry&)>& match);
    void removeUpdatesLocked(const std::function<bool(const UpdateEntry&)>& match);
    void fireTimer(TimerEntry& timer, float dt);
    void runPendingFunctions();
    /// New work from another thread wakes a main loop that waits for input.
    void wakeMainLoopFromOtherThread() const;

    float _timeScale = 1.0f;
    std::thread::id _ownerThread = std::this_thread::get_id();

    mutable std::mutex _mutex;
    std::vector<std::shared_ptr<TimerEntry>> _timers;
    std::vector<std::shared_ptr<UpdateEntry>> _updates; // sorted by priority, stable
    std::unordered_map<void*, std::shared_ptr<TargetState>> _targets;

    mutable std::mutex _functionsMutex;
    std::deque<PendingFunction> _functions;
    unsigned long long _nextSequence = 0;
};

} // namespace cocos2d
