#pragma once
// Moves the target to a position over its duration.

#include "2d/actions/MoveBy.h"

namespace cocos2d {

class MoveTo : public MoveBy {
public:
    static MoveTo* create(float duration, const Vec2& position);
    static MoveTo* create(float duration, const Vec3& position);

    void startWithTarget(Node* target) override;

protected:
    MoveTo() = default;

    Vec3 _endPosition;
};

} // namespace cocos2d
