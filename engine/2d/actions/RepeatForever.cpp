#include "2d/actions/RepeatForever.h"

#include <cmath>

#include "2d/actions/ActionCreate.h"
#include "base/ccLog.h"

namespace cocos2d {

RepeatForever* RepeatForever::create(ActionInterval* action)
{
    auto* ret = new (std::nothrow) RepeatForever();
    return finishCreate(ret, ret && ret->initWithAction(action));
}

RepeatForever::~RepeatForever()
{
    if (_innerAction)
        _innerAction->release();
}

bool RepeatForever::initWithAction(ActionInterval* action)
{
    if (!action) {
        log("RepeatForever: null action");
        return false;
    }
    action->retain();
    _innerAction = action;
    return initWithDuration(action->getDuration());
}

void RepeatForever::startWithTarget(Node* target)
{
    ActionInterval::startWithTarget(target);
    _innerAction->startWithTarget(target);
}

void RepeatForever::stop()
{
    _innerAction->stop();
    ActionInterval::stop();
}

void RepeatForever::step(float dt)
{
    _innerAction->step(dt);
    if (!_target || !_innerAction->isDone())
        return;
    const float length = _innerAction->getDuration();
    float overshoot = _innerAction->getElapsed() - length;
    // Several rounds in one long frame collapse into the remainder.
    if (overshoot > length)
        overshoot = std::fmod(overshoot, length);
    _innerAction->startWithTarget(_target);
    _innerAction->step(0.0f);
    if (overshoot > 0.0f)
        _innerAction->step(overshoot);
}

} // namespace cocos2d
