#pragma once
// The incoming scene slides in from the left (shown at once in this engine).

#include "2d/TransitionScene.h"

namespace cocos2d {

class TransitionMoveInL : public TransitionScene {
public:
    static TransitionMoveInL* create(float t, Scene* scene);

protected:
    TransitionMoveInL() = default;
    void initScenes() override;
};

} // namespace cocos2d
