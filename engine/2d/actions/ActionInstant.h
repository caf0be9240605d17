#pragma once
// An action that happens in one step (its duration is 0).

#include "2d/actions/FiniteTimeAction.h"

namespace cocos2d {

class ActionInstant : public FiniteTimeAction {
public:
    bool isDone() const override { return _done; }
    void startWithTarget(Node* target) override;
    void step(float dt) override;

protected:
    ActionInstant() = default;

    bool _done = false;
};

} // namespace cocos2d
