#pragma once
// The favourite viewer of the phone layout: one DICOM favourite across the window between a
// title bar and a tool bar, with the radial tool menu for window and colour settings.

#include "favorites/favoriteView.h"

class toolDisk;

class favoriteViewPhone : public favoriteView {
public:
    /// The tag of the view in its scene, which the caller gives the file.
    static constexpr int kViewTag = 10000;
    /// "favoriteView.csb" of the phone layouts; the desktop favourites screen has its own.
    static const std::string& layoutFile();
    static constexpr const char* kMessageName = "favoriteViewPhoneMsg";
    /// Tells the container to hide its browsing controls.
    static constexpr unsigned kHideBrowserId = 9105;
    /// Posted by a view when it is touched; its object is the view.
    static constexpr unsigned kViewTouchedId = 9097;
    /// Asks for the view with the reference ID in the tag to be saved as a favourite.
    static constexpr unsigned kFavoriteId = 9102;
    /// The view's answer: a copy of its image, which whoever receives it first saves.
    static constexpr unsigned kFavoriteCopiedId = 9103;
    /// Bar heights: the viewer lies between them.
    static constexpr float kTitleBarHeight = 59;
    static constexpr float kToolBarHeight = 99;

    /// A new scene (autoreleased) holding an empty window-sized view tagged kViewTag, the
    /// return key going back; or null.
    static cocos2d::Scene* create();
    /// The view of a scene made by create, or null.
    static favoriteViewPhone* of(cocos2d::Scene* scene);

    /// Shows the file; a missing or empty path, or a file without an image, changes nothing.
    /// Only an image too large for a texture says why.
    void loadFile(const std::string& path);
    void onButtonClicked(cocos2d::Ref* sender) override;
    void onEnterTransitionDidFinish() override;
    void onExit() override;

    /// The radial menu, once "wwwl" made it.
    toolDisk* getToolDisk() const;
    /// The reference ID of the view last touched; 0 before.
    unsigned int getReferenceId() const { return referenceId; }
    bool isFirstEntry() const { return firstEntry; }

protected:
    cocos2d::Rect viewerRect() const override;
    /// Spins the radial menu away.
    void closeMenus() override;

private:
    favoriteViewPhone();
    bool initView();

    unsigned int referenceId = 0;
    bool firstEntry = true;
};
