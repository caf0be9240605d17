#include "2d/actions/ActionInterval.h"

#include <algorithm>
#include <cfloat>

namespace cocos2d {

bool ActionInterval::initWithDuration(float d)
{
    _duration = d > FLT_EPSILON ? d : FLT_EPSILON;
    _elapsed = 0.0f;
    _firstTick = true;
    _done = false;
    return true;
}

void ActionInterval::startWithTarget(Node* target)
{
    FiniteTimeAction::startWithTarget(target);
    _elapsed = 0.0f;
    _firstTick = true;
    _done = false;
}

void ActionInterval::step(float dt)
{
    if (_firstTick) {
        _firstTick = false;
        _elapsed = 0.0f;
    } else {
        _elapsed += dt;
    }
    const float progress = std::max(0.0f, std::min(1.0f, _elapsed / _duration));
    update(progress);
    _done = _elapsed >= _duration;
}

} // namespace cocos2d
