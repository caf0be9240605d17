// Scroll container and table view driven by injected touches, wheel turns and the test clock:
// edges and events, glide after a flick, axis lock, recycled cells while scrolling long lists,
// rows kept in place by inserts and removals, taps against drags, highlights and swipe menus.

#include "WidgetsFixture.h"

#include <string>
#include <vector>

#include "base/Touch.h"
#include "scroll/UIScrollViewBase.h"
#include "table/NSListView.h"
#include "table/NSTableViewCell.h"
#include "table/NSTableViewDelegate.h"
#include "table/NSTableViewMenu.h"
#include "ui/Layout.h"

using namespace cocos2d;
using namespace NSUI;

namespace {

// A row item carrying its own label so that moved rows can be recognised.
class Item : public Ref {
public:
    explicit Item(int v) : value(v) { autorelease(); }
    int value;
};

class Rows : public NSTableViewDelegate {
public:
    Size tableCellSizeForIndex(NSTableView*, int64_t, Ref*) override { return Size(300, rowHeight); }
    NSTableViewCell* tableCellAtIndex(NSTableView* table, int64_t index, const Size&) override {
        NSTableViewCell* cell = table->cellAtIndex(index);
        if (!cell)
            cell = table->dequeueCell();
        if (!cell) {
            cell = NSTableViewCell::create();
            ++created;
        }
        cell->setUserObject(table->rows.at(index));
        return cell;
    }
    void tableCellTouched(NSTableView*, NSTableViewCell* cell, const Vec2&) override {
        log.push_back("touched " + std::to_string(cell->getIdx()));
    }
    void tableCellHighlight(NSTableView* t, NSTableViewCell* cell, const Vec2& p, const Size& s) override {
        log.push_back("highlight " + std::to_string(cell->getIdx()));
        NSTableViewDelegate::tableCellHighlight(t, cell, p, s);
    }
    void tableCellUnhighlight(NSTableView* t, NSTableViewCell* cell, const Vec2& p, const Size& s) override {
        log.push_back("unhighlight " + std::to_string(cell->getIdx()));
        NSTableViewDelegate::tableCellUnhighlight(t, cell, p, s);
    }
    void tableCellWillRecycle(NSTableView*, NSTableViewCell* cell) override {
        log.push_back("recycle " + std::to_string(cell->getIdx()));
    }
    void tableCellScrolledOut(int64_t index) override { log.push_back("out " + std::to_string(index)); }
    void tableFillLeftMenu(NSTableView* t, NSTableViewMenu* menu) override {
        ++fills;
        if (!fillMenus)
            NSTableViewDelegate::tableFillLeftMenu(t, menu);
    }
    void tableFillRightMenu(NSTableView* t, NSTableViewMenu* menu) override {
        if (!fillMenus)
            NSTableViewDelegate::tableFillRightMenu(t, menu);
    }

    float rowHeight = 50.0f;
    int created = 0;
    bool fillMenus = false;
    int fills = 0;
    std::vector<std::string> log;
};

class TableTest : public qptest::WidgetsFixture {
protected:
    // A 300 x 400 list at (100, 100) with n rows of 50 points.
    NSListView* makeList(int n) {
        list = NSListView::create();
        list->setContentSize(Size(300, 400));
        list->setPosition(Vec2(100, 100));
        list->delegate = &rows;
        for (int i = 0; i < n; ++i)
            list->rows.pushBack(new Item(i));
        scene->addChild(list);
        list->reloadData();
        return list;
    }
    // The window y of the bottom of the cell showing the item, or NAN when it has none.
    float screenYOf(int value) {
        for (NSTableViewCell* cell : list->getUsedCells())
            if (static_cast<Item*>(cell->getUserObject())->value == value)
                return cell->convertToWorldSpace(Vec2::ZERO).y;
        return NAN;
    }
    Vec2 rowPoint(int row, float x = 150) const {
        // Rows run from the top of the list (y = 500) downwards while it is at its start.
        return Vec2(100 + x, 500 - 25 - 50 * row);
    }
    bool logHas(const std::string& entry) const {
        return std::find(rows.log.begin(), rows.log.end(), entry) != rows.log.end();
    }

