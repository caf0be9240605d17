#include "table/NSListView.h"

#include "2d/actions/ActionCreate.h"

namespace NSUI {

using cocos2d::finishCreate;

NSListView* NSListView::create() {
    auto* list = new (std::nothrow) NSListView();
    return finishCreate(list, list && list->init());
}

bool NSListView::init() {
    if (!NSTableView::init())
        return false;
    setFillOrder(kTopDown);
    return true;
}

void NSListView::removeItem(cocos2d::Ref* rowItem) {
    ssize_t index = rows.getIndex(rowItem);
    if (index >= 0)
        removeCellAtIndex(index);
}

} // namespace NSUI
