#pragma once
// An action spread over its duration. The first step only starts it (progress 0); each later
// step adds its dt, and the action is done when the elapsed time reaches the duration.

#include "2d/actions/FiniteTimeAction.h"

namespace cocos2d {

class ActionInterval : public FiniteTimeAction {
public:
    float getElapsed() const { return _elapsed; }
    bool isDone() const override { return _done; }
    void step(float dt) override;
    void startWithTarget(Node* target) override;

protected:
    ActionInterval() = default;
    /// A duration of 0 is taken as the smallest positive float so progress stays finite.
    bool initWithDuration(float d);

    float _elapsed = 0.0f;
    bool _firstTick = true;
    bool _done = false;
};

} // namespace cocos2d
