#include "2d/actions/Sequence.h"


#include "2d/actions/ActionCreate.h"
#include "base/ccLog.h"

namespace cocos2d {

Sequence* Sequence::create(FiniteTimeAction* action1, ...)
{
    va_list params;
    va_start(params, action1);
    Vector<FiniteTimeAction*> actions = collectActions(action1, params);
    va_end(params);
    return create(actions);
}

Sequence* Sequence::create(const Vector<FiniteTimeAction*>& actions)
{
    auto* ret = new (std::nothrow) Sequence();
    return finishCreate(ret, ret && ret->init(actions));
}

Sequence* Sequence::createWithTwoActions(FiniteTimeAction* one, FiniteTimeAction* two)
{
    return create(Vector<FiniteTimeAction*>{one, two});
}

bool Sequence::init(const Vector<FiniteTimeAction*>& actions)
{
    if (actions.empty()) {
        log("Sequence: no actions");
        return false;
    }
    float total = 0.0f;
    for (FiniteTimeAction* a : actions) {
        _starts.push_back(total);
        total += a->getDuration();
    }
    _actions = actions;
    _started.assign(_actions.size(), false);
    return initWithDuration(total);
}

void Sequence::startWithTarget(Node* target)
{
    ActionInterval::startWithTarget(target);
    _started.assign(_actions.size(), false);
    _finished = 0;
}

void Sequence::stop()
{
    // Only the action under way has been started and not yet stopped.
    if (_finished < _started.size() && _started[_finished])
        _actions.at(static_cast<ssize_t>(_finished))->stop();
    ActionInterval::stop();
}

void Sequence::update(float t)
{
    const float now = t * _duration;
    while (_finished < _started.size() && _target) {
        FiniteTimeAction* action = _actions.at(static_cast<ssize_t>(_finished));
        const float start = _starts[_finished];
        const float length = action->getDuration();
        if (now < start && t < 1.0f)
            break;
        if (!_started[_finished]) {
            action->startWithTarget(_target);
            _started[_finished] = true;
        }
        if (now >= start + length || t >= 1.0f) {
            // Every action that the time has passed runs to its end, in order.
            action->update(1.0f);
            action->stop();
            ++_finished;
            continue;
        }
        action->update(length > 0.0f ? (now - start) / length : 1.0f);
        break;
    }
}

} // namespace cocos2d
