#pragma once
// Moves the target by a distance over its duration. Moves made to the target meanwhile (by
// code or another move) are kept: the action adds its own movement on top.

#include "2d/actions/ActionInterval.h"
#include "math/Vec2.h"
#include "math/Vec3.h"

namespace cocos2d {

class MoveBy : public ActionInterval {
public:
    static MoveBy* create(float duration, const Vec2& deltaPosition);
    static MoveBy* create(float duration, const Vec3& deltaPosition);

    void startWithTarget(Node* target) override;
    void update(float time) override;

protected:
    MoveBy() = default;
    bool initWithDuration(float duration, const Vec3& deltaPosition, bool is3D);

    bool _is3D = false;
    Vec3 _positionDelta;
    Vec3 _startPosition;
    Vec3 _previousPosition;
};

} // namespace cocos2d
