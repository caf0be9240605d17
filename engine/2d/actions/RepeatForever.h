#pragma once
// Runs an interval action again and again; time left over at the end of one round counts
// towards the next.

#include "2d/actions/ActionInterval.h"

namespace cocos2d {

class RepeatForever : public ActionInterval {
public:
    static RepeatForever* create(ActionInterval* action);
    ~RepeatForever() override;

    ActionInterval* getInnerAction() const { return _innerAction; }
    bool isDone() const override { return false; }
    void startWithTarget(Node* target) override;
    void stop() override;
    void step(float dt) override;

protected:
    RepeatForever() = default;
    bool initWithAction(ActionInterval* action);

    ActionInterval* _innerAction = nullptr;
};

} // namespace cocos2d
