#pragma once
// An action with a known duration in seconds (0 for instant actions).

#include "2d/actions/Action.h"

namespace cocos2d {

class FiniteTimeAction : public Action {
public:
    float getDuration() const { return _duration; }
    void setDuration(float duration) { _duration = duration; }

protected:
    FiniteTimeAction() = default;

    float _duration = 0.0f;
};

} // namespace cocos2d
