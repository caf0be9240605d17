#pragma once
// The pop-up menus of the viewing screens (window, colour table, opacity curve, capture and
// DICOM information): their entries, their creation on first show and their placement next to
// the tool button that opened them.

#include <string>
#include <vector>

#include "cocos2d.h"
#include "presets/WindowPreset.h"

namespace NSUI {
class NSMenu;
class UIScrollViewBase;
} // namespace NSUI

class viewingMenus {
public:
    enum Kind { kWindow = 0, kClut, kOpacity, kCapture, kDicom };

    /// What the entries post to: the multi-viewport container for the viewer commands, the
    /// screen for the captures and the tag list.
    struct Targets {
        cocos2d::Ref* multiView = nullptr;
        cocos2d::Ref* screen = nullptr;
    };

    /// The menu's node name ("windowLevelMenu", "clutMenu", "opacityMenu", "captureMenu", "dcmMenu").
    static const char* name(Kind kind);
    /// With show false hides the menu under parent when it exists and returns it (or null).
    /// With show true creates it when missing (anchor bottom-left, z-order 200, named, its
    /// entries fixed from now on) and makes it visible. rowHeight 0 keeps the menu's default.
    static NSUI::NSMenu* show(cocos2d::Node* parent, Kind kind, bool show, const Targets& targets,
                              const std::vector<WindowPreset>& presets, float rowHeight = 0.0f);
    /// The row height the viewing screen gives each menu (0: the menu's default).
    static float screenRowHeight(Kind kind);

    /// Where a menu opened from a tool button at button (tool panel coordinates) goes: the offset
    /// of its kind, then lowered to stay inside a tool panel whose content overflows it.
    /// toolKind: 0 2D, 1 MPR, 2 volume; listHeight: the height of the menu's list.
    static cocos2d::Vec2 placeFromButton(Kind kind, const cocos2d::Vec2& button, int toolKind,
                                         NSUI::UIScrollViewBase* panel, float listHeight);
    /// The bottom-left corner nearest to at that keeps a menu of the given size inside area
    /// (a rectangle from the origin); a menu larger than area keeps its top-left corner inside.
    static cocos2d::Vec2 keepInside(const cocos2d::Vec2& at, const cocos2d::Size& size, const cocos2d::Size& area);
};
