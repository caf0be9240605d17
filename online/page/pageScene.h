#pragma once
// A full-window scene for a page shown inside the program: a title bar whose back button (and
// the return key) leaves the scene, and the room below the bar for the page itself.

#include "cocos2d.h"

#include <string>

class pageScene : public cocos2d::Scene {
public:
    /// Height of the title bar; the page gets the window's height less this.
    static constexpr float kTitleBarHeight = 60;
    static constexpr const char* kLayoutFile = "bkScene.csb";

    /// A new scene (autoreleased) with the layout sized to the window and titled; the page
    /// goes into *layout (set to the scene itself when the layout file cannot be read).
    static pageScene* create(const std::string& title, cocos2d::Node** layout);

    /// Pops the scene.
    bool onResponseReturn() override;

protected:
    pageScene() = default;
};
