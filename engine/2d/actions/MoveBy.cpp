#include "2d/actions/MoveBy.h"

#include "2d/Node.h"
#include "2d/actions/ActionCreate.h"

namespace cocos2d {

MoveBy* MoveBy::create(float duration, const Vec2& deltaPosition)
{
    auto* ret = new (std::nothrow) MoveBy();
    return finishCreate(ret, ret && ret->initWithDuration(duration, Vec3(deltaPosition.x, deltaPosition.y, 0), false));
}

MoveBy* MoveBy::create(float duration, const Vec3& deltaPosition)
{
    auto* ret = new (std::nothrow) MoveBy();
    return finishCreate(ret, ret && ret->initWithDuration(duration, deltaPosition, true));
}

bool MoveBy::initWithDuration(float duration, const Vec3& deltaPosition, bool is3D)
{
    _positionDelta = deltaPosition;
    _is3D = is3D;
    return ActionInterval::initWithDuration(duration);
}

void MoveBy::startWithTarget(Node* target)
{
    ActionInterval::startWithTarget(target);
    _previousPosition = _startPosition = target->getPosition3D();
}

void MoveBy::update(float t)
{
    if (!_target)
        return;
    const Vec3 current = _target->getPosition3D();
    _startPosition += current - _previousPosition;
    const Vec3 next = _startPosition + _positionDelta * t;
    if (_is3D)
        _target->setPosition3D(next);
    else
        _target->setPosition(next.x, next.y);
    _previousPosition = next;
}

} // namespace cocos2d
