#include "2d/actions/RotateBy.h"

#include "2d/Node.h"
#include "2d/actions/ActionCreate.h"

namespace cocos2d {

RotateBy* RotateBy::create(float duration, float deltaAngle) { return create(duration, deltaAngle, deltaAngle); }

RotateBy* RotateBy::create(float duration, float deltaAngleZ_X, float deltaAngleZ_Y)
{
    auto* ret = new (std::nothrow) RotateBy();
    return finishCreate(ret, ret && ret->init(duration, Vec3(deltaAngleZ_X, deltaAngleZ_Y, 0.0f), false));
}

RotateBy* RotateBy::create(float duration, const Vec3& deltaAngle3D)
{
    auto* ret = new (std::nothrow) RotateBy();
    return finishCreate(ret, ret && ret->init(duration, deltaAngle3D, true));
}

bool RotateBy::init(float duration, const Vec3& delta, bool is3D)
{
    _deltaAngle = delta;
    _is3D = is3D;
    return initWithDuration(duration);
}

void RotateBy::startWithTarget(Node* target)
{
    ActionInterval::startWithTarget(target);
    if (_is3D)
        _startAngle = target->getRotation3D();
    else
        _startAngle.set(target->getRotationSkewX(), target->getRotationSkewY(), 0.0f);
}

void RotateBy::update(float t)
{
    if (!_target)
        return;
    if (_is3D) {
        _target->setRotation3D(_startAngle + _deltaAngle * t);
        return;
    }
    const float x = _startAngle.x + _deltaAngle.x * t;
    const float y = _startAngle.y + _deltaAngle.y * t;
    if (x == y) {
        _target->setRotation(x);
    } else {
        _target->setRotationSkewX(x);
        _target->setRotationSkewY(y);
    }
}

} // namespace cocos2d
