#pragma once
// One collected picture on a scene of its own (phone layout): the picture view below a title
// bar with the back button on the left and a share button on the right.

#include "panel/TitledScene.h"

namespace NSUI {
class NSSpriteView;
}

class spriteViewScene : public TitledScene {
public:
    /// The tag of the picture view, which the caller gives the picture.
    static constexpr int kViewTag = 10000;
    static constexpr const char* kShareButton = "btnShare";

    /// A new scene (autoreleased) with an empty picture view, or null.
    static spriteViewScene* createScene();

    NSUI::NSSpriteView* getSpriteView() const;
    /// Hands the shown picture to the platform's mail hook.
    void share();

private:
    spriteViewScene() = default;
    bool initScene();
    void addShareButton();
};
