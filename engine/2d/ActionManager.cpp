#include "2d/ActionManager.h"

#include <algorithm>

#include "2d/Node.h"
#include "2d/actions/Action.h"
#include "base/ccLog.h"

namespace cocos2d {

ActionManager::~ActionManager() { removeAllActions(); }

void ActionManager::addAction(Action* action, Node* target, bool paused)
{
    if (!action || !target) {
        log("ActionManager::addAction: null action or target");
        return;
    }
    auto it = _targets.find(target);
    if (it == _targets.end()) {
        it = _targets.emplace(target, Element()).first;
        it->second.paused = paused;
        _targetOrder.push_back(target);
        target->retain();
    }
    Element& element = it->second;
    if (std::find(element.actions.begin(), element.actions.end(), action) != element.actions.end()) {
        log("ActionManager::addAction: the action is already running");
        return;
    }
    action->retain();
    element.actions.push_back(action);
    action->startWithTarget(target);
}

void ActionManager::removeAt(Node* target, Element& element, size_t index)
{
    (void)target;
    Action* action = element.actions[index];
    element.actions.erase(element.actions.begin() + static_cast<std::ptrdiff_t>(index));
    action->stop();
    action->release();
}

void ActionManager::dropTargetIfEmpty(Node* target)
{
    auto it = _targets.find(target);
    if (it == _targets.end() || !it->second.actions.empty())
        return;
    _targets.erase(it);
    _targetOrder.erase(std::remove(_targetOrder.begin(), _targetOrder.end(), target), _targetOrder.end());
    target->release();
}

void ActionManager::removeAllActions()
{
    std::vector<Node*> targets = _targetOrder;
    for (Node* target : targets)
        removeAllActionsFromTarget(target);
}

void ActionManager::removeAllActionsFromTarget(Node* target)
{
    auto it = _targets.find(target);
    if (it == _targets.end())
        return;
    // Taken out first: stopping an action may call back into this manager.
    std::vector<Action*> actions;
    actions.swap(it->second.actions);
    for (Action* action : actions) {
        action->stop();
        action->release();
    }
    dropTargetIfEmpty(target);
}

void ActionManager::removeAction(Action* action)
{
    if (!action)
        return;
    Node* target = action->getOriginalTarget();
    auto it = _targets.find(target);
    if (it == _targets.end())
        return;
    auto& actions = it->second.actions;
    auto pos = std::find(actions.begin(), actions.end(), action);
    if (pos == actions.end())
        return;
    removeAt(target, it->second, static_cast<size_t>(pos - actions.begin()));
    dropTargetIfEmpty(target);
}

void ActionManager::removeActionByTag(int tag, Node* target)
{
    auto it = _targets.find(target);
    if (it == _targets.end())
        return;
    auto& actions = it->second.actions;
    for (size_t i = 0; i < actions.size(); ++i) {
        if (actions[i]->getTag() == tag) {
            removeAt(target, it->second, i);
            break;
        }
    }
    dropTargetIfEmpty(target);
}

void ActionManager::removeAllActionsByTag(int tag, Node* target)
{
    auto it = _targets.find(target);
    if (it == _targets.end())
        return;
    auto& actions = it->second.actions;
    for (size_t i = 0; i < actions.size();) {
        if (actions[i]->getTag() == tag)
            removeAt(target, it->second, i);
        else
            ++i;
    }
    dropTargetIfEmpty(target);
}

Action* ActionManager::getActionByTag(int tag, const Node* target) const
{
    auto it = _targets.find(const_cast<Node*>(target));
    if (it == _targets.end())
        return nullptr;
    for (Action* action : it->second.actions) {
        if (action->getTag() == tag)
            return action;
    }
    return nullptr;
}

ssize_t ActionManager::getNumberOfRunningActionsInTarget(const Node* target) const
{
    auto it = _targets.find(const_cast<Node*>(target));
    return it == _targets.end() ? 0 : static_cast<ssize_t>(it->second.actions.size());
}

ssize_t ActionManager::getNumberOfRunningActions() const
{
    ssize_t count = 0;
    for (const auto& entry : _targets)
        count += static_cast<ssize_t>(entry.second.actions.size());
    return count;
}

void ActionManager::pauseTarget(Node* target)
{
    auto it = _targets.find(target);
    if (it != _targets.end())
        it->second.paused = true;
}

void ActionManager::resumeTarget(Node* target)
{
    auto it = _targets.find(target);
    if (it != _targets.end())
        it->second.paused = false;
}

bool ActionManager::isTargetPaused(Node* target) const
{
    auto it = _targets.find(target);
    return it != _targets.end() && it->second.paused;
}

bool ActionManager::hasUnpausedActions() const
{
    for (const auto& entry : _targets) {
        if (!entry.second.paused && !entry.second.actions.empty())
            return true;
    }
    return false;
}

void ActionManager::update(float dt)
{
    // Snapshots with references held: actions may add, remove or finish other actions and
    // remove nodes from the tree while they step.
    std::vector<Node*> targets = _targetOrder;
    for (Node* target : targets)
        target->retain();
    for (Node* target : targets) {
        auto it = _targets.find(target);
        if (it == _targets.end() || it->second.paused)
            continue;
        std::vector<Action*> actions = it->second.actions;
        for (Action* action : actions)
            action->retain();
        for (Action* action : actions) {
            it = _targets.find(target);
            if (it == _targets.end() || it->second.paused)
                break;
            auto& current = it->second.actions;
            if (std::find(current.begin(), current.end(), action) == current.end())
                continue; // removed by an earlier action this frame
            action->step(dt);
            it = _targets.find(target);
            if (it == _targets.end())
                break;
            auto& after = it->second.actions;
            auto pos = std::find(after.begin(), after.end(), action);
            if (pos != after.end() && action->isDone())
                removeAt(target, it->second, static_cast<size_t>(pos - after.begin()));
        }
        for (Action* action : actions)
            action->release();
        dropTargetIfEmpty(target);
    }
    for (Node* target : targets)
        target->release();
}

} // namespace cocos2d
