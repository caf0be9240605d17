#pragma once
// Steps the running actions of every node once per frame (driven by the scheduler). A node
// with actions is retained until its last action finishes or is removed. Main thread only.

#include <sys/types.h>

#include <unordered_map>
#include <vector>

#include "base/Ref.h"

namespace cocos2d {

class Action;
class Node;

class ActionManager : public Ref {
public:
    ActionManager() = default;
    ~ActionManager() override;

    /// Starts the action on the target (paused actions wait until the target is resumed).
    void addAction(Action* action, Node* target, bool paused);
    void removeAllActions();
    void removeAllActionsFromTarget(Node* target);
    void removeAction(Action* action);
    void removeActionByTag(int tag, Node* target);
    void removeAllActionsByTag(int tag, Node* target);
    Action* getActionByTag(int tag, const Node* target) const;
    ssize_t getNumberOfRunningActionsInTarget(const Node* target) const;
    ssize_t getNumberOfRunningActions() const;

    void pauseTarget(Node* target);
    void resumeTarget(Node* target);
    bool isTargetPaused(Node* target) const;
    /// True when the next update steps at least one action.
    bool hasUnpausedActions() const;

    /// One frame: every unpaused action steps by dt; finished ones are stopped and removed.
    void update(float dt);

private:
    struct Element {
        std::vector<Action*> actions; // each retained
        bool paused = false;
    };

    void removeAt(Node* target, Element& element, size_t index);
    void dropTargetIfEmpty(Node* target);

    std::unordered_map<Node*, Element> _targets;
    std::vector<Node*> _targetOrder; // the order in which targets got their first action
};

} // namespace cocos2d
