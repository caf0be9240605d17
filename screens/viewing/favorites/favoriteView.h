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

    void onButtonClicked(cocos2d::Ref* sender);
    void onMenuItem(cocos2d::Ref* sender, unsigned int id, NSUI::NSNotificationData* data);

    const std::string& getFilePath() const { return filePath; }
    const std::vector<WindowPreset>& getPresets() const { return presets; }
    isImageSDK::isViewerMulti* getMultiView() const { return multiView; }
    cocos2d::Node* getToolBar() const { return toolBar; }

protected:
    ~favoriteView() override;

private:
    void showMenu(int kind, cocos2d::ui::Widget* button, const cocos2d::Vec2& offset);
    bool isPlaying() const;
    void capture();
    void openSend();
    void openTagList();

    std::vector<WindowPreset> presets;
    isImageSDK::isViewerMulti* multiView = nullptr;
    cocos2d::Node* toolBar = nullptr;
    isImageSDK::appManager* manager = nullptr;
    std::string filePath;
    editWWOpener editorOpener;
};
