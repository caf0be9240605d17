#include "table/NSTableViewDelegate.h"

#include "2d/LayerColor.h"
#include "table/NSTableViewCell.h"
#include "table/NSTableViewMenu.h"

namespace NSUI {

using namespace cocos2d;

void NSTableViewDelegate::tableCellTouched(NSTableView*, NSTableViewCell*, const Vec2&) {}

void NSTableViewDelegate::tableCellHighlight(NSTableView*, NSTableViewCell* cell, const Vec2&,
                                             const Size& size) {
    if (!highlightEnabled || !cell || cell->getChildByTag(kHighlightTag))
        return;
    LayerColor* layer = LayerColor::create(highlightColor, size.width, size.height);
    layer->setAnchorPoint(Vec2::ZERO);
    layer->setPosition(Vec2::ZERO);
    cell->addChild(layer, -100, kHighlightTag);
}

void NSTableViewDelegate::tableCellUnhighlight(NSTableView*, NSTableViewCell* cell, const Vec2&,
                                               const Size&) {
    if (!highlightEnabled || !cell)
        return;
    if (Node* layer = cell->getChildByTag(kHighlightTag))
        cell->removeChild(layer, true);
}

void NSTableViewDelegate::tableCellWillRecycle(NSTableView*, NSTableViewCell*) {}
void NSTableViewDelegate::tableVisibleRangeChanged(int, int) {}
void NSTableViewDelegate::tableCellScrolledOut(int64_t) {}
void NSTableViewDelegate::tableScrolled(NSTableView*) {}

void NSTableViewDelegate::tableFillLeftMenu(NSTableView*, NSTableViewMenu* menu) {
    if (menu)
        menu->setVisible(false);
}

void NSTableViewDelegate::tableFillRightMenu(NSTableView*, NSTableViewMenu* menu) {
    if (menu)
        menu->setVisible(false);
}

} // namespace NSUI
