#pragma once
// A full-window scene for a page shown inside the program: a title bar whose back button (and
// the return key) leaves the scene, and the room below the bar for the page itself.

#include "panel/TitledScene.h"

#include <string>

class pageScene : public TitledScene {
public:
    /// A new scene (autoreleased) with the layout sized to the window and titled; the page
    /// goes into *layout (set to the scene itself when the layout file cannot be read).
    static pageScene* create(const std::string& title, cocos2d::Node** layout);

protected:
    pageScene() = default;
};
