#include "base/Scheduler.h"

#include <algorithm>
#include <atomic>
#include <limits>

#include "base/Director.h"
#include "base/ccMacros.h"

namespace cocos2d {

const int Scheduler::PRIORITY_SYSTEM = INT_MIN;
const int Scheduler::PRIORITY_NON_SYSTEM_MIN = PRIORITY_SYSTEM + 1;

// Pause state shared by every timer and hook of one target.
struct Scheduler::TargetState {
    std::atomic<bool> paused{false};
    int entries = 0;
};

struct Scheduler::TimerEntry {
    ccSchedulerFunc callback;
    void* target = nullptr;
    std::string key;
    SEL_SCHEDULE selector = nullptr;
    double interval = 0;
    double delay = 0;
    unsigned int repeat = 0;
    bool runForever = false;
    bool useDelay = false;
    unsigned int timesExecuted = 0;
    double elapsed = 0;
    std::shared_ptr<TargetState> state;
    std::atomic<bool> cancelled{false};
};

struct Scheduler::UpdateEntry {
    ccSchedulerFunc callback;
    void* target = nullptr;
    int priority = 0;
    std::shared_ptr<TargetState> state;
    std::atomic<bool> cancelled{false};
};

Scheduler::Scheduler() {}

Scheduler::~Scheduler()
{
    unscheduleAll();
}

std::shared_ptr<Scheduler::TargetState> Scheduler::targetStateLocked(void* target, bool paused)
{
    auto& state = _targets[target];
    if (!state) {
        state = std::make_shared<TargetState>();
        state->paused = paused;
    }
    ++state->entries;
    return state;
}

void Scheduler::releaseTargetLocked(void* target)
{
    auto it = _targets.find(target);
    if (it != _targets.end() && --it->second->entries <= 0) {
        _targets.erase(it);
    }
}

void Scheduler::removeTimersLocked(const std::function<bool(const TimerEntry&)>& match)
{
    for (auto it = _timers.begin(); it != _timers.end();) {
        if (match(**it)) {
            (*it)->cancelled = true;
            releaseTargetLocked((*it)->target);
            it = _timers.erase(it);
        } else {
            ++it;
        }
    }
}

void Scheduler::removeUpdatesLocked(const std::function<bool(const UpdateEntry&)>& match)
{
    for (auto it = _updates.begin(); it != _updates.end();) {
        if (match(**it)) {
            (*it)->cancelled = true;
            releaseTargetLocked((*it)->target);
            it = _updates.erase(it);
        } else {
            ++it;
        }
    }
}

void Scheduler::addTimer(std::shared_ptr<TimerEntry> entry, bool paused)
{
    if (!entry->callback || !entry->target) {
        log("Scheduler::schedule: a timer needs a callback and a target");
        return;
    }
    entry->interval = std::max(0.0, entry->interval);
    entry->delay = std::max(0.0, entry->delay);
    entry->runForever = entry->repeat == CC_REPEAT_FOREVER;
    entry->useDelay = entry->delay > 0;
    std::lock_guard<std::mutex> lock(_mutex);
    const TimerEntry& e = *entry;
    removeTimersLocked([&e](const TimerEntry& t) {
        return t.target == e.target && (e.selector ? t.selector == e.selector : (!t.selector && t.key == e.key));
    });
    entry->state = targetStateLocked(entry->target, paused);
    _timers.push_back(std::move(entry));
    wakeMainLoopFromOtherThread();
}

void Scheduler::schedule(const ccSchedulerFunc& callback, void* target, float interval, unsigned int repeat,
                         float delay, bool paused, const std::string& key)
{
    if (key.empty()) {
        log("Scheduler::schedule: a timer needs a key");
        return;
    }
    auto entry = std::make_shared<TimerEntry>();
    entry->callback = callback;
    entry->target = target;
    entry->key = key;
    entry->interval = interval;
    entry->repeat = repeat;
    entry->delay = delay;
    addTimer(std::move(entry), paused);
}

void Scheduler::schedule(const ccSchedulerFunc& callback, void* target, float interval, bool paused,
                         const std::string& key)
{
    schedule(callback, target, interval, CC_REPEAT_FOREVER, 0.0f, paused, key);
}

void Scheduler::schedule(SEL_SCHEDULE selector, Ref* target, float interval, unsigned int repeat, float delay,
                         bool paused)
{
    if (!selector || !target) {
        log("Scheduler::schedule: a selector timer needs a selector and a target");
        return;
    }
    auto entry = std::make_shared<TimerEntry>();
    entry->callback = [target, selector](float dt) { (target->*selector)(dt); };
    entry->target = target;
    entry->selector = selector;
    entry->interval = interval;
    entry->repeat = repeat;
    entry->delay = delay;
    addTimer(std::move(entry), paused);
}

void Scheduler::schedule(SEL_SCHEDULE selector, Ref* target, float interval, bool paused)
{
    schedule(selector, target, interval, CC_REPEAT_FOREVER, 0.0f, paused);
}

void Scheduler::schedulePerFrame(const ccSchedulerFunc& callback, void* target, int priority, bool paused)
{
    if (!callback || !target) {
        log("Scheduler::scheduleUpdate: an update hook needs a callback and a target");
        return;
    }
    std::lock_guard<std::mutex> lock(_mutex);
    for (const auto& u : _updates) {
        if (u->target == target && u->priority == priority) {
            return; // already hooked with this priority
        }
    }
    removeUpdatesLocked([target](const UpdateEntry& u) { return u.target == target; });
    auto entry = std::make_shared<UpdateEntry>();
    entry->callback = callback;
    entry->target = target;
    entry->priority = priority;
    entry->state = targetStateLocked(target, paused);
    auto pos = std::upper_bound(_updates.begin(), _updates.end(), priority,
                                [](int p, const std::shared_ptr<UpdateEntry>& u) { return p < u->priority; });
    _updates.insert(pos, std::move(entry));
    wakeMainLoopFromOtherThread();
}

void Scheduler::unschedule(const std::string& key, void* target)
{
    std::lock_guard<std::mutex> lock(_mutex);
    removeTimersLocked([&](const TimerEntry& t) { return t.target == target && !t.selector && t.key == key; });
}

void Scheduler::unschedule(SEL_SCHEDULE selector, Ref* target)
{
    std::lock_guard<std::mutex> lock(_mutex);
    removeTimersLocked([&](const TimerEntry& t) { return t.target == target && t.selector == selector; });
}

void Scheduler::unscheduleUpdate(void* target)
{
    std::lock_guard<std::mutex> lock(_mutex);
    removeUpdatesLocked([target](const UpdateEntry& u) { return u.target == target; });
}

void Scheduler::unscheduleAllForTarget(void* target)
{
    std::lock_guard<std::mutex> lock(_mutex);
    removeTimersLocked([target](const TimerEntry& t) { return t.target == target; });
    removeUpdatesLocked([target](const UpdateEntry& u) { return u.target == target; });
}

void Scheduler::unscheduleAll()
{
    unscheduleAllWithMinPriority(PRIORITY_SYSTEM);
}

void Scheduler::unscheduleAllWithMinPriority(int minPriority)
{
    std::lock_guard<std::mutex> lock(_mutex);
    removeTimersLocked([](const TimerEntry&) { return true; });
    removeUpdatesLocked([minPriority](const UpdateEntry& u) { return u.priority >= minPriority; });
}

bool Scheduler::isScheduled(const std::string& key, const void* target) const
{
    std::lock_guard<std::mutex> lock(_mutex);
    for (const auto& t : _timers) {
        if (t->target == target && !t->selector && t->key == key) {
            return true;
        }
    }
    return false;
}

bool Scheduler::isScheduled(SEL_SCHEDULE selector, const Ref* target) const
{
    std::lock_guard<std::mutex> lock(_mutex);
    for (const auto& t : _timers) {
        if (t->target == target && t->selector == selector) {
            return true;
        }
    }
    return false;
}

void Scheduler::pauseTarget(void* target)
{
    std::lock_guard<std::mutex> lock(_mutex);
    auto it = _targets.find(target);
    if (it != _targets.end()) {
        it->second->paused = true;
    }
}

void Scheduler::resumeTarget(void* target)
{
    std::lock_guard<std::mutex> lock(_mutex);
    auto it = _targets.find(target);
    if (it != _targets.end()) {
        it->second->paused = false;
    }
}

bool Scheduler::isTargetPaused(void* target) const
{
    std::lock_guard<std::mutex> lock(_mutex);
    auto it = _targets.find(target);
    return it != _targets.end() && it->second->paused;
}

std::set<void*> Scheduler::pauseAllTargets()
{
    return pauseAllTargetsWithMinPriority(PRIORITY_SYSTEM);
}

std::set<void*> Scheduler::pauseAllTargetsWithMinPriority(int minPriority)
{
    std::set<void*> paused;
    std::lock_guard<std::mutex> lock(_mutex);
    for (const auto& t : _timers) {
        t->state->paused = true;
        paused.insert(t->target);
    }
    for (const auto& u : _updates) {
        if (u->priority >= minPriority) {
            u->state->paused = true;
            paused.insert(u->target);
        }
    }
    return paused;
}

void Scheduler::resumeTargets(const std::set<void*>& targets)
{
    for (void* target : targets) {
        resumeTarget(target);
    }
}

void Scheduler::fireTimer(TimerEntry& t, float dt)
{
    if (t.cancelled || t.state->paused) {
        return;
    }
    t.elapsed += dt;
    auto fire = [&t](double step) {
        t.callback(static_cast<float>(step));
        ++t.timesExecuted;
        if (!t.runForever && t.timesExecuted > t.repeat) {
            return false;
        }
        return true;
    };
    bool alive = true;
    if (t.useDelay) {
        if (t.elapsed < t.delay) {
            return;
        }
        t.elapsed -= t.delay;
        t.useDelay = false;
        alive = fire(t.delay);
    }
    // Catch-up: a timer due several times within one frame fires that many times.
    while (alive && !t.cancelled && !t.state->paused) {
        double step = t.interval > 0 ? t.interval : t.elapsed;
        if (t.elapsed < step) {
            break;
        }
        t.elapsed -= step;
        alive = fire(step);
        if (t.interval <= 0) {
            t.elapsed = 0;
            break;
        }
    }
    if (!alive && !t.cancelled) {
        std::lock_guard<std::mutex> lock(_mutex);
        TimerEntry* self = &t;
        removeTimersLocked([self](const TimerEntry& e) { return &e == self; });
    }
}

void Scheduler::update(float dt)
{
    if (_timeScale != 1.0f) {
        dt *= _timeScale;
    }
    std::vector<std::shared_ptr<UpdateEntry>> updates;
    std::vector<std::shared_ptr<TimerEntry>> timers;
    {
        std::lock_guard<std::mutex> lock(_mutex);
        updates = _updates;
        timers = _timers;
    }
    // The copies keep each entry (and its callback) alive while it runs, even if it is
    // unscheduled from inside its own callback.
    for (const auto& u : updates) {
        if (!u->cancelled && !u->state->paused) {
            u->callback(dt);
        }
    }
    for (const auto& t : timers) {
        fireTimer(*t, dt);
    }
    runPendingFunctions();
}

void Scheduler::performFunctionInCocosThread(std::function<void()> function)
{
    performFunctionInCocosThread(std::move(function), nullptr);
}

void Scheduler::performFunctionInCocosThread(void* target, std::function<void()> function)
{
    performFunctionInCocosThread(std::move(function), target);
}

void Scheduler::performFunctionInCocosThread(std::function<void()> function, void* target)
{
    if (!function) {
        return;
    }
    bool first = false;
    {
        std::lock_guard<std::mutex> lock(_functionsMutex);
        first = _functions.empty();
        _functions.push_back(PendingFunction{std::move(function), target, _nextSequence++});
    }
    // A main loop waiting for input must wake to run it; once is enough while it waits.
    if (first) {
        wakeMainLoopFromOtherThread();
    }
}

void Scheduler::wakeMainLoopFromOtherThread() const
{
    // The owner is the main thread, which never waits while it schedules.
    if (std::this_thread::get_id() != _ownerThread) {
        Director::getInstance()->wakeUp();
    }
}

double Scheduler::getTimeToNextWork(const void* idleHookTarget) const
{
    if (getPendingFunctionCount() > 0) {
        return 0.0;
    }
    double next = std::numeric_limits<double>::infinity();
    std::lock_guard<std::mutex> lock(_mutex);
    for (const auto& u : _updates) {
        if (!u->cancelled && !u->state->paused && u->target != idleHookTarget) {
            return 0.0;
        }
    }
    for (const auto& t : _timers) {
        if (t->cancelled || t->state->paused) {
            continue;
        }
        double step = t->useDelay ? t->delay : t->interval;
        next = std::min(next, std::max(0.0, step - t->elapsed));
    }
    if (next > 0.0 && _timeScale > 0.0f && _timeScale != 1.0f) {
        next /= _timeScale;
    }
    return next;
}

void Scheduler::removeFunctionInCocosThread(void* target)
{
    if (!target) {
        return;
    }
    std::lock_guard<std::mutex> lock(_functionsMutex);
    _functions.erase(std::remove_if(_functions.begin(), _functions.end(),
                                    [target](const PendingFunction& f) { return f.target == target; }),
                     _functions.end());
}

void Scheduler::removeAllFunctionsToBePerformedInCocosThread()
{
    std::lock_guard<std::mutex> lock(_functionsMutex);
    _functions.clear();
}

size_t Scheduler::getPendingFunctionCount() const
{
    std::lock_guard<std::mutex> lock(_functionsMutex);
    return _functions.size();
}

void Scheduler::runPendingFunctions()
{
    unsigned long long limit;
    {
        std::lock_guard<std::mutex> lock(_functionsMutex);
        limit = _nextSequence;
    }
    // One at a time, so that a function may withdraw later ones of this same batch (an owner
    // stopping its worker), and functions queued while running wait for the next frame.
    for (;;) {
        std::function<void()> function;
        {
            std::lock_guard<std::mutex> lock(_functionsMutex);
            if (_functions.empty() || _functions.front().sequence >= limit) {
                break;
            }
            function = std::move(_functions.front().function);
            _functions.pop_front();
        }
        function();
    }
}

} // namespace cocos2d
