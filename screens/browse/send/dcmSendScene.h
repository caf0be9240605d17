#pragma once
// The send panel as a scene of its own, for the phone layout: the panel below a title bar whose
// back button and return key pop the scene.

#include "panel/TitledScene.h"

class dcmSendScene : public TitledScene {
public:
    /// A new scene (autoreleased) titled with the send panel's title, or null.
    static dcmSendScene* create();

private:
    dcmSendScene() = default;
};
