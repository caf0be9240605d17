#pragma once
// The table view that screens create: rows ordered from the top down.

#include "table/NSTableView.h"

namespace NSUI {

class NSListView : public NSTableView {
public:
    static NSListView* create();
    bool init() override;

    void insertItem(int64_t index, cocos2d::Ref* rowItem) { insertCellAtIndex(index, rowItem); }
    /// Removes the row of that item; nothing when it is not in the list.
    void removeItem(cocos2d::Ref* rowItem);

protected:
    NSListView() = default;
};

} // namespace NSUI
