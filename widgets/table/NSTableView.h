#pragma once
// The toolkit's list: a scroll container over an ordered list of row items that creates cells
// only for the rows in view, recycles the cells of rows that scroll out, and lets rows of a
// vertical table be swiped sideways to uncover a row menu. All content comes from a delegate.

#include <cstdint>
#include <set>
#include <vector>

#include "scroll/UIScrollViewBase.h"

namespace NSUI {

class NSTableViewCell;
class NSTableViewDelegate;
class NSTableViewMenu;

class NSTableView : public UIScrollViewBase {
public:
    static constexpr const char* kBackgroundName = "_NSTableView_bk_";
    static constexpr const char* kLeftMenuName = "leftMenu";
    static constexpr const char* kRightMenuName = "rightMenu";
    static constexpr const char* kTableMenuName = "tableMenu";
    static constexpr float kMenuWidth = 150.0f;
    static constexpr int64_t kInvalidIndex = -1;
    enum FillOrder { kTopDown = 0, kBottomUp = 1 };

    static NSTableView* create();
    bool init() override;
    bool initWithViewSize(const cocos2d::Size& size);
    void setContentSize(const cocos2d::Size& size) override;
    void cleanup() override;

    /// Recycles every cell and lays the rows out again from `rows`, from the first row.
    void reloadData();
    NSTableViewCell* cellAtIndex(int64_t index) const;
    /// A recycled cell (autoreleased), or null.
    NSTableViewCell* dequeueCell();
    /// Asks the delegate again for a row's size and cell while the row is in view.
    void updateCellAtIndex(int64_t index);
    /// Inserts a row item (retained); an index outside 0..rowCount appends.
    void insertCellAtIndex(int64_t index, cocos2d::Ref* rowItem);
    void removeCellAtIndex(int64_t index);
    void selectCellAtIndex(int64_t index);
    /// Closes an open row menu: at once when immediately, else sliding back.
    void closeSwipeMenus(bool immediately);

    void setFillOrder(int order);
    int getFillOrder() const { return fillOrder; }
    int64_t getRowCount() const { return rowCount; }
    int getFirstVisible() const { return firstVisible; }
    int getLastVisible() const { return lastVisible; }
    const std::vector<NSTableViewCell*>& getUsedCells() const { return cellsUsed; }
    size_t getFreedCellCount() const { return cellsFreed.size(); }
    NSTableViewCell* getTouchedCell() const { return touchedCell; }
    NSTableViewCell* getSwipeCell() const { return swipeCell; }
    bool isLeftMenuOpen() const { return leftMenuOpen; }
    bool isRightMenuOpen() const { return rightMenuOpen; }
    /// The row at a point of the inner container, kInvalidIndex after the last row.
    int64_t indexFromOffset(const cocos2d::Vec2& point) const;
    /// The row at a distance from the start of the content along the scroll axis.
    int64_t indexAlongAxis(double distance) const;
    /// Where a row's cell sits in the inner container.
    cocos2d::Vec2 cellPositionForIndex(int64_t index) const;

    void onScrolled() override;
    bool onTouchBegan(cocos2d::Touch* touch, cocos2d::Event* event) override;
    void onTouchMoved(cocos2d::Touch* touch, cocos2d::Event* event) override;
    void onTouchEnded(cocos2d::Touch* touch, cocos2d::Event* event) override;
    void onTouchCancelled(cocos2d::Touch* touch, cocos2d::Event* event) override;

    // Fields the screens set directly.
    NSTableViewDelegate* delegate = nullptr; // not retained
    cocos2d::Vector<cocos2d::Ref*> rows;
    bool keepHighlight = false;
    float swipeStartFraction = 0.5f;
    float swipeOpenFraction = 0.5f;
    float swipeSlideTime = 0.5f;

protected:
    NSTableView() = default;
    ~NSTableView() override;

    bool isVertical() const { return direction != kDirHorizontal; }
    cocos2d::Size rowSize(int64_t index);
    float rowLength(int64_t index) const;
    void updateCellPositions();
    void updateContentSize();
    void resetOffsetToStart();
    void repositionUsedCells();
    void placeCell(int64_t index);
    void recycleCell(NSTableViewCell* cell, bool reportScrolledOut);
    void recycleAllCells();
    void renumberCells(int64_t from, int delta);
    void clearSwipeState();
    void handleSwipe(cocos2d::Touch* touch);
    NSTableViewMenu* openMenu(bool left);
    void slideCell(bool open, bool left, NSTableViewCell* cell);
    bool settleSwipe();
    void sortUsedCells();

    NSTableViewCell* touchedCell = nullptr;
    int fillOrder = kBottomUp;
    int laidOutDirection = 0;
    bool cellsUnsorted = false;
    int firstVisible = 0;
    int lastVisible = 0;
    std::set<int64_t> usedIndices;
    std::vector<double> cellPositions;
    std::vector<NSTableViewCell*> cellsUsed;  // retained
    std::vector<NSTableViewCell*> cellsFreed; // retained
    int64_t rowCount = 0;
    bool movedVertically = false;
    NSTableViewCell* swipeCell = nullptr;
    bool leftMenuOpen = false;
    bool rightMenuOpen = false;
    bool pressedOnRow = false;
    bool swipeMenuTried = false; // the delegate is asked to fill a menu once per touch
    bool updating = false;       // holds the layout pass back while rows are renumbered
};

} // namespace NSUI
