#pragma once
// A full-window scene under a title bar ("bkScene.csb"): the bar's back button and the return
// key run onResponseReturn, which pops the scene; a page fills the room below the bar.

#include "cocos2d.h"

#include <string>

class TitledScene : public cocos2d::Scene {
public:
    static constexpr float kTitleBarHeight = 60;
    static constexpr const char* kLayoutFile = "bkScene.csb";

    /// A new scene (autoreleased), or null.
    static TitledScene* create(const std::string& title);

    /// The engine scene's init, the return key, and the layout loaded, sized to the window,
    /// laid out, localised, titled and wired.
    bool initWithTitle(const std::string& title);
    /// The layout root; the scene itself when the layout file cannot be read.
    cocos2d::Node* getLayout() const { return _layout ? _layout : const_cast<TitledScene*>(this); }
    void setTitle(const std::string& title);

    /// Puts a page below the bar: the window's width by its height less the bar, at the origin,
    /// anchored bottom-left; the page's own layout root (when it has one) is given that size
    /// and laid out again. The page's own title bar ("titleBar"), when it has one, gives way
    /// to the scene's.
    void addContent(cocos2d::Node* page, cocos2d::Node* pageLayout);

    /// Pops the scene.
    bool onResponseReturn() override;

protected:
    TitledScene() = default;

    cocos2d::Node* _layout = nullptr;
};
