#include "menus/viewingMenus.h"

#include <algorithm>
#include <cmath>

#include "AppConfig.h"
#include "menu/NSMenu.h"
#include "scroll/UIScrollViewBase.h"
#include "menus/viewingCommands.h"

using namespace cocos2d;
using NSUI::NSMenu;
using namespace viewingCommands;

namespace {

struct Entry {
    std::string title;
    std::string icon;
    std::string text;
    unsigned int id;
    Ref* object;
};

std::vector<Entry> entriesOf(viewingMenus::Kind kind, const viewingMenus::Targets& t,
                             const std::vector<WindowPreset>& presets)
{
    AppConfig* config = AppConfig::getInstance();
    Ref* view = t.multiView;
    switch (kind) {
    case viewingMenus::kWindow: {
        std::vector<Entry> list = {{config->getText("tool_ww_Input"), "", "", kOpenWindowEditor, view},
                                   {config->getText("tool_ww_ByMouse"), "", "", kWindowByDrag, view},
                                   {config->getText("tool_ww_Default"), "", "", kDefaultWindow, view}};
        for (const WindowPreset& preset : presets)
            list.push_back({preset.name, "", preset.payload(), kSetWindow, view});
        return list;
    }
    case viewingMenus::kClut:
        return {{"", "imgs/bwInverse.png", "bwInverse.plist", kColorTable, view},
                {"", "imgs/hotMetal.png", "HotMetal.plist", kColorTable, view},
                {"", "imgs/geColor.png", "GEcolor.plist", kColorTable, view},
                {"", "imgs/perfusion.png", "Perfusion.plist", kColorTable, view},
                {"", "imgs/noClut.png", "noClut.plist", kColorTable, view}};
    case viewingMenus::kOpacity:
        return {{"", "imgs/Linear.png", "", kCurveLinear, view},
                {"", "imgs/Log10.png", "", kCurveLog, view},
                {"", "imgs/Log10Inv.png", "", kCurveLogInverse, view}};
    case viewingMenus::kCapture:
        return {{"Whole Screen", "", "", kCaptureScreen, t.screen},
                {"All Image", "", "", kCaptureImages, t.screen},
                {"Current View", "", "", kCaptureView, t.screen}};
    case viewingMenus::kDicom:
        return {{"Hide Private Info", "", "", kHidePrivateInfo, nullptr},
                {"Show Full Info", "", "", kShowFullInfo, nullptr},
                {"Dicom Meta Info", "", "", kTagList, t.screen}};
    }
    return {};
}

} // namespace

const char* viewingMenus::name(Kind kind)
{
    switch (kind) {
    case kWindow: return "windowLevelMenu";
    case kClut: return "clutMenu";
    case kOpacity: return "opacityMenu";
    case kCapture: return "captureMenu";
    case kDicom: return "dcmMenu";
    }
    return "";
}

float viewingMenus::screenRowHeight(Kind kind)
{
    return kind == kClut || kind == kOpacity ? 60.0f : 0.0f;
}

NSMenu* viewingMenus::show(Node* parent, Kind kind, bool show, const Targets& targets,
                           const std::vector<WindowPreset>& presets, float rowHeight)
{
    if (!parent)
        return nullptr;
    auto* menu = dynamic_cast<NSMenu*>(parent->getChildByName(name(kind)));
    if (!show) {
        if (menu)
            menu->setVisible(false);
        return menu;
    }
    if (!menu) {
        menu = NSMenu::create();
        if (!menu)
            return nullptr;
        if (rowHeight > 0.0f)
            menu->rowHeight = rowHeight;
        // The rows retain the entries; the chain only orders them.
        NSMenu::menuObject* first = nullptr;
        NSMenu::menuObject* last = nullptr;
        for (const Entry& e : entriesOf(kind, targets, presets)) {
            auto* entry = new NSMenu::menuObject();
            entry->autorelease();
            entry->title = e.title;
            entry->iconFile = e.icon;
            entry->text = e.text;
            entry->notificationId = e.id;
            entry->object = e.object;
            (last ? last->next : first) = entry;
            last = entry;
        }
        menu->setAnchorPoint(Vec2::ZERO);
        menu->setName(name(kind));
        parent->addChild(menu, 200);
        menu->showMenu(first);
    }
    menu->setVisible(true);
    return menu;
}

Vec2 viewingMenus::placeFromButton(Kind kind, const Vec2& button, int toolKind, NSUI::UIScrollViewBase* panel,
                                   float listHeight)
{
    Vec2 p = button;
    switch (kind) {
    case kCapture: p = Vec2(button.x - 100.0f, button.y + 20.0f); break;
    case kWindow: p = Vec2(20.0f, toolKind == 1 ? button.y + 20.0f : button.y - 100.0f); break;
    case kClut:
    case kOpacity: p = Vec2(button.x, button.y + 20.0f); break;
    case kDicom: break;
    }
    if (panel) {
        const float inner = panel->getInnerContainerSize().height;
        const float outer = panel->getContentSize().height;
        if (inner > outer) {
            const int overflow = static_cast<int>(inner - outer);
            const int scrolled = panel->getInnerContainer()
                                     ? static_cast<int>(panel->getInnerContainer()->getPositionY())
                                     : 0;
            p.y -= static_cast<float>(std::min(static_cast<int>(listHeight), scrolled + overflow));
        }
    }
    return p;
}

Vec2 viewingMenus::keepInside(const Vec2& at, const Size& size, const Size& area)
{
    Vec2 p = at;
    p.x = std::max(0.0f, std::min(p.x, area.width - size.width));
    p.y = std::min(area.height - size.height, std::max(p.y, 0.0f));
    return p;
}
