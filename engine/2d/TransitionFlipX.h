#pragma once
// The screen flips about the vertical axis to the incoming scene (shown at once in this engine).

#include "2d/TransitionScene.h"

namespace cocos2d {

class TransitionFlipX : public TransitionScene {
public:
    static TransitionFlipX* create(float t, Scene* scene);
    static TransitionFlipX* create(float t, Scene* scene, Orientation orientation);

protected:
    TransitionFlipX() = default;

    Orientation _orientation = Orientation::RIGHT_OVER;
};

} // namespace cocos2d
