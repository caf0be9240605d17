#pragma once
// Calls a function when reached (in a Sequence, once the actions before it are done).

#include <functional>

#include "2d/actions/ActionInstant.h"

namespace cocos2d {

class CallFunc : public ActionInstant {
public:
    static CallFunc* create(const std::function<void()>& func);
    void update(float time) override;

protected:
    CallFunc() = default;

    std::function<void()> _function;
};

/// The same, handing the function the node that runs the action.
class CallFuncN : public ActionInstant {
public:
    static CallFuncN* create(const std::function<void(Node*)>& func);
    void update(float time) override;

protected:
    CallFuncN() = default;

    std::function<void(Node*)> _function;
};

} // namespace cocos2d
