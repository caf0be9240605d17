#include "2d/actions/ActionEase.h"

#include "2d/actions/ActionCreate.h"
#include "base/ccLog.h"

namespace cocos2d {

namespace {
template <class T>
T* makeEase(ActionInterval* action)
{
    auto* ret = new (std::nothrow) T();
    return finishCreate(ret, ret && ret->initWithAction(action));
}
} // namespace

ActionEase::~ActionEase()
{
    if (_inner)
        _inner->release();
}

bool ActionEase::initWithAction(ActionInterval* action)
{
    if (!action) {
        log("ActionEase: null action");
        return false;
    }
    action->retain();
    _inner = action;
    return initWithDuration(action->getDuration());
}

void ActionEase::startWithTarget(Node* target)
{
    ActionInterval::startWithTarget(target);
    _inner->startWithTarget(target);
}

void ActionEase::stop()
{
    _inner->stop();
    ActionInterval::stop();
}

void ActionEase::update(float t) { _inner->update(ease(t)); }

EaseCubicActionIn* EaseCubicActionIn::create(ActionInterval* action) { return makeEase<EaseCubicActionIn>(action); }

float EaseCubicActionIn::ease(float t) const { return t * t * t; }

EaseCubicActionOut* EaseCubicActionOut::create(ActionInterval* action)
{
    return makeEase<EaseCubicActionOut>(action);
}

float EaseCubicActionOut::ease(float t) const
{
    const float u = t - 1.0f;
    return u * u * u + 1.0f;
}

EaseCubicActionInOut* EaseCubicActionInOut::create(ActionInterval* action)
{
    return makeEase<EaseCubicActionInOut>(action);
}

float EaseCubicActionInOut::ease(float t) const
{
    if (t < 0.5f)
        return 4.0f * t * t * t;
    const float u = -2.0f * t + 2.0f;
    return 1.0f - u * u * u / 2.0f;
}

} // namespace cocos2d
