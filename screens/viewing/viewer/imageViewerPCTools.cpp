#include "viewer/imageViewerPC.h"

#include "KeyViewProperty.h"
#include "cache/isBinReader.h"
#include "data/isImageData.h"
#include "data/isSliceInfo.h"
#include "isViewerMulti.h"
#include "lang/UILocalConfig.h"
#include "menus/viewingMenus.h"
#include "notify/NSNotificationData.h"
#include "object/isSharedObjects.h"
#include "scroll/UIScrollViewBase.h"
#include "tools/editWW.h"
#include "tools/quickTool.h"
#include "tools/rightClickOpener.h"
#include "tools/toolDisk.h"
#include "ui/CocosGUI.h"
#include "menu/NSMenu.h"
#include "table/NSListView.h"

// The screen's pop-up menus, its quick tool bar, its window editor and its radial tool menu.

using namespace cocos2d;

namespace {
}

bool imageViewerPC::isOwnView(Ref* object) const
{
    for (auto* node = dynamic_cast<Node*>(object); node; node = node->getParent())
        if (node == this)
            return true;
    return false;
}

// ---- Menus ---------------------------------------------------------------------------------

NSUI::NSMenu* imageViewerPC::showMenu(int kind, bool show)
{
    auto menuKind = static_cast<viewingMenus::Kind>(kind);
    // The tool panel's menus need a tool panel, but they live on the screen itself, above the
    // views: inside the panel its clipping would cut off whatever reaches past the panel.
    if (show && menuKind != viewingMenus::kDicom && !toolPanel)
        return nullptr;
    Node* parent = this;
    viewingMenus::Targets targets;
    targets.multiView = multiView;
    targets.screen = this;
    return viewingMenus::show(parent, menuKind, show, targets, windowPresets, viewingMenus::screenRowHeight(menuKind));
}

void imageViewerPC::showWindowMenu(bool show)
{
    showMenu(viewingMenus::kWindow, show);
}

void imageViewerPC::showClutMenu(bool show)
{
    showMenu(viewingMenus::kClut, show);
}

void imageViewerPC::showOpacityMenu(bool show)
{
    showMenu(viewingMenus::kOpacity, show);
}

void imageViewerPC::showCaptureMenu(bool show)
{
    showMenu(viewingMenus::kCapture, show);
}

void imageViewerPC::showDicomMenu(bool show)
{
    showMenu(viewingMenus::kDicom, show);
}

void imageViewerPC::openMenuAtButton(int kind, Node* button)
{
    NSUI::NSMenu* menu = showMenu(kind, true);
    if (!menu || !button)
        return;
    auto menuKind = static_cast<viewingMenus::Kind>(kind);
    // The button's place in the tool panel's coordinates, where the menu lives.
    Vec2 at = button->getParent() ? button->getParent()->convertToWorldSpace(button->getPosition())
                                  : button->getPosition();
    at = toolPanel->convertToNodeSpace(at);
    const Size list = menu->getListView() ? menu->getListView()->getContentSize() : Size::ZERO;
    Vec2 place = viewingMenus::placeFromButton(menuKind, at, toolKind, toolPanel, list.height);
    place = viewingMenus::keepInside(toolPanel->convertToWorldSpace(place), list,
                                     Director::getInstance()->getWinSize());
    menu->setPosition(convertToNodeSpace(place));
}

void imageViewerPC::buildWindowPresets()
{
    if (seriesFolder.empty())
        return;
    windowPresets.clear();
    auto* reader = dynamic_cast<isImageSDK::isBinReader*>(
        isImageSDK::isSharedObjects::getInstance()->getObjectByName(seriesFolder));
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
    return toolDisk::under(this, multiView, windowPresets);
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
        auto* reader = dynamic_cast<isImageSDK::isBinReader*>(
            isImageSDK::isSharedObjects::getInstance()->getObjectByName(seriesFolder));
        if (!disk || !reader)
            return;
        if (reader->isAllLoaded()) {
            disk->showViewTypePage();
            disk->show();
        } else {
            showMessageBox(NSUI::UILocalConfig::getLanguageString("imageDataLoading"), 1.5f);
        }
    } else if (name == "wwwl" || name == "roi") {
        if (toolDisk* disk = getToolDisk()) {
            name == "wwwl" ? disk->showImagePage() : disk->showRoiPage();
            disk->show();
        }
    }
}

void imageViewerPC::hideToolDisk()
{
    toolDisk::hideUnder(this);
}

// ---- Quick tool bar and window editor ------------------------------------------------------

bool imageViewerPC::onToolNotification(Ref* sender, unsigned int id, NSUI::NSNotificationData* data)
{
    switch (id) {
    case quickTool::kInfoId:
        if (quickToolBar) {
            showDicomMenu(true);
            if (Node* menu = getChildByName(viewingMenus::name(viewingMenus::kDicom)))
                menu->setPosition(quickToolBar->getPosition() +
                                  Vec2(quickToolBar->getContentSize().width - 200, 30));
        }
        return true;
    case 9099:
        if (quickToolBar && data && quickToolBar->getTargetId() == static_cast<uint32_t>(data->tag))
            quickToolBar->setVisible(false);
        return true;
    case 9098:
        if (quickToolBar && data && data->object &&
            data->object->getRefID() == quickToolBar->getTargetId())
            quickToolBar->attachTo(dynamic_cast<Node*>(data->object));
        return true;
    case 9097:
        // A touch on a view of another screen (the favourites viewer over this one) is not ours.
        if (data && data->object && !isOwnView(data->object))
            return true;
        if (!quickToolBar) {
            quickToolBar = quickTool::create();
            if (!quickToolBar)
                return true;
            quickToolBar->buildButtons();
            const Size size = getContentSize();
            quickToolBar->setViewRect(Rect(static_cast<float>(toolWidth), 0, size.width - toolWidth, size.height));
            addChild(quickToolBar);
        }
        if (data && data->object)
            quickToolBar->attachTo(dynamic_cast<Node*>(data->object));
        return true;
    case editWW::kWindowSetId:
        // Only the values of the editor this screen opened.
        if (multiView && data && editorOpener.accept(sender)) {
            float width = NSUI::UIJson::getJsonFloat(data->text, "ww", 0.0f);
            float level = NSUI::UIJson::getJsonFloat(data->text, "wl", 0.0f);
            multiView->setWindowLevel(width, level);
        }
        return true;
    case 9023:
        if (editWW* editor = editorOpener.open(this)) {
            float width = 0.0f, level = 0.0f;
            if (multiView && multiView->getKeyView() && multiView->getWindowLevel(width, level))
                editor->setWindow(width, level);
        }
        return true;
    default:
        return false;
    }
}