    Rows rows;
    NSListView* list = nullptr;
};

TEST_F(TableTest, ScrollingTenThousandRowsRecyclesAFewCells) {
    makeList(10000);
    EXPECT_EQ(list->getUsedCells().size(), 8u);
    EXPECT_EQ(list->getFirstVisible(), 0);
    EXPECT_EQ(list->getLastVisible(), 7);
    size_t mostUsed = 0;
    float lowest = 400.0f - 10000 * 50.0f;
    for (float y = lowest; y <= 0.0f; y += 37.0f) {
        list->setContentOffset(Vec2(0, y));
        mostUsed = std::max(mostUsed, list->getUsedCells().size());
        for (NSTableViewCell* cell : list->getUsedCells()) {
            ASSERT_GE(cell->getIdx(), list->getFirstVisible());
            ASSERT_LE(cell->getIdx(), list->getLastVisible());
            ASSERT_EQ(static_cast<Item*>(cell->getUserObject())->value, cell->getIdx());
        }
    }
    EXPECT_LE(mostUsed, 9u);
    EXPECT_LE(rows.created, 10);
    // Scrolled to the end, the last row sits at the bottom edge of the list.
    list->setContentOffset(Vec2(0, 500));
    EXPECT_EQ(list->getLastVisible(), 9999);
    EXPECT_FLOAT_EQ(screenYOf(9999), 100.0f);
}

TEST_F(TableTest, ReloadShowsTheFirstRowsAgainAndShortContentStaysAtTheTop) {
    makeList(100);
    list->setContentOffset(Vec2(0, -2000));
    EXPECT_GT(list->getFirstVisible(), 30);
    list->reloadData();
    EXPECT_EQ(list->getFirstVisible(), 0);
    EXPECT_FLOAT_EQ(screenYOf(0), 450.0f);

    NSListView* shortList = NSListView::create();
    shortList->setContentSize(Size(300, 400));
    shortList->delegate = &rows;
    scene->addChild(shortList);
    shortList->insertCellAtIndex(0, new Item(7));
    shortList->insertCellAtIndex(5, new Item(8)); // beyond the end: appended
    ASSERT_EQ(shortList->getRowCount(), 2);
    EXPECT_FLOAT_EQ(shortList->getContentOffset().y, 0.0f);
    EXPECT_FLOAT_EQ(shortList->cellAtIndex(0)->getPositionY(), 350.0f);
    EXPECT_FLOAT_EQ(shortList->cellAtIndex(1)->getPositionY(), 300.0f);
}

TEST_F(TableTest, InsertsAndRemovalsKeepTheRowsInView) {
    makeList(300);
    list->setContentOffset(Vec2(0, 400.0f - 300 * 50 + 100 * 50)); // row 100 at the top
    float y100 = screenYOf(100);
    float y103 = screenYOf(103);
    ASSERT_FALSE(std::isnan(y100));

    list->insertCellAtIndex(10, new Item(-1)); // above the rows in view
    EXPECT_FLOAT_EQ(screenYOf(100), y100);
    list->insertCellAtIndex(250, new Item(-2)); // below them
    EXPECT_FLOAT_EQ(screenYOf(100), y100);
    list->removeCellAtIndex(20); // above
    EXPECT_FLOAT_EQ(screenYOf(103), y103);
    list->removeCellAtIndex(280); // below
    EXPECT_FLOAT_EQ(screenYOf(103), y103);
    EXPECT_EQ(list->getRowCount(), 300);
    for (NSTableViewCell* cell : list->getUsedCells())
        EXPECT_EQ(list->rows.at(cell->getIdx()), cell->getUserObject());

    // Removing a row that has a cell tells the delegate in this order.
    int64_t shown = list->getFirstVisible() + 2;
    rows.log.clear();
    list->removeCellAtIndex(shown);
    ASSERT_GE(rows.log.size(), 2u);
    EXPECT_EQ(rows.log[0], "recycle " + std::to_string(shown));
    EXPECT_EQ(rows.log[1], "out " + std::to_string(shown));

    // Out-of-range indices change nothing.
    list->removeCellAtIndex(-1);
    list->removeCellAtIndex(5000);
    list->updateCellAtIndex(5000);
    EXPECT_EQ(list->getRowCount(), 299);
    EXPECT_EQ(list->cellAtIndex(-3), nullptr);
}

TEST_F(TableTest, RowsOfAChangedSizeMoveTheRowsBelow) {
    makeList(20);
    float y2 = screenYOf(2);
    float y0 = screenYOf(0);
    rows.rowHeight = 80.0f;
    list->updateCellAtIndex(1);
    EXPECT_FLOAT_EQ(screenYOf(0), y0);
    EXPECT_FLOAT_EQ(screenYOf(2), y2 - 30.0f);
    EXPECT_FLOAT_EQ(list->cellAtIndex(1)->getCellSize().height, 80.0f);
}

TEST_F(TableTest, BorderPointsBelongToTheUpperRow) {
    makeList(20);
    float innerHeight = list->getInnerContainerSize().height;
    EXPECT_EQ(list->indexFromOffset(Vec2(10, innerHeight - 50)), 0);
    EXPECT_EQ(list->indexFromOffset(Vec2(10, innerHeight - 50.5f)), 1);
    EXPECT_EQ(list->indexFromOffset(Vec2(10, innerHeight + 5)), 0);
    EXPECT_EQ(list->indexFromOffset(Vec2(10, -5)), NSTableView::kInvalidIndex);
}

TEST_F(TableTest, TapTouchesTheRowAndADragDoesNot) {
    makeList(50);
    input->touchBegan(0, rowPoint(2));
    input->frame();
    input->touchEnded(0, rowPoint(2));
    EXPECT_EQ(rows.log, (std::vector<std::string>{"highlight 2", "unhighlight 2", "touched 2"}));

    rows.log.clear();
    input->touchBegan(0, rowPoint(3));
    input->touchMoved(0, rowPoint(3) + Vec2(0, 6));
    input->touchEnded(0, rowPoint(3) + Vec2(0, 6));
    EXPECT_TRUE(logHas("highlight 3"));
    EXPECT_FALSE(logHas("touched 3"));

    // Released outside the table: the row stays marked until another row is pressed.
    rows.highlightEnabled = true;
    rows.log.clear();
    input->touchBegan(0, rowPoint(4));
    input->touchMoved(0, Vec2(600, rowPoint(4).y));
    input->touchEnded(0, Vec2(600, rowPoint(4).y));
    EXPECT_FALSE(logHas("touched 4"));
    EXPECT_NE(list->cellAtIndex(4)->getChildByTag(NSTableViewDelegate::kHighlightTag), nullptr);
    input->touchBegan(0, rowPoint(1));
    input->touchEnded(0, rowPoint(1));
    EXPECT_EQ(list->cellAtIndex(4)->getChildByTag(NSTableViewDelegate::kHighlightTag), nullptr);
}

TEST_F(TableTest, KeptHighlightMarksTheSelectedRowUntilAnotherIsPressed) {
    makeList(50);
    rows.highlightEnabled = true;
    list->keepHighlight = true;
    input->touchBegan(0, rowPoint(1));
    input->touchEnded(0, rowPoint(1));
    EXPECT_TRUE(logHas("touched 1"));
    EXPECT_NE(list->cellAtIndex(1)->getChildByTag(NSTableViewDelegate::kHighlightTag), nullptr);
    EXPECT_EQ(list->getTouchedCell(), list->cellAtIndex(1));
    input->touchBegan(0, rowPoint(3));
    input->touchEnded(0, rowPoint(3));
    EXPECT_EQ(list->cellAtIndex(1)->getChildByTag(NSTableViewDelegate::kHighlightTag), nullptr);
    EXPECT_NE(list->cellAtIndex(3)->getChildByTag(NSTableViewDelegate::kHighlightTag), nullptr);

    list->selectCellAtIndex(5);
    EXPECT_EQ(list->getTouchedCell(), list->cellAtIndex(5));
    // A pressed row scrolled out of view leaves no dangling touched cell behind.
    list->setContentOffset(Vec2(0, -1500));
    EXPECT_EQ(list->getTouchedCell(), nullptr);
    list->selectCellAtIndex(0);
    EXPECT_EQ(list->getTouchedCell(), nullptr);
}

TEST_F(TableTest, TableWithoutDelegateHasNoCellsAndNoCrash) {
    NSListView* bare = NSListView::create();
    bare->setContentSize(Size(300, 400));
    scene->addChild(bare);
    bare->insertCellAtIndex(0, new Item(1));
    bare->rows.pushBack(new Item(2));
    bare->reloadData();
    EXPECT_EQ(bare->getRowCount(), 2);
    EXPECT_TRUE(bare->getUsedCells().empty());
    input->touchBegan(0, Vec2(50, 350));
    input->touchEnded(0, Vec2(50, 350));
    bare->removeFromParent(); // clean-up empties it
    EXPECT_EQ(bare->getRowCount(), 0);
}

TEST_F(TableTest, ContentThatFitsReportsTheEdgeAndDoesNotMove) {
    makeList(8);
    std::vector<int> events;
    list->setScrollCallback([&](Ref*, int e) { events.push_back(e); });
    EXPECT_FALSE(list->scrollChildren(0, 10));
    EXPECT_EQ(events, (std::vector<int>{4, 1}));
    events.clear();
    EXPECT_FALSE(list->scrollChildren(0, -10));
    EXPECT_EQ(events, (std::vector<int>{4, 0}));
    EXPECT_FLOAT_EQ(list->getContentOffset().y, 0.0f);
}

TEST_F(TableTest, FlickGlidesAtMostAtTopSpeedAndComesToRest) {
    makeList(10000);
    float before = list->getContentOffset().y;
    input->touchBegan(0, Vec2(250, 150));
    input->frame(0.1f);
    input->touchMoved(0, Vec2(250, 450));
    input->touchEnded(0, Vec2(250, 450));
    EXPECT_FLOAT_EQ(list->getContentOffset().y, before + 300.0f);
    ASSERT_TRUE(list->isAutoScrolling());
    EXPECT_FLOAT_EQ(list->getAutoScrollSpeed(), 1000.0f);
    input->advance(0.5f);
    EXPECT_NEAR(list->getAutoScrollSpeed(), 500.0f, 20.0f);
    input->advance(0.52f);
    EXPECT_FALSE(list->isAutoScrolling());
    // v0^2 / 2a = 500 points of glide.
    EXPECT_NEAR(list->getContentOffset().y, before + 300.0f + 500.0f, 10.0f);

    // A press shorter than a frame gives no glide however far it went.
    input->touchBegan(0, Vec2(250, 150));
    input->touchMoved(0, Vec2(250, 450));
    input->touchEnded(0, Vec2(250, 450));
    EXPECT_FALSE(list->isAutoScrolling());
}

TEST_F(TableTest, WheelStepsTwentyPointsOnlyOverAVisibleList) {
    makeList(100);
    list->setContentOffset(Vec2(0, -1000));
    input->mouseScroll(Vec2(250, 300), 0, 1);
    EXPECT_FLOAT_EQ(list->getContentOffset().y, -980.0f);
    input->mouseScroll(Vec2(250, 300), 0, -2);
    EXPECT_FLOAT_EQ(list->getContentOffset().y, -1020.0f);
    input->mouseScroll(Vec2(50, 300), 0, 1); // beside the list
    EXPECT_FLOAT_EQ(list->getContentOffset().y, -1020.0f);
    list->setVisible(false);
    input->mouseScroll(Vec2(250, 300), 0, 1);
    EXPECT_FLOAT_EQ(list->getContentOffset().y, -1020.0f);
}

TEST_F(TableTest, SidewaysStrokeNoLongerScrollsVertically) {
    makeList(100);
    list->setContentOffset(Vec2(0, -1000));
    input->touchBegan(0, Vec2(250, 300));
    input->touchMoved(0, Vec2(252, 299));
    input->touchMoved(0, Vec2(260, 340));
    input->touchMoved(0, Vec2(270, 380));
    input->touchEnded(0, Vec2(270, 380));
    EXPECT_FLOAT_EQ(list->getContentOffset().y, -1000.0f);
    // A lengthwise stroke does scroll.
    input->touchBegan(0, Vec2(250, 300));
    input->touchMoved(0, Vec2(250, 340));
    input->touchEnded(0, Vec2(250, 340));
    EXPECT_FLOAT_EQ(list->getContentOffset().y, -960.0f);
}

TEST_F(TableTest, OffsetsAreClampedToTheScrollRange) {
    makeList(100);
    list->setContentOffset(Vec2(0, -99999));
    EXPECT_FLOAT_EQ(list->getContentOffset().y, 400.0f - 5000.0f);
    list->setContentOffset(Vec2(0, 300));
    EXPECT_FLOAT_EQ(list->getContentOffset().y, 0.0f);
}

TEST_F(TableTest, ScrollBarShowsTheShownPartOfTheContent) {
    UIScrollViewBase* view = UIScrollViewBase::create();
    view->setContentSize(Size(200, 300));
    scene->addChild(view);
    view->setInnerContainerSize(Size(200, 600));
    view->setContentOffset(Vec2(0, -300)); // at the top
    Sprite* bar = view->getScrollBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_FLOAT_EQ(bar->getContentSize().height * bar->getScaleY(), 150.0f);
    EXPECT_FLOAT_EQ(bar->getPositionY(), 150.0f);
    view->setContentOffset(Vec2(0, 0)); // at the bottom
    EXPECT_FLOAT_EQ(bar->getPositionY(), 0.0f);
    view->setInnerContainerSize(Size(200, 100));
    EXPECT_FALSE(bar->isVisible());
}

// --- swipe menus ------------------------------------------------------------------------------

class SwipeTest : public TableTest {
protected:
    void SetUp() override {
        TableTest::SetUp();
        makeList(50);
        rows.fillMenus = true;
    }
    NSTableViewCell* row(int i) { return list->cellAtIndex(i); }
    void swipe(int r, float startX, float dx) {
        input->touchBegan(0, rowPoint(r, startX));
        input->touchMoved(0, rowPoint(r, startX + dx * 0.5f));
        input->touchMoved(0, rowPoint(r, startX + dx));
        input->touchEnded(0, rowPoint(r, startX + dx));
    }
};

TEST_F(SwipeTest, PullPastTheFractionSnapsOpenAndShortOfItSlidesBack) {
    swipe(1, 90, 100); // starts at 30 % of the width: left menu
    ASSERT_TRUE(list->isLeftMenuOpen());
    ASSERT_NE(row(1)->getChildByName(NSTableView::kLeftMenuName), nullptr);
    input->advance(50.0f / 150.0f * 0.5f + 0.02f);
    EXPECT_FLOAT_EQ(row(1)->getPositionX(), 150.0f);
    EXPECT_FALSE(logHas("touched 1"));

    // The next press closes it again.
    input->touchBegan(0, rowPoint(5));
    input->touchEnded(0, rowPoint(5));
    EXPECT_FALSE(list->isLeftMenuOpen());
    input->advance(0.6f);
    EXPECT_FLOAT_EQ(row(1)->getPositionX(), 0.0f);
    EXPECT_EQ(row(1)->getChildByName(NSTableView::kLeftMenuName), nullptr);

    swipe(2, 210, -60); // starts at 70 %: right menu, pulled too little
    EXPECT_FALSE(list->isRightMenuOpen());
    input->advance(60.0f / 150.0f * 0.5f + 0.02f);
    EXPECT_FLOAT_EQ(row(2)->getPositionX(), 0.0f);
    EXPECT_EQ(row(2)->getChildByName(NSTableView::kRightMenuName), nullptr);
}

TEST_F(SwipeTest, DragStopsAtTheMenuWidthAndCloseAtOnceLeavesNoMenu) {
    input->touchBegan(0, rowPoint(1, 60));
    input->touchMoved(0, rowPoint(1, 160));
    input->touchMoved(0, rowPoint(1, 290));
    EXPECT_FLOAT_EQ(row(1)->getPositionX(), 150.0f);
    input->touchEnded(0, rowPoint(1, 290));
    input->advance(0.1f);
    list->closeSwipeMenus(true);
    EXPECT_FLOAT_EQ(row(1)->getPositionX(), 0.0f);
    EXPECT_EQ(row(1)->getChildByName(NSTableView::kLeftMenuName), nullptr);
    EXPECT_EQ(row(1)->getChildByName(NSTableView::kRightMenuName), nullptr);
}

TEST_F(SwipeTest, StartFractionAndUnfilledMenusOpenNothing) {
    list->swipeStartFraction = 0.2f;
    swipe(1, 150, 100);
    EXPECT_FALSE(list->isLeftMenuOpen());
    EXPECT_FLOAT_EQ(row(1)->getPositionX(), 0.0f);

    list->swipeStartFraction = 0.5f;
    rows.fillMenus = false;
    rows.fills = 0;
    swipe(1, 60, 100);
    EXPECT_EQ(rows.fills, 1); // asked once for the whole swipe
    EXPECT_FALSE(list->isLeftMenuOpen());
    EXPECT_FLOAT_EQ(row(1)->getPositionX(), 0.0f);
    EXPECT_EQ(row(1)->getChildByName(NSTableView::kLeftMenuName), nullptr);
}

TEST_F(SwipeTest, RecyclingTheOpenRowClearsItsMenu) {
    swipe(0, 60, 120);
    input->advance(0.6f);
    NSTableViewCell* cell = row(0);
    ASSERT_TRUE(list->isLeftMenuOpen());
    list->setContentOffset(Vec2(0, -1000)); // row 0 scrolls out
    EXPECT_FALSE(list->isLeftMenuOpen());
    EXPECT_EQ(list->getSwipeCell(), nullptr);
    EXPECT_FLOAT_EQ(cell->getPositionX(), 0.0f);
    EXPECT_EQ(cell->getChildByName(NSTableView::kLeftMenuName), nullptr);
    // The cell comes back for another row without the old menu.
    list->setContentOffset(Vec2(0, 0));
    for (NSTableViewCell* c : list->getUsedCells()) {
        EXPECT_FLOAT_EQ(c->getPositionX(), 0.0f);
        EXPECT_EQ(c->getChildByName(NSTableView::kLeftMenuName), nullptr);
    }
}

} // namespace
