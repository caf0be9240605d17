#include "viewer/imageViewerPC.h"

#include "cache/isBinReader.h"
#include "data/isImageData.h"
#include "data/isSliceInfo.h"
#include "isViewerMulti.h"
#include "lang/UILocalConfig.h"
#include "menu/NSMenu.h"
#include "menus/viewingMenus.h"
#include "notify/NSNotificationCenter.h"
#include "object/isSharedObjects.h"
#include "scroll/UIScrollViewBase.h"
#include "table/NSListView.h"
#include "tools/editWW.h"
#include "tools/quickTool.h"
#include "tools/rightClickOpener.h"
#include "tools/toolDisk.h"
#include "ui/CocosGUI.h"

// The pop-up menus, the quick tool bar, the window editor and the radial tool menu of the
// screen.

using namespace cocos2d;
using isImageSDK::isBinReader;

namespace {

const char* const kToolDiskName = "toolDisk";
const float kToastSeconds = 1.5f;

isBinReader* seriesReader(const std::string& folder)
{
    return folder.empty()
               ? nullptr
               : dynamic_cast<isBinReader*>(isImageSDK::isSharedObjects::getInstance()->getObjectByName(folder));
}

} // namespace

// ---- Menus ---------------------------------------------------------------------------------

namespace {

void showViewingMenu(imageViewerPC* screen, Node* parent, viewingMenus::Kind kind, bool show)
{
    viewingMenus::show(parent, kind, show, {screen->getMultiView(), screen}, screen->getWindowPresets(),
                       viewingMenus::screenRowHeight(kind));
}

} // namespace

void imageViewerPC::showWindowMenu(bool show)
{
    showViewingMenu(this, toolPanel, viewingMenus::kWindow, show);
}

void imageViewerPC::showClutMenu(bool show)
{
    showViewingMenu(this, toolPanel, viewingMenus::kClut, show);
}

void imageViewerPC::showOpacityMenu(bool show)
{
    showViewingMenu(this, toolPanel, viewingMenus::kOpacity, show);
}

void imageViewerPC::showCaptureMenu(bool show)
{
    showViewingMenu(this, toolPanel, viewingMenus::kCapture, show);
}

void imageViewerPC::showDicomMenu(bool show)
{
    showViewingMenu(this, this, viewingMenus::kDicom, show);
}

void imageViewerPC::placeMenu(Node* node, Node* button)
{
    auto* menu = dynamic_cast<NSUI::NSMenu*>(node);
    if (!menu || !button)
        return;
    viewingMenus::Kind kind = viewingMenus::kClut;
    for (viewingMenus::Kind k : {viewingMenus::kWindow, viewingMenus::kClut, viewingMenus::kOpacity,
                                 viewingMenus::kCapture, viewingMenus::kDicom})
        if (menu->getName() == viewingMenus::name(k))
            kind = k;
    // The button may sit deeper in the panel than the menu: its place in the menu's parent.
    Vec2 at = button->getPosition();
    if (button->getParent() && menu->getParent())
        at = menu->getParent()->convertToNodeSpace(button->getParent()->convertToWorldSpace(at));
    const float listHeight = menu->getListView() ? menu->getListView()->getContentSize().height : 0.0f;
    menu->setPosition(viewingMenus::placeFromButton(kind, at, toolKind, toolPanel, listHeight));
}

void imageViewerPC::buildWindowPresets()
{
    if (seriesFolder.empty())
        return;
    windowPresets.clear();
    isBinReader* reader = seriesReader(seriesFolder);
    if (!reader)
        return;
    reader->Update();
    isImageSDK::isImageData* output = reader->getOutputImage();
    isImageSDK::isSliceInfo* first = output ? output->getSlice(0) : nullptr;
    if (first)
        windowPresets = WindowPreset::forModality(first->modality);
    // A right click on the views opens the radial tool menu, as the tool buttons would.
    if (!getChildByName(rightClickOpener::kName)) {
        const Size size = getContentSize();
        addChild(rightClickOpener::create(Rect(static_cast<float>(toolWidth), 0.0f, size.width - toolWidth, size.height),
                                          [this](const Vec2&) { onToolDiskButton("wwwl"); }));
    }
}

// ---- Radial tool menu ----------------------------------------------------------------------

toolDisk* imageViewerPC::getToolDisk()
{
    auto* disk = dynamic_cast<toolDisk*>(getChildByName(kToolDiskName));
    if (!disk) {
        disk = toolDisk::create();
        if (!disk)
            return nullptr;
        addChild(disk);
        disk->setName(kToolDiskName);
        disk->setVisible(false);
        disk->setPosition(Vec2::ZERO);
    }
    disk->setTarget(multiView);
    if (disk->getPresets().empty())
        for (const WindowPreset& preset : windowPresets)
            disk->addPreset(preset.name, preset.level, preset.width);
    return disk;
}

void imageViewerPC::onToolDiskButton(const std::string& name)
{
    if (name == "layout") {
        if (toolDisk* disk = getToolDisk()) {
            disk->showLayoutPage();
            disk->show();
        }
    } else if (name == "view") {
        toolDisk* disk = getToolDisk();
        isBinReader* reader = seriesReader(seriesFolder);
        if (disk && reader && reader->isAllLoaded()) {
            disk->showViewTypePage();
            disk->show();
        } else if (reader) {
            showMessageBox(NSUI::UILocalConfig::getLanguageString("imageDataLoading"), kToastSeconds);
        }
    } else if (name == "wwwl") {
        if (toolDisk* disk = getToolDisk()) {
            disk->showImagePage();
            disk->show();
        }
    } else if (name == "roi") {
        if (toolDisk* disk = getToolDisk()) {
            disk->showRoiPage();
            disk->show();
        }
    }
}

void imageViewerPC::hideToolDisk()
{
    auto* disk = dynamic_cast<toolDisk*>(getChildByName(kToolDiskName));
    if (disk && disk->isVisible())
        disk->hide();
}

// ---- Notifications of the tools ------------------------------------------------------------

bool imageViewerPC::onToolNotification(unsigned int id, NSUI::NSNotificationData* data)
{
    switch (id) {
    case 9023:
        if (editWW* editor = windowEditor.open(this)) {
            float width = 0.0f, level = 0.0f;
            if (multiView && multiView->getKeyView() && multiView->getWindowLevel(width, level))
                editor->setWindow(width, level);
        }
        return true;
    case 9097:
        if (!quickToolBar) {
            quickToolBar = quickTool::create();
            if (!quickToolBar)
                return true;
            quickToolBar->buildButtons();
            const Size size = getContentSize();
            quickToolBar->setViewRect(Rect(static_cast<float>(toolWidth), 0.0f, size.width - toolWidth, size.height));
            addChild(quickToolBar);
        }
        if (auto* view = data ? dynamic_cast<Node*>(data->object) : nullptr)
            quickToolBar->attachTo(view);
        return true;
    case 9098:
        if (auto* view = data ? dynamic_cast<Node*>(data->object) : nullptr)
            if (quickToolBar && view->getRefID() == quickToolBar->getTargetId())
                quickToolBar->attachTo(view);
        return true;
    case 9099:
        if (quickToolBar && data && static_cast<uint32_t>(data->tag) == quickToolBar->getTargetId())
            quickToolBar->setVisible(false);
        return true;
    case 2026:
        if (quickToolBar) {
            showDicomMenu(true);
            if (Node* menu = getChildByName(viewingMenus::name(viewingMenus::kDicom)))
                menu->setPosition(quickToolBar->getPosition() + Vec2(quickToolBar->getContentSize().width - 200, 30));
        }
        return true;
    default:
        return false;
    }
}
