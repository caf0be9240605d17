#pragma once
// Makes the target visible (Show) or invisible (Hide) when reached.

#include "2d/actions/ActionInstant.h"

namespace cocos2d {

class Show : public ActionInstant {
public:
    static Show* create();
    void update(float time) override;

protected:
    Show() = default;
};

class Hide : public ActionInstant {
public:
    static Hide* create();
    void update(float time) override;

protected:
    Hide() = default;
};

} // namespace cocos2d
