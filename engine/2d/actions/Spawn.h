#pragma once
// Runs actions at the same time; it lasts as long as the longest of them.

#include <vector>

#include "2d/actions/ActionInterval.h"
#include "base/Vector.h"

namespace cocos2d {

class Spawn : public ActionInterval {
public:
    /// Null-terminated list of actions.
    static Spawn* create(FiniteTimeAction* action1, ...);
    static Spawn* create(const Vector<FiniteTimeAction*>& actions);
    static Spawn* createWithTwoActions(FiniteTimeAction* one, FiniteTimeAction* two);

    void startWithTarget(Node* target) override;
    void stop() override;
    void update(float time) override;

protected:
    Spawn() = default;
    bool init(const Vector<FiniteTimeAction*>& actions);

    Vector<FiniteTimeAction*> _actions;
    std::vector<bool> _running;
};

} // namespace cocos2d
