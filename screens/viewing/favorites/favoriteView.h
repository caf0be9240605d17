#pragma once
// Shows one favourite DICOM image with a reduced set of viewing tools: pan, zoom, window
// presets, colour tables, measurements, capture and sending.

#include "layout/NSLayout.h"
#include "presets/WindowPreset.h"
#include "tools/editWWOpener.h"

#include <string>
#include <vector>

namespace isImageSDK {
class appManager;
class isViewerMulti;
} // namespace isImageSDK
namespace NSUI {
class NSNotificationData;
}

class favoriteView : public NSUI::NSLayout {
public:
    static constexpr int kToolWidth = 80;
    static constexpr const char* kToolLayout = "2DFavoriteTool.csb";
    static constexpr const char* kMessageName = "favoriteMsg";

    static favoriteView* create();
    bool init() override;
    void cleanup() override;
    /// Called once by the owner after sizing the view.
    void setupToolBar();
    /// Reads the file on the calling thread and shows it, or a message saying why not.
    void loadFile(const std::string& path);
    void showMessage(const std::string& text);
    bool onTouchBegan(cocos2d::Touch* touch, cocos2d::Event* event) override;

    virtual void onButtonClicked(cocos2d::Ref* sender);
    void onMenuItem(cocos2d::Ref* sender, unsigned int id, NSUI::NSNotificationData* data);

    const std::string& getFilePath() const { return filePath; }
    const std::vector<WindowPreset>& getPresets() const { return presets; }
    isImageSDK::isViewerMulti* getMultiView() const { return multiView; }
    cocos2d::Node* getToolBar() const { return toolBar; }

protected:
    favoriteView() = default;
    ~favoriteView() override;

    /// Closes the pop-up menus; a touch on the view does.
    virtual void closeMenus();
    /// Where the viewer lies in this view.
    virtual cocos2d::Rect viewerRect() const;
    /// Reads the file and shows its image, or says it is too large; false when the file gives
    /// no image, which changes nothing.
    bool showImageOf(const std::string& path);
    /// Sends the notification to onMenuItem while this view lives.
    void observe(unsigned int id, cocos2d::Ref* object);
    /// Binds the named buttons under root to onButtonClicked; missing ones are skipped.
    void bindButtons(cocos2d::Node* root, const std::vector<const char*>& names);
    bool isPlaying() const;
    void capture();
    void openSend();
    void openTagList();

    const char* messageName = kMessageName;
    int messageZOrder = 1000;

private:
    void showMenu(int kind, cocos2d::ui::Widget* button, const cocos2d::Vec2& offset);

    std::vector<WindowPreset> presets;
    isImageSDK::isViewerMulti* multiView = nullptr;
    cocos2d::Node* toolBar = nullptr;
    isImageSDK::appManager* manager = nullptr;
    std::string filePath;
    editWWOpener editorOpener;
};
