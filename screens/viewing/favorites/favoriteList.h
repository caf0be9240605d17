#pragma once
// The favourites screen: the capture library on the left and, beside it, either the picture of a
// capture or the favourite viewer for a DICOM favourite.

#include "layout/NSLayout.h"
#include "ui/CocosGUI.h"

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
    void onButtonClicked(cocos2d::Ref* sender);
    void onCheckAll(cocos2d::Ref* sender, cocos2d::ui::CheckBox::EventType type);

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
