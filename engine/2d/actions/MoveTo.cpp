#include "2d/actions/MoveTo.h"

#include "2d/Node.h"
#include "2d/actions/ActionCreate.h"

namespace cocos2d {

MoveTo* MoveTo::create(float duration, const Vec2& position)
{
    auto* ret = new (std::nothrow) MoveTo();
    if (ret)
        ret->_endPosition.set(position.x, position.y, 0.0f);
    return finishCreate(ret, ret && ret->initWithDuration(duration, Vec3::ZERO, false));
}

MoveTo* MoveTo::create(float duration, const Vec3& position)
{
    auto* ret = new (std::nothrow) MoveTo();
    if (ret)
        ret->_endPosition = position;
    return finishCreate(ret, ret && ret->initWithDuration(duration, Vec3::ZERO, true));
}

void MoveTo::startWithTarget(Node* target)
{
    MoveBy::startWithTarget(target);
    _positionDelta = _endPosition - target->getPosition3D();
    // A 2D move leaves the depth alone.
    if (!_is3D)
        _positionDelta.z = 0.0f;
}

} // namespace cocos2d
