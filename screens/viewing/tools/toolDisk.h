#pragma once
// The radial tool menu: a disk in the middle of the viewing screen whose items, on a circle,
// post the viewer commands of the tool panel (window, presets, opacity curves, colour tables,
// layouts, view types, measurements); touching an item posts its command and spins the disk away.

#include <string>
#include <vector>

#include "cocos2d.h"
#include "json/UIJson.h"
#include "lang/UILocalConfig.h"
#include "presets/WindowPreset.h"

class toolDisk : public cocos2d::Layer, public NSUI::UIJson, public NSUI::UILocalConfig {
public:
    enum Page : uint32_t {
        kNoPage = 0,
        kImagePage = 1,
        kClutPage = 4,
        kLayoutPage = 6,
        kRoiPage = 7,
        kViewTypePage = 8,
        kPresetPage = 9,
        kOpacityPage = 10,
    };

    static constexpr const char* kName = "toolDisk";

    static toolDisk* create();
    /// The disk named kName under parent, created hidden on first use; aimed at target and
    /// given the presets when it has none yet. Null when it cannot be made.
    static toolDisk* under(cocos2d::Node* parent, cocos2d::Ref* target, const std::vector<WindowPreset>& presets);
    /// Spins the disk under parent away when it shows.
    static void hideUnder(cocos2d::Node* parent);
    bool init() override;
    void cleanup() override;
    bool onTouchBegan(cocos2d::Touch* touch, cocos2d::Event* event) override;
    void onTouchEnded(cocos2d::Touch* touch, cocos2d::Event* event) override;

    void addPreset(const std::string& name, float level, float width);
    const std::vector<WindowPreset>& getPresets() const { return presets; }
    void setTarget(cocos2d::Ref* object) { target = object; }
    cocos2d::Ref* getTarget() const { return target; }
    uint32_t getPage() const { return page; }

    void show();
    void hide();

    void showImagePage();
    void showPresetPage();
    void showOpacityPage();
    void showClutPage();
    void showLayoutPage();
    void showRoiPage();
    void showViewTypePage();

    /// The items of the current page, in circle order.
    const std::vector<cocos2d::Node*>& getItems() const { return items; }
    /// Places the current page's items on the circle around the page's centre.
    void arrangeItems();

    static constexpr const char* kDetailName = "toolDiskDetail";

protected:
    toolDisk() = default;
    ~toolDisk() override;

private:
    /// Replaces the page node unless the page is already shown; false when nothing changed.
    bool switchPage(uint32_t newPage, const std::string& layoutFile, bool emptied);
    void addLabelItems(const std::vector<std::string>& names, bool withPrefix);
    void collectItems(const std::vector<std::string>& names);
    void addReturnSprite();
    /// Performs the item's action; false when the name is not an item of the page. The name is a
    /// copy: a page switch frees the touched item.
    bool perform(std::string item);

    std::vector<WindowPreset> presets;
    uint32_t page = kNoPage;
    cocos2d::Ref* target = nullptr; // the multi-view, object of every post (not retained)
    float fontSize = 18.0f;
    bool leaving = false; // the spin-away animation runs
    std::vector<cocos2d::Node*> items; // children of the page node
};
