#pragma once
// The patient list's search panel: the tag panel's frame with an empty table and a back button.

#include "tags/dcmTagPanel.h"

class dcmFinder : public dcmTagPanel {
public:
    /// The panel inside a new modal window (autoreleased).
    static cocos2d::Node* create();
    static dcmFinder* fromWindow(cocos2d::Node* window);
    /// The panel as a scene of its own (autoreleased) for the caller to push; fromWindow
    /// finds the panel in it.
    static cocos2d::Scene* createScene();

    bool init() override;
    void onEnterTransitionDidFinish() override;

    static constexpr const char* kPanelName = "dcmFind";
    static constexpr const char* kLayoutFile = "dcmFind.csb";

private:
    dcmFinder() = default;
    /// A new initialised panel (autoreleased), or null.
    static dcmFinder* make();
};
