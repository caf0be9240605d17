#pragma once
// What the tag list and the finder share: a modal panel with a back button and one table of
// tag rows (tag, description, value), built from a layout with a placeholder for the table.

#include "cocos2d.h"
#include "base/UIControlGenerater.h"
#include "json/UIJson.h"
#include "table/NSTableViewDelegate.h"

#include <string>

namespace NSUI {
class NSListView;
}

class dcmTagPanel : public cocos2d::Node,
                    public NSUI::NSTableViewDelegate,
                    public NSUI::UIJson,
                    public NSUI::UIControlGenerater {
public:
    /// Localises the layout, puts the table in place of the placeholder and wires "btn_back";
    /// run once, after init.
    void setupLayout();

    void cleanup() override;
    /// Closes the panel (its window when it has one).
    bool onResponseReturn() override;
    void onButtonClicked(cocos2d::Ref* sender);

    cocos2d::Size tableCellSizeForIndex(NSUI::NSTableView* table, int64_t index, cocos2d::Ref* rowItem) override;
    NSUI::NSTableViewCell* tableCellAtIndex(NSUI::NSTableView* table, int64_t index,
                                            const cocos2d::Size& size) override;

    NSUI::NSListView* getTable() const { return _table; }
    cocos2d::Node* getLayout() const { return _layout; }

protected:
    dcmTagPanel() = default;
    /// The engine node's init, then loads the layout (a missing one still succeeds).
    bool initWithLayout(const std::string& layoutFile, const std::string& placeholder);
    /// Wraps an initialised panel into its modal window.
    static cocos2d::Node* present(dcmTagPanel* panel);
    /// Puts an initialised panel below the title bar of a new scene (autoreleased) for the
    /// caller to push; the bar's back button and the return key pop it.
    static cocos2d::Scene* presentInScene(dcmTagPanel* panel);

    NSUI::NSListView* _table = nullptr;
    cocos2d::Node* _layout = nullptr;
    std::string _placeholder;
    bool _firstEnter = true;
};
