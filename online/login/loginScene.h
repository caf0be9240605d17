#pragma once
// The account panel as a scene of its own, for the phone layout: the panel below a title bar,
// arriving with a slide-in from the top-left corner.

#include "panel/TitledScene.h"

class login;

class loginScene : public TitledScene {
public:
    static constexpr int kLayoutTag = 100;
    static constexpr float kSlideSeconds = 0.5f;

    /// Builds the scene with a new panel on its start page and pushes it; returns the panel,
    /// or null when it cannot be made.
    static login* show();

    /// A sub-page of the panel goes back to its start page; the start page leaves the scene.
    bool onResponseReturn() override;

private:
    loginScene() = default;
};
