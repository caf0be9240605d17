#pragma once
// The window editor as a scene of its own, for the phone layout: leaving it applies the typed
// values, and invalid ones keep the scene open.

#include "panel/TitledScene.h"

class editWWScene : public TitledScene {
public:
    static constexpr int kLayoutTag = 100;

    /// A new scene (autoreleased) titled with the editor's title, or null.
    static editWWScene* create();

    /// Applies the editor's values; pops the scene only when they are valid.
    bool onResponseReturn() override;

private:
    editWWScene() = default;
};
