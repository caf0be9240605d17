#include "table/NSListView.h"

namespace NSUI {

NSListView* NSListView::create()
{
    auto* list = new (std::nothrow) NSListView();
    if (list && list->init()) {
        list->autorelease();
        return list;
    }
    if (list)
        list->release();
    return nullptr;
}

bool NSListView::init()
{
    if (!NSTableView::init())
        return false;
    setFillOrder(kTopDown);
    return true;
}

void NSListView::removeItem(cocos2d::Ref* rowItem)
{
    ssize_t index = rows.getIndex(rowItem);
    if (index >= 0)
        removeCellAtIndex(index);
}

} // namespace NSUI
