#pragma once
// The main image-viewing screen: one series in the multi-viewport container, a scrolling tool
// panel on the left whose buttons drive the container, a top bar, the slice slider and the
// pop-up menus. Opened from the study list with the series folder relative to the store root.

#include <memory>
#include <string>
#include <vector>

#include "cocos2d.h"
#include "layout/NSLayout.h"
#include "ui/Slider.h"
#include "presets/WindowPreset.h"
#include "tools/editWWOpener.h"

namespace NSUI {
class NSActivity;
class NSMenu;
class NSNotificationData;
class UIScrollViewBase;
} // namespace NSUI
namespace isImageSDK {
class appManager;
class isViewerMulti;
} // namespace isImageSDK
class quickTool;
class toolDisk;
class seriesLoadJob;

class imageViewerPC : public NSUI::NSLayout {
public:
    /// Tool kinds of the panel.
    static constexpr int kTool2D = 0;
    static constexpr int kToolMPR = 1;
    static constexpr int kToolVolume = 2;

    /// Tags of "btnCmdPlay" carrying the cine state.
    static constexpr int kCinePlaying = 2001;
    static constexpr int kCineStopped = 2002;

    /// The load result: no data on success, int -1 on failure; object the screen.
    static constexpr unsigned kLoadResultId = 2000;

    /// A scene holding a new screen for the series folder (relative to the store root).
    static cocos2d::Scene* createScene(const std::string& folder);
    static imageViewerPC* create();

    bool init() override;
    void onEnterTransitionDidFinish() override;
    void onExit() override;
    void cleanup() override;
    void visit(cocos2d::Renderer* renderer, const cocos2d::Mat4& parentTransform,
               uint32_t parentFlags) override;
    bool onTouchBegan(cocos2d::Touch* touch, cocos2d::Event* event) override;

    /// Unregisters the reader of the folder stored before, when the folder changes.
    void setSeriesFolder(const std::string& folder);
    /// Starts loading the series folder unless a load has started or the screen has been shown;
    /// createScene calls it so that the series loads while the screen is built and first drawn.
    void startLoading();
    const std::string& getSeriesFolder() const { return seriesFolder; }

    void setTopBarVisible(bool visible);
    /// Wires the top bar buttons and registers the screen's observers.
    void bindControls();
    /// Builds the tool panel of a kind (kTool2D, kToolMPR, kToolVolume) unless it is current.
    void setupToolPanel(int kind);
    /// Builds every kind of tool panel once in the program's life and lets it go, so that their
    /// pictures and glyphs are cached before a panel is needed; meant for the wait for a series.
    static void prepareToolPanels();
    void onButtonClicked(cocos2d::Ref* sender);
    void onSliderEvent(cocos2d::Ref* sender, cocos2d::ui::Slider::EventType type);
    /// Moves the slider to the key view's slice.
    void updateSlider();
    /// The count of new favourites on the favourites button; below 0 adds one to the shown count.
    void updateFavoriteBadge(int count);
    /// Makes the container a child of the screen and observes its 9023 and 9056.
    void attachMultiView(isImageSDK::isViewerMulti* multiView);
    /// The panel shown in place of the views when a series cannot be shown; "" hides it.
    void showMessagePanel(const std::string& text);
    void onNotification(cocos2d::Ref* sender, unsigned int id, NSUI::NSNotificationData* data);

    // The pop-up menus and the tool bars that hang off the screen.
    void showWindowMenu(bool show);
    void showClutMenu(bool show);
    void showOpacityMenu(bool show);
    void showCaptureMenu(bool show);
    void showDicomMenu(bool show);
    /// Shows a menu (a viewingMenus kind) next to the tool button that opened it.
    void openMenuAtButton(int kind, cocos2d::Node* button);
    /// Rebuilds the window presets from the loaded series' modality.
    void buildWindowPresets();
    /// The radial tool menu, created on first use.
    toolDisk* getToolDisk();
    /// The buttons that open a page of the radial tool menu ("layout", "view", "wwwl", "roi").
    void onToolDiskButton(const std::string& name);
    void hideToolDisk();

    /// Writes a favourite image record (an isSliceInfo copy, owned and freed here) as a DICOM
    /// file beside the store; posts 9104 when written. Runs on its own thread.
    static void saveFavoriteDicom(void* record, const std::string& storeRoot);
    /// Takes the favourite image record out of a 9103 payload (so that no other observer takes
    /// it too) and saves it on its own thread; false when the payload holds none.
    static bool saveFavoriteFrom(NSUI::NSNotificationData* data);

    isImageSDK::isViewerMulti* getMultiView() const { return multiView; }
    isImageSDK::appManager* getLayoutManager() const { return layoutManager; }
    NSUI::UIScrollViewBase* getToolPanel() const { return toolPanel; }
    int getToolKind() const { return toolKind; }
    int getToolWidth() const { return toolWidth; }
    /// The load's result as the screen handled it: 1 loaded, -1 failed, 0 not yet.
    int getLoadResult() const { return loadResult; }
    int getPendingSlice() const { return pendingSlice; }
    float getPendingRotation() const { return pendingRotation; }
    quickTool* getQuickTool() const { return quickToolBar; }
    const std::vector<WindowPreset>& getWindowPresets() const { return windowPresets; }

protected:
    imageViewerPC() = default;
    ~imageViewerPC() override;

private:
    /// The node of that name anywhere below `from`; null when either is missing.
    static cocos2d::Node* findNode(cocos2d::Node* from, const std::string& name)
    {
        return from ? from->getChildByNameDeep(name) : nullptr;
    }
    /// True when the node is this screen or lies below it.
    bool isOwnView(cocos2d::Ref* object) const;
    void onLoadResult(bool loaded);
    /// Handles the load's result now if it is in and was not handled; false when it is not in.
    bool takeLoadResult();
    /// Registers the screen for its load result, once.
    void observeLoadResult();
    /// Handles the notifications of the menus and tool bars; false when the id is not theirs.
    bool onToolNotification(cocos2d::Ref* sender, unsigned int id, NSUI::NSNotificationData* data);
    /// Shows or hides one menu; the menu, or null when it does not exist.
    NSUI::NSMenu* showMenu(int kind, bool show);
    void capture(unsigned int id);
    void applyCineState(bool playing);
    void openTagList();
    void chooseToolKindAfterLoad(bool volume);
    void chooseToolKindForKeyView(int volumeFlag);
    void flushPendingCommands();
    void closeMenus();
    bool isCinePlaying();
    void releaseSeries();

    std::vector<WindowPreset> windowPresets;
    std::string seriesFolder;
    bool firstEntry = true;
    int loadResult = 0;
    isImageSDK::isViewerMulti* multiView = nullptr;
    int pendingSlice = -1;
    unsigned int lastFrame = 0;
    quickTool* quickToolBar = nullptr;
    NSUI::UIScrollViewBase* toolPanel = nullptr;
    int toolKind = -1;
    int toolWidth = 300;
    float sliderLast = 0.0f;
    float pendingRotation = 0.0f;
    isImageSDK::appManager* layoutManager = nullptr;
    editWWOpener editorOpener;
    /// The busy overlay shown on entry (retained), until the load's result or the screen's end;
    /// none while another screen's overlay is up.
    NSUI::NSActivity* busyOverlay = nullptr;
    /// The running load, shared with its thread, which may outlive the screen.
    std::shared_ptr<seriesLoadJob> loadJob;
};
