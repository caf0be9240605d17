#include "2d/actions/ScaleTo.h"

#include "2d/Node.h"
#include "2d/actions/ActionCreate.h"

namespace cocos2d {

ScaleTo* ScaleTo::create(float duration, float s) { return create(duration, s, s, s); }

ScaleTo* ScaleTo::create(float duration, float sx, float sy) { return create(duration, sx, sy, 1.0f); }

ScaleTo* ScaleTo::create(float duration, float sx, float sy, float sz)
{
    auto* ret = new (std::nothrow) ScaleTo();
    return finishCreate(ret, ret && ret->initWithDuration(duration, sx, sy, sz));
}

bool ScaleTo::initWithDuration(float duration, float sx, float sy, float sz)
{
    _endScaleX = sx;
    _endScaleY = sy;
    _endScaleZ = sz;
    return ActionInterval::initWithDuration(duration);
}

void ScaleTo::startWithTarget(Node* target)
{
    ActionInterval::startWithTarget(target);
    _startScaleX = target->getScaleX();
    _startScaleY = target->getScaleY();
    _startScaleZ = target->getScaleZ();
}

void ScaleTo::update(float t)
{
    if (!_target)
        return;
    _target->setScaleX(_startScaleX + (_endScaleX - _startScaleX) * t);
    _target->setScaleY(_startScaleY + (_endScaleY - _startScaleY) * t);
    _target->setScaleZ(_startScaleZ + (_endScaleZ - _startScaleZ) * t);
}

} // namespace cocos2d
