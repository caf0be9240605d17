#pragma once
// The slide-in with which the account scene arrives: from the top-left corner of the window.

#include "cocos2d.h"

class TransitionMoveInLeftTop : public cocos2d::TransitionMoveInL {
public:
    /// Null when the engine transition cannot be made for the scene.
    static TransitionMoveInLeftTop* create(float duration, cocos2d::Scene* scene);

protected:
    TransitionMoveInLeftTop() = default;
    /// The incoming scene starts one window to the left and one window up.
    void initScenes() override;
};
