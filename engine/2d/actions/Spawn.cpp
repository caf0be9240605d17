#include "2d/actions/Spawn.h"

#include <algorithm>

#include "2d/actions/ActionCreate.h"
#include "base/ccLog.h"

namespace cocos2d {

Spawn* Spawn::create(FiniteTimeAction* action1, ...)
{
    va_list params;
    va_start(params, action1);
    Vector<FiniteTimeAction*> actions = collectActions(action1, params);
    va_end(params);
    return create(actions);
}

Spawn* Spawn::create(const Vector<FiniteTimeAction*>& actions)
{
    auto* ret = new (std::nothrow) Spawn();
    return finishCreate(ret, ret && ret->init(actions));
}

Spawn* Spawn::createWithTwoActions(FiniteTimeAction* one, FiniteTimeAction* two)
{
    return create(Vector<FiniteTimeAction*>{one, two});
}

bool Spawn::init(const Vector<FiniteTimeAction*>& actions)
{
    if (actions.empty()) {
        log("Spawn: no actions");
        return false;
    }
    float longest = 0.0f;
    for (FiniteTimeAction* a : actions)
        longest = std::max(longest, a->getDuration());
    _actions = actions;
    _running.assign(_actions.size(), false);
    return initWithDuration(longest);
}

void Spawn::startWithTarget(Node* target)
{
    ActionInterval::startWithTarget(target);
    for (size_t i = 0; i < _running.size(); ++i) {
        _actions.at(static_cast<ssize_t>(i))->startWithTarget(target);
        _running[i] = true;
    }
}

void Spawn::stop()
{
    for (size_t i = 0; i < _running.size(); ++i) {
        if (_running[i]) {
            _actions.at(static_cast<ssize_t>(i))->stop();
            _running[i] = false;
        }
    }
    ActionInterval::stop();
}

void Spawn::update(float t)
{
    const float now = t * _duration;
    for (size_t i = 0; i < _running.size() && _target; ++i) {
        if (!_running[i])
            continue;
        FiniteTimeAction* action = _actions.at(static_cast<ssize_t>(i));
        const float length = action->getDuration();
        const float progress = (length > 0.0f && t < 1.0f) ? std::min(1.0f, now / length) : 1.0f;
        action->update(progress);
        if (progress >= 1.0f) {
            action->stop();
            _running[i] = false;
        }
    }
}

} // namespace cocos2d
