#pragma once
// Base of everything a node can run: something that changes its target over time.

#include "base/Ref.h"

namespace cocos2d {

class Node;

class Action : public Ref {
public:
    static const int INVALID_TAG = -1;

    virtual bool isDone() const { return true; }
    /// Called before the first step; remembers the target and reads its start values.
    virtual void startWithTarget(Node* target);
    /// Called once the action is done or removed; it must not touch the target afterwards.
    virtual void stop();
    /// One frame of dt seconds.
    virtual void step(float dt);
    /// Sets the target to its state at progress time (0 at the start, 1 at the end).
    virtual void update(float time);

    Node* getTarget() const { return _target; }
    void setTarget(Node* target) { _target = target; }
    Node* getOriginalTarget() const { return _originalTarget; }
    void setOriginalTarget(Node* target) { _originalTarget = target; }
    int getTag() const { return _tag; }
    void setTag(int tag) { _tag = tag; }

protected:
    Action() = default;

    Node* _originalTarget = nullptr;
    Node* _target = nullptr;
    int _tag = INVALID_TAG;
};

} // namespace cocos2d
