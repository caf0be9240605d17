#include "2d/actions/ActionInstant.h"

namespace cocos2d {

void ActionInstant::startWithTarget(Node* target)
{
    FiniteTimeAction::startWithTarget(target);
    _done = false;
}

void ActionInstant::step(float dt)
{
    (void)dt;
    update(1.0f);
    _done = true;
}

} // namespace cocos2d
