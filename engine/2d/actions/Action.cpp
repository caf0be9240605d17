#include "2d/actions/Action.h"

namespace cocos2d {

void Action::startWithTarget(Node* target) { _originalTarget = _target = target; }

void Action::stop() { _target = nullptr; }

void Action::step(float dt) { (void)dt; }

void Action::update(float time) { (void)time; }

} // namespace cocos2d
