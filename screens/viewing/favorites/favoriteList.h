#pragma once
// The favourites screen: the capture library on the left and, beside it, either the picture of a
// capture or the favourite viewer for a DICOM favourite.

#include "layout/NSLayout.h"
#include "ui/CocosGUI.h"

#include <functional>
#include <string>

namespace NSUI {
class NSSpriteView;
}
class captureList;
class favoriteView;

class favoriteList : public NSUI::NSLayout {
public:
    static constexpr int kCaptureWidth = 300;
    static constexpr const char* kLayoutFile = "favoriteView.csb";

    static favoriteList* create();
    /// A scene holding a new favourites screen, the return key enabled.
    static cocos2d::Scene* createScene();
    bool init() override;
    void onExit() override;
    void cleanup() override;

    void onRowSelected(const std::string& path, int type);

    // Shared with the phone layout's screen.
    /// The layout file sized to the window, localised, laid out and added to owner; or null.
    static cocos2d::Node* addLayout(cocos2d::Node* owner, const char* file);
    /// A set-up library of the given size at root's origin; its opened rows go to onRow.
    static captureList* addCaptureList(cocos2d::Node* root, const cocos2d::Size& size,
                                       std::function<void(const std::string&, int)> onRow);
    /// "goBack" pops the scene; "btnShare", "btnRemove" and "chkAll" act on the library.
    static void bindControls(cocos2d::Node* root, captureList* captures);

    captureList* getCaptureList() const { return captures; }
    favoriteView* getViewer() const { return viewer; }
    NSUI::NSSpriteView* getPictureView() const { return pictureView; }

protected:
    ~favoriteList() override;

private:
    captureList* captures = nullptr;
    favoriteView* viewer = nullptr;
    NSUI::NSSpriteView* pictureView = nullptr;
};
