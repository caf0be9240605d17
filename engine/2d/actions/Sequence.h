#pragma once
// Runs actions one after another; each starts (and reads its start values) when reached.

#include <vector>

#include "2d/actions/ActionInterval.h"
#include "base/Vector.h"

namespace cocos2d {

class Sequence : public ActionInterval {
public:
    /// Null-terminated list of actions.
    static Sequence* create(FiniteTimeAction* action1, ...);
    static Sequence* create(const Vector<FiniteTimeAction*>& actions);
    static Sequence* createWithTwoActions(FiniteTimeAction* one, FiniteTimeAction* two);

    void startWithTarget(Node* target) override;
    void stop() override;
    void update(float time) override;

protected:
    Sequence() = default;
    bool init(const Vector<FiniteTimeAction*>& actions);

    Vector<FiniteTimeAction*> _actions;
    std::vector<float> _starts;
    std::vector<bool> _started;
    size_t _finished = 0; // actions before this index are done and stopped
};

} // namespace cocos2d
