#pragma once
// The data source and event interface of a table view, implemented by the screens: row sizes
// and cells, touches, highlights, recycling, scrolling and the swipe menus' contents.

#include <cstdint>

#include "cocos2d.h"

namespace NSUI {

class NSTableView;
class NSTableViewCell;
class NSTableViewMenu;

class NSTableViewDelegate {
public:
    static constexpr int kHighlightTag = 10000;

    virtual ~NSTableViewDelegate() = default;

    virtual void tableCellTouched(NSTableView* table, NSTableViewCell* cell, const cocos2d::Vec2& point);
    /// Default: a layer of highlightColor behind the row's content (when highlightEnabled).
    virtual void tableCellHighlight(NSTableView* table, NSTableViewCell* cell, const cocos2d::Vec2& point,
                                    const cocos2d::Size& size);
    virtual void tableCellUnhighlight(NSTableView* table, NSTableViewCell* cell, const cocos2d::Vec2& point,
                                      const cocos2d::Size& size);
    virtual void tableCellWillRecycle(NSTableView* table, NSTableViewCell* cell);
    virtual void tableVisibleRangeChanged(int first, int last);
    virtual void tableCellScrolledOut(int64_t index);
    virtual void tableScrolled(NSTableView* table);
    /// Default: hides the menu, so that no menu opens.
    virtual void tableFillLeftMenu(NSTableView* table, NSTableViewMenu* menu);
    virtual void tableFillRightMenu(NSTableView* table, NSTableViewMenu* menu);
    virtual cocos2d::Size tableCellSizeForIndex(NSTableView* table, int64_t index, cocos2d::Ref* rowItem) = 0;
    /// The row's cell of the given size: the table's cellAtIndex, else dequeueCell, else new.
    virtual NSTableViewCell* tableCellAtIndex(NSTableView* table, int64_t index,
                                              const cocos2d::Size& size) = 0;

    // Visible by default: a screen that only switches the highlight on still sees its rows marked.
    cocos2d::Color4B highlightColor = cocos2d::Color4B(255, 255, 0, 55);
    bool highlightEnabled = false;
};

} // namespace NSUI
