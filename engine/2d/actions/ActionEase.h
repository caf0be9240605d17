#pragma once
// Runs an interval action with its progress bent by an easing curve; the cubic curves start
// slowly (In), end slowly (Out) or both (InOut).

#include "2d/actions/ActionInterval.h"

namespace cocos2d {

class ActionEase : public ActionInterval {
public:
    ~ActionEase() override;

    ActionInterval* getInnerAction() const { return _inner; }
    void startWithTarget(Node* target) override;
    void stop() override;
    void update(float time) override;
    bool initWithAction(ActionInterval* action);

protected:
    ActionEase() = default;
    /// The eased progress for linear progress t; both in [0, 1].
    virtual float ease(float t) const { return t; }

    ActionInterval* _inner = nullptr;
};

class EaseCubicActionIn : public ActionEase {
public:
    static EaseCubicActionIn* create(ActionInterval* action);

protected:
    float ease(float t) const override;
};

class EaseCubicActionOut : public ActionEase {
public:
    static EaseCubicActionOut* create(ActionInterval* action);

protected:
    float ease(float t) const override;
};

class EaseCubicActionInOut : public ActionEase {
public:
    static EaseCubicActionInOut* create(ActionInterval* action);

protected:
    float ease(float t) const override;
};

} // namespace cocos2d
