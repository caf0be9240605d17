#pragma once
// Turns the target by an angle in degrees over its duration: in the plane (clockwise, as
// Node::setRotation) or about the three axes (as Node::setRotation3D).

#include "2d/actions/ActionInterval.h"
#include "math/Vec3.h"

namespace cocos2d {

class RotateBy : public ActionInterval {
public:
    static RotateBy* create(float duration, float deltaAngle);
    static RotateBy* create(float duration, float deltaAngleZ_X, float deltaAngleZ_Y);
    static RotateBy* create(float duration, const Vec3& deltaAngle3D);

    void startWithTarget(Node* target) override;
    void update(float time) override;

protected:
    RotateBy() = default;
    bool init(float duration, const Vec3& delta, bool is3D);

    bool _is3D = false;
    Vec3 _deltaAngle;
    Vec3 _startAngle;
};

} // namespace cocos2d
