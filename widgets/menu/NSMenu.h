#pragma once
// The toolkit's pop-up list menu: a layer with a table of entries (icon and title); touching
// an entry hides the menu and posts the entry's notification.

#include <cstdint>
#include <string>

#include "2d/Layer.h"
#include "base/UIControlBase.h"
#include "json/UIJson.h"
#include "lang/UILocalConfig.h"
#include "table/NSTableViewDelegate.h"

namespace NSUI {

class NSListView;

class NSMenu : public cocos2d::Layer,
               public NSTableViewDelegate,
               public UIJson,
               public UIControlBase,
               public UILocalConfig {
public:
    /// One entry of a chain that the screen builds; the menu's rows retain the entries.
    class menuObject : public cocos2d::Ref {
    public:
        menuObject() = default;
        std::string title;
        std::string iconFile; // empty: no icon
        std::string text;     // the posted notification's text
        cocos2d::Ref* object = nullptr;
        unsigned int notificationId = 0;
        int64_t value = 0;
        menuObject* next = nullptr;
    };

    static constexpr int kIconTag = 100;
    static constexpr int kLabelTag = 101;

    static NSMenu* create();
    bool init() override;

    /// Sizes the menu from the chain and lists its entries; a null chain does nothing.
    void showMenu(menuObject* firstEntry);
    NSListView* getListView() const { return listView; }

    cocos2d::Size tableCellSizeForIndex(NSTableView* table, int64_t index, cocos2d::Ref* rowItem) override;
    NSTableViewCell* tableCellAtIndex(NSTableView* table, int64_t index, const cocos2d::Size& size) override;
    void tableCellTouched(NSTableView* table, NSTableViewCell* cell, const cocos2d::Vec2& point) override;

    NSListView* listView = nullptr;
    int iconWidth = 0;
    float rowHeight = 40.0f;
    float fontSize = 20.0f;

protected:
    NSMenu() = default;
    ~NSMenu() override;
};

} // namespace NSUI
