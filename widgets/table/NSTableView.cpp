#include "table/NSTableView.h"

#include "2d/actions/ActionCreate.h"

#include <algorithm>
#include <cmath>

#include "2d/LayerColor.h"
#include "2d/actions/CallFunc.h"
#include "2d/actions/MoveTo.h"
#include "2d/actions/Sequence.h"
#include "base/Touch.h"
#include "table/NSTableViewCell.h"
#include "table/NSTableViewDelegate.h"
#include "table/NSTableViewMenu.h"

namespace NSUI {

using namespace cocos2d;

namespace {
const float kVerticalMoveLimit = 5.0f;

void removeNamedChild(Node* node, const char* name) {
    if (Node* child = node->getChildByName(name))
        node->removeChild(child, true);
}

void removeMenus(Node* cell) {
    removeNamedChild(cell, NSTableView::kLeftMenuName);
    removeNamedChild(cell, NSTableView::kRightMenuName);
}
} // namespace

NSTableView* NSTableView::create() {
    auto* table = new (std::nothrow) NSTableView();
    return finishCreate(table, table && table->init());
}

NSTableView::~NSTableView() {
    for (NSTableViewCell* cell : cellsUsed)
        cell->release();
    for (NSTableViewCell* cell : cellsFreed)
        cell->release();
    cellsUsed.clear();
    cellsFreed.clear();
    rows.clear();
}

bool NSTableView::init() {
    if (!UIScrollViewBase::init())
        return false;
    initWithViewSize(Size::ZERO);
    setDirection(kDirVertical);
    return true;
}

bool NSTableView::initWithViewSize(const Size& size) {
    UIScrollViewBase::setContentSize(size);
    usedIndices.clear();
    fillOrder = kBottomUp;
    setDirection(kDirVertical);
    if (!innerContainer->getChildByName(kBackgroundName)) {
        LayerColor* background = LayerColor::create(Color4B(0, 0, 0, 255), size.width, size.height);
        background->setAnchorPoint(Vec2::ZERO);
        background->setIgnoreAnchorPointForPosition(false);
        background->setScale(1.2f);
        background->setPosition(Vec2::ZERO);
        background->setOpacity(0);
        innerContainer->addChild(background, -100, kBackgroundName);
    }
    return true;
}

void NSTableView::setFillOrder(int order) {
    if (fillOrder == order)
        return;
    fillOrder = order;
    if (!cellsUsed.empty())
        reloadData();
}

void NSTableView::setContentSize(const Size& size) {
    if (size.equals(getContentSize()))
        return;
    updating = true;
    UIScrollViewBase::setContentSize(size);
    updateContentSize();
    resetOffsetToStart();
    if (Node* background = innerContainer ? innerContainer->getChildByName(kBackgroundName) : nullptr)
        background->setContentSize(size);
    updating = false;
    if (rowCount > 0)
        onScrolled();
}

Size NSTableView::rowSize(int64_t index) {
    // A table without a delegate has rows of no size rather than a crash.
    if (!delegate || index < 0 || index >= rows.size())
        return Size::ZERO;
    return delegate->tableCellSizeForIndex(this, index, rows.at(index));
}

float NSTableView::rowLength(int64_t index) const {
    if (index < 0 || index + 1 >= static_cast<int64_t>(cellPositions.size()))
        return 0.0f;
    return cellPositions[index + 1] - cellPositions[index];
}

void NSTableView::updateCellPositions() {
    cellPositions.assign(static_cast<size_t>(rowCount) + 1, 0.0f);
    float position = 0.0f;
    for (int64_t i = 0; i < rowCount; ++i) {
        Size size = rowSize(i);
        cellPositions[i] = position;
        position += isVertical() ? size.height : size.width;
        if (NSTableViewCell* cell = cellAtIndex(i))
            cell->setCellSize(size);
    }
    cellPositions[rowCount] = position;
}

void NSTableView::updateContentSize() {
    if (!innerContainer)
        return;
    const Size& view = getContentSize();
    float total = cellPositions.empty() ? 0.0f : cellPositions.back();
    Size inner = isVertical() ? Size(view.width, std::max(total, view.height))
                              : Size(std::max(total, view.width), view.height);
    innerContainer->setContentSize(inner);
    if (laidOutDirection != direction) {
        resetOffsetToStart();
        laidOutDirection = direction;
    }
    repositionUsedCells();
}

void NSTableView::resetOffsetToStart() {
    if (!innerContainer)
        return;
    if (isVertical())
        innerContainer->setPosition(
            Vec2(0.0f, getContentSize().height - innerContainer->getContentSize().height));
    else
        innerContainer->setPosition(Vec2::ZERO);
}

Vec2 NSTableView::cellPositionForIndex(int64_t index) const {
    if (index < 0 || index >= rowCount || cellPositions.empty())
        return Vec2::ZERO;
    float start = cellPositions[index];
    if (!isVertical())
        return Vec2(start, 0.0f);
    if (fillOrder == kTopDown)
        return Vec2(0.0f, innerContainer->getContentSize().height - start - rowLength(index));
    return Vec2(0.0f, start);
}

void NSTableView::repositionUsedCells() {
    for (NSTableViewCell* cell : cellsUsed)
        cell->setPosition(cellPositionForIndex(cell->getIdx()));
}

int64_t NSTableView::indexFromOffset(const Vec2& point) const {
    bool vertical = isVertical();
    double v = vertical ? point.y : point.x;
    if (vertical && fillOrder == kTopDown)
        v = static_cast<double>(innerContainer->getContentSize().height) - v;
    return indexAlongAxis(v);
}

int64_t NSTableView::indexAlongAxis(double v) const {
    if (rowCount <= 0 || cellPositions.empty())
        return kInvalidIndex;
    bool vertical = isVertical();
    bool topDown = vertical && fillOrder == kTopDown;
    // The border between two rows belongs to the upper row of a top-down table. Computed in
    // double: near half a million points a float cannot hold the border's small margin.
    double a = topDown ? 0.0001 : 0.0;
    double b = (!vertical || fillOrder == kBottomUp) ? -0.0001 : 0.0;
    if (v < cellPositions[0] + a)
        return 0;
    if (v > cellPositions[rowCount] + b)
        return kInvalidIndex;
    int64_t lo = 0;
    int64_t hi = rowCount - 1;
    while (lo <= hi) {
        int64_t mid = lo + (hi - lo) / 2;
        if (v < cellPositions[mid] + a)
            hi = mid - 1;
        else if (v > cellPositions[mid + 1] + b)
            lo = mid + 1;
        else
            return mid;
    }
    return std::min(std::max<int64_t>(lo, 0), rowCount - 1);
}

NSTableViewCell* NSTableView::cellAtIndex(int64_t index) const {
    if (index < 0 || !usedIndices.count(index))
        return nullptr;
    for (NSTableViewCell* cell : cellsUsed)
        if (cell->getIdx() == index)
            return cell;
    return nullptr;
}

NSTableViewCell* NSTableView::dequeueCell() {
    if (cellsFreed.empty())
        return nullptr;
    NSTableViewCell* cell = cellsFreed.front();
    cellsFreed.erase(cellsFreed.begin());
    cell->autorelease();
    return cell;
}

void NSTableView::clearSwipeState() {
    swipeCell = nullptr;
    leftMenuOpen = false;
    rightMenuOpen = false;
}

void NSTableView::recycleCell(NSTableViewCell* cell, bool reportScrolledOut) {
    int64_t index = cell->getIdx();
    if (delegate)
        delegate->tableCellWillRecycle(this, cell);
    cell->stopAllActions();
    if (cell == swipeCell) {
        // The cell will show another row: no menu and no offset may come with it.
        removeMenus(cell);
        cell->setPositionX(0.0f);
        clearSwipeState();
    }
    if (cell == touchedCell)
        touchedCell = nullptr;
    cellsFreed.push_back(cell); // takes over the reference cellsUsed held
    cellsUsed.erase(std::remove(cellsUsed.begin(), cellsUsed.end(), cell), cellsUsed.end());
    cellsUnsorted = true;
    usedIndices.erase(index);
    cell->setIdx(NSTableViewCell::kInvalidIndex);
    if (cell->getParent() == innerContainer)
        innerContainer->removeChild(cell, false);
    if (reportScrolledOut && delegate)
        delegate->tableCellScrolledOut(index);
}

void NSTableView::recycleAllCells() {
    while (!cellsUsed.empty())
        recycleCell(cellsUsed.back(), false);
    usedIndices.clear();
}

void NSTableView::reloadData() {
    updating = true;
    recycleAllCells();
    laidOutDirection = 0;
    rowCount = rows.size();
    firstVisible = 0;
    updateCellPositions();
    updateContentSize();
    updating = false;
    if (rowCount > 0)
        onScrolled();
}

void NSTableView::updateCellAtIndex(int64_t index) {
    if (index < 0 || index >= rowCount || index < firstVisible || index > lastVisible)
        return;
    Size size = rowSize(index);
    NSTableViewCell* cell = cellAtIndex(index);
    if (cell)
        cell->setCellSize(size);
    float delta = (isVertical() ? size.height : size.width) - rowLength(index);
    updating = true;
    for (size_t i = static_cast<size_t>(index) + 1; i < cellPositions.size(); ++i)
        cellPositions[i] += delta;
    if (cell && delegate) {
        NSTableViewCell* again = delegate->tableCellAtIndex(this, index, size);
        if (again)
            again->setCellSize(size);
    }
    float offsetY = innerContainer->getPositionY();
    updateContentSize();
    if (isVertical() && fillOrder == kTopDown)
        offsetY -= delta;
    updating = false;
    setContentOffset(Vec2(innerContainer->getPositionX(), offsetY));
    repositionUsedCells();
}

void NSTableView::renumberCells(int64_t from, int delta) {
    std::set<int64_t> renumbered;
    for (int64_t index : usedIndices)
        renumbered.insert(index >= from ? index + delta : index);
    usedIndices.swap(renumbered);
    for (NSTableViewCell* cell : cellsUsed)
        if (cell->getIdx() >= from)
            cell->setIdx(cell->getIdx() + delta);
}

void NSTableView::insertCellAtIndex(int64_t index, Ref* rowItem) {
    if (!rowItem)
        return;
    if (index < 0 || index > rowCount)
        index = rowCount;
    updating = true;
    sortUsedCells();
    int64_t lastUsed = cellsUsed.empty() ? kInvalidIndex : cellsUsed.back()->getIdx();
    bool hadCell = usedIndices.count(index) != 0;
    rows.insert(index, rowItem);
    ++rowCount;
    renumberCells(index, 1);
    Size size = rowSize(index);
    float length = isVertical() ? size.height : size.width;
    cellPositions.insert(cellPositions.begin() + index, cellPositions.empty() ? 0.0f : cellPositions[index]);
    if (cellPositions.size() < static_cast<size_t>(rowCount) + 1)
        cellPositions.push_back(0.0f);
    for (size_t i = static_cast<size_t>(index) + 1; i < cellPositions.size(); ++i)
        cellPositions[i] += length;

    float correction;
    bool afterLast = index > lastUsed;
    if (isVertical() && fillOrder == kTopDown)
        correction = (!afterLast && !hadCell && lastUsed != kInvalidIndex) ? 0.0f : length;
    else
        correction = (afterLast || hadCell) ? 0.0f : length;
    Vec2 offset = innerContainer->getPosition();
    updateContentSize();
    if (isVertical())
        offset.y -= correction;
    else
        offset.x -= correction;
    updating = false;
    setContentOffset(offset);
    repositionUsedCells();
}

void NSTableView::removeCellAtIndex(int64_t index) {
    if (index < 0 || index >= rowCount)
        return;
    updating = true;
    sortUsedCells();
    int64_t lastUsed = cellsUsed.empty() ? kInvalidIndex : cellsUsed.back()->getIdx();
    float length = rowLength(index);
    rows.erase(index);
    for (size_t i = static_cast<size_t>(index) + 1; i < cellPositions.size(); ++i)
        cellPositions[i] -= length;
    cellPositions.erase(cellPositions.begin() + index);
    --rowCount;
    bool hadCell = false;
    if (NSTableViewCell* cell = cellAtIndex(index)) {
        hadCell = true;
        recycleCell(cell, true);
    }
    renumberCells(index + 1, -1);

    bool topDown = isVertical() && fillOrder == kTopDown;
    float d;
    if (index > lastUsed)
        d = topDown ? length : 0.0f;
    else if (hadCell)
        d = 0.0f;
    else
        d = topDown ? 0.0f : -length;
    Vec2 offset = innerContainer->getPosition();
    updateContentSize();
    if (isVertical())
        offset.y += d;
    else
        offset.x -= d;
    updating = false;
    setContentOffset(offset);
    repositionUsedCells();
}

void NSTableView::selectCellAtIndex(int64_t index) {
    NSTableViewCell* cell = cellAtIndex(index);
    touchedCell = cell;
    if (cell && delegate)
        delegate->tableCellHighlight(this, cell, Vec2::ZERO, cell->getCellSize());
}

void NSTableView::sortUsedCells() {
    if (!cellsUnsorted)
        return;
    std::sort(cellsUsed.begin(), cellsUsed.end(),
              [](NSTableViewCell* a, NSTableViewCell* b) { return a->getIdx() < b->getIdx(); });
    cellsUnsorted = false;
}

void NSTableView::placeCell(int64_t index) {
    if (!delegate)
        return;
    float length = rowLength(index);
    Size size = isVertical() ? Size(getContentSize().width, length) : Size(length, getContentSize().height);
    NSTableViewCell* cell = delegate->tableCellAtIndex(this, index, size);
    if (!cell)
        return;
    cell->setCellSize(size);
    cell->setAnchorPoint(Vec2::ZERO);
    cell->setIdx(index);
    cell->setPosition(cellPositionForIndex(index));
    if (usedIndices.count(index))
        return;
    if (cell->getParent() != innerContainer) {
        if (cell->getParent())
            cell->removeFromParentAndCleanup(false);
        innerContainer->addChild(cell);
    }
    // A freed cell the delegate made without dequeueCell must not stay in the free list too.
    auto freed = std::find(cellsFreed.begin(), cellsFreed.end(), cell);
    if (freed != cellsFreed.end())
        cellsFreed.erase(freed);
    else
        cell->retain();
    cellsUsed.push_back(cell);
    usedIndices.insert(index);
    cellsUnsorted = true;
}

void NSTableView::onScrolled() {
    UIScrollViewBase::onScrolled();
    if (updating || !innerContainer || rowCount <= 0)
        return;
    sortUsedCells();
    if (delegate)
        delegate->tableScrolled(this);
    Vec2 origin = -innerContainer->getPosition();
    if (Node* background = innerContainer->getChildByName(kBackgroundName))
        background->setPosition(origin);

    const Size& view = getContentSize();
    float scaleX = innerContainer->getScaleX() != 0.0f ? innerContainer->getScaleX() : 1.0f;
    float scaleY = innerContainer->getScaleY() != 0.0f ? innerContainer->getScaleY() : 1.0f;
    // The visible stretch along the scroll axis, measured from the start of the content.
    bool vertical = isVertical();
    double begin = vertical ? -static_cast<double>(innerContainer->getPositionY())
                            : -static_cast<double>(innerContainer->getPositionX());
    double length = vertical ? view.height / scaleY : view.width / scaleX;
    if (vertical && fillOrder == kTopDown)
        begin = static_cast<double>(innerContainer->getContentSize().height) - (begin + length);
    int64_t first = indexAlongAxis(begin);
    int64_t last = indexAlongAxis(begin + length);
    if (first == kInvalidIndex)
        first = rowCount - 1;
    if (last == kInvalidIndex)
        last = rowCount - 1;

    while (!cellsUsed.empty() && cellsUsed.front()->getIdx() < first)
        recycleCell(cellsUsed.front(), true);
    while (!cellsUsed.empty() && cellsUsed.back()->getIdx() > last)
        recycleCell(cellsUsed.back(), true);
    firstVisible = static_cast<int>(first);
    lastVisible = static_cast<int>(last);

    for (int64_t i = first; i <= last; ++i) {
        if (usedIndices.count(i))
            continue;
        placeCell(i);
        if (NSTableViewCell* cell = cellAtIndex(i))
            removeNamedChild(cell, kTableMenuName);
    }
    if (delegate)
        delegate->tableVisibleRangeChanged(firstVisible, lastVisible);
}

void NSTableView::cleanup() {
    UIScrollViewBase::cleanup();
    recycleAllCells();
    rows.clear();
    rowCount = 0;
    firstVisible = lastVisible = 0;
    updating = true;
    updateCellPositions();
    updateContentSize();
    updating = false;
    for (NSTableViewCell* cell : cellsFreed) {
        cell->stopAllActions();
        cell->cleanup();
        cell->release();
    }
    cellsFreed.clear();
    clearSwipeState();
    touchedCell = nullptr;
}

// --- touches ------------------------------------------------------------------------------

bool NSTableView::onTouchBegan(Touch* touch, Event* event) {
    if (!isAncestorsVisible(this))
        return false;
    bool claimed = UIScrollViewBase::onTouchBegan(touch, event);
    if (!_hitted)
        return claimed;
    movedVertically = false;
    pressedOnRow = false;
    swipeMenuTried = false;
    int64_t index = indexFromOffset(innerContainer->convertToNodeSpace(touch->getLocation()));
    if (leftMenuOpen || rightMenuOpen)
        closeSwipeMenus(false);
    if (index == kInvalidIndex)
        return claimed;
    if (touchedCell && delegate)
        delegate->tableCellUnhighlight(this, touchedCell, Vec2::ZERO, touchedCell->getCellSize());
    touchedCell = cellAtIndex(index);
    pressedOnRow = touchedCell != nullptr;
    if (touchedCell && delegate)
        delegate->tableCellHighlight(this, touchedCell, touchedCell->convertToNodeSpace(touch->getLocation()),
                                     touchedCell->getCellSize());
    return claimed;
}

void NSTableView::onTouchMoved(Touch* touch, Event* event) {
    UIScrollViewBase::onTouchMoved(touch, event);
    if (!touchedCell || !pressedOnRow || !isVertical())
        return;
    if (std::fabs(touch->getLocation().y - touch->getStartLocation().y) > kVerticalMoveLimit)
        movedVertically = true;
    handleSwipe(touch);
}

NSTableViewMenu* NSTableView::openMenu(bool left) {
    NSTableViewCell* cell = touchedCell;
    NSTableViewMenu* menu = NSTableViewMenu::create();
    menu->setAnchorPoint(Vec2::ZERO);
    menu->setContentSize(Size(kMenuWidth, cell->getCellSize().height));
    menu->cell = cell;
    menu->idx = cell->getIdx();
    if (delegate) {
        if (left)
            delegate->tableFillLeftMenu(this, menu);
        else
            delegate->tableFillRightMenu(this, menu);
    } else {
        menu->setVisible(false);
    }
    if (!menu->isVisible())
        return nullptr;
    // A row still sliding shut from an earlier swipe drops that slide and its old menus.
    cell->stopAllActions();
    removeMenus(cell);
    // The delegate may have widened the menu to fit its buttons; it opens flush with the row.
    menu->setPosition(Vec2(left ? -menu->getContentSize().width : getContentSize().width, 0.0f));
    cell->addChild(menu, 0, left ? kLeftMenuName : kRightMenuName);
    if (left)
        leftMenuOpen = true;
    else
        rightMenuOpen = true;
    swipeCell = cell;
    return menu;
}

namespace {
float menuWidthOf(Node* cell, const char* name) {
    Node* menu = cell->getChildByName(name);
    return menu ? menu->getContentSize().width : NSTableView::kMenuWidth;
}
} // namespace

void NSTableView::handleSwipe(Touch* touch) {
    Vec2 start = innerContainer->convertToNodeSpace(touch->getStartLocation());
    Vec2 at = innerContainer->convertToNodeSpace(touch->getLocation());
    float width = getContentSize().width;
    float f = swipeStartFraction;
    if (start.x < width * f) {
        if (!leftMenuOpen && !swipeMenuTried) {
            swipeMenuTried = true;
            openMenu(true);
        }
        if (leftMenuOpen && swipeCell == touchedCell)
            swipeCell->setPositionX(std::min(at.x - start.x, menuWidthOf(swipeCell, kLeftMenuName)));
    } else if (start.x > (1.0f - f) * width) {
        if (!rightMenuOpen && !swipeMenuTried) {
            swipeMenuTried = true;
            openMenu(false);
        }
        if (rightMenuOpen && swipeCell == touchedCell)
            swipeCell->setPositionX(std::max(at.x - start.x, -menuWidthOf(swipeCell, kRightMenuName)));
    }
}

void NSTableView::slideCell(bool open, bool left, NSTableViewCell* cell) {
    if (!cell)
        return;
    cell->stopAllActions();
    if (cell->getIdx() == NSTableViewCell::kInvalidIndex)
        return;
    Node* menu = cell->getChildByName(left ? kLeftMenuName : kRightMenuName);
    float menuWidth = menu ? menu->getContentSize().width : kMenuWidth;
    float x = std::fabs(cell->getPositionX());
    float y = cell->getPositionY();
    if (!open) {
        float ratio = menu && menuWidth > 0.0f ? x / menuWidth : 1.0f;
        if (delegate && !keepHighlight)
            delegate->tableCellUnhighlight(this, cell, Vec2::ZERO, cell->getCellSize());
        cell->runAction(Sequence::create(MoveTo::create(ratio * swipeSlideTime, Vec2(0.0f, y)),
                                         CallFuncN::create([](Node* n) { removeMenus(n); }), nullptr));
        return;
    }
    float ratio = menuWidth > 0.0f ? (menuWidth - x) / menuWidth : 0.0f;
    cell->runAction(MoveTo::create(ratio * swipeSlideTime, Vec2(left ? menuWidth : -menuWidth, y)));
}

bool NSTableView::settleSwipe() {
    if (!(leftMenuOpen || rightMenuOpen) || !isVertical())
        return false;
    NSTableViewCell* cell = swipeCell;
    if (!cell) {
        clearSwipeState();
        return false;
    }
    bool left = leftMenuOpen;
    Node* menu = cell->getChildByName(left ? kLeftMenuName : kRightMenuName);
    float menuWidth = menu ? menu->getContentSize().width : kMenuWidth;
    float pulled = left ? cell->getPositionX() : -cell->getPositionX();
    if (menu && pulled > swipeOpenFraction * menuWidth) {
        slideCell(true, left, cell);
    } else {
        slideCell(false, left, cell);
        clearSwipeState();
    }
    return true;
}

void NSTableView::closeSwipeMenus(bool immediately) {
    if (!(leftMenuOpen || rightMenuOpen) || !isVertical())
        return;
    NSTableViewCell* cell = swipeCell;
    bool left = leftMenuOpen;
    clearSwipeState();
    if (!cell)
        return;
    if (immediately) {
        cell->stopAllActions();
        cell->setPositionX(0.0f);
        removeMenus(cell);
    } else {
        slideCell(false, left, cell);
    }
}

void NSTableView::onTouchEnded(Touch* touch, Event* event) {
    UIScrollViewBase::onTouchEnded(touch, event);
    if (!isVisible())
        return;
    if (settleSwipe())
        return;
    if (!touchedCell || !pressedOnRow)
        return;
    pressedOnRow = false;
    Vec2 inTable = convertToNodeSpace(touch->getLocation());
    const Size& size = getContentSize();
    if (!Rect(0, 0, size.width, size.height).containsPoint(inTable))
        return;
    NSTableViewCell* cell = touchedCell;
    Vec2 point = cell->convertToNodeSpace(touch->getLocation());
    if (!delegate)
        return;
    if (!keepHighlight)
        delegate->tableCellUnhighlight(this, cell, point, cell->getCellSize());
    if (!movedVertically && touchedCell == cell)
        delegate->tableCellTouched(this, cell, point);
}

void NSTableView::onTouchCancelled(Touch* touch, Event* event) {
    UIScrollViewBase::onTouchCancelled(touch, event);
    pressedOnRow = false;
    if (touchedCell && delegate && !keepHighlight)
        delegate->tableCellUnhighlight(this, touchedCell, Vec2::ZERO, touchedCell->getCellSize());
    closeSwipeMenus(false);
}

} // namespace NSUI
