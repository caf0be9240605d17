#include "2d/actions/FadeTo.h"

#include <cmath>

#include "2d/Node.h"
#include "2d/actions/ActionCreate.h"

namespace cocos2d {

FadeTo* FadeTo::create(float duration, GLubyte opacity)
{
    auto* ret = new (std::nothrow) FadeTo();
    return finishCreate(ret, ret && ret->initWithDuration(duration, opacity));
}

FadeIn* FadeIn::create(float duration)
{
    auto* ret = new (std::nothrow) FadeIn();
    return finishCreate(ret, ret && ret->initWithDuration(duration, 255));
}

FadeOut* FadeOut::create(float duration)
{
    auto* ret = new (std::nothrow) FadeOut();
    return finishCreate(ret, ret && ret->initWithDuration(duration, 0));
}

bool FadeTo::initWithDuration(float duration, GLubyte opacity)
{
    _toOpacity = opacity;
    return ActionInterval::initWithDuration(duration);
}

void FadeTo::startWithTarget(Node* target)
{
    ActionInterval::startWithTarget(target);
    _fromOpacity = target->getOpacity();
}

void FadeTo::update(float t)
{
    if (!_target)
        return;
    const float value = _fromOpacity + (static_cast<float>(_toOpacity) - _fromOpacity) * t;
    _target->setOpacity(static_cast<GLubyte>(std::lround(std::fmin(255.0f, std::fmax(0.0f, value)))));
}

} // namespace cocos2d
