#pragma once
// Waits for its duration and changes nothing (a pause inside a Sequence).

#include "2d/actions/ActionInterval.h"

namespace cocos2d {

class DelayTime : public ActionInterval {
public:
    static DelayTime* create(float d);
    void update(float time) override { (void)time; }

protected:
    DelayTime() = default;
};

} // namespace cocos2d
