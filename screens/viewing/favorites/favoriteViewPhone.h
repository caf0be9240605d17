#pragma once
// The favourite viewer of the phone layout: one DICOM favourite on a scene of its own below a
// title bar whose back button (and the return key) goes back to the favourites.

#include "favorites/favoriteView.h"

class favoriteViewPhone : public favoriteView {
public:
    /// The tag of the view in its scene, which the caller gives the file.
    static constexpr int kViewTag = 10000;
    /// Tells the container to hide its browsing controls.
    static constexpr unsigned kHideBrowserId = 9105;

    /// A new scene (autoreleased) holding an empty view tagged kViewTag, or null.
    static cocos2d::Scene* create();
    /// Shows the file; a missing or empty path, or a file without an image, leaves the view
    /// as it is. Only an image too large for a texture says why.
    void loadFile(const std::string& path);
    /// The view of a scene made by create, or null.
    static favoriteViewPhone* of(cocos2d::Scene* scene);

private:
    favoriteViewPhone() = default;
};
