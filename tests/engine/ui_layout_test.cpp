// Arrangement of child widgets by layout type, relative alignment with margins, and percent
// layout after the root is resized.

#include "SceneFixture.h"

#include "2d/LayerColor.h"
#include "2d/Sprite.h"
#include "platform/Image.h"
#include "support/TestSupport.h"
#include "ui/CocosGUI.h"

using namespace cocos2d;
using namespace cocos2d::ui;

namespace {

Widget* box(Layout* parent, float w, float h, const Vec2& anchor = Vec2::ZERO) {
    Widget* b = Widget::create();
    b->setAnchorPoint(anchor);
    b->setContentSize(Size(w, h));
    parent->addChild(b);
    return b;
}

Layout* layoutOf(Layout::Type type, float w, float h) {
    Layout* l = Layout::create();
    l->setContentSize(Size(w, h));
    l->setLayoutType(type);
    return l;
}

void linear(Widget* w, LinearLayoutParameter::LinearGravity g, const Margin& m) {
    auto* p = LinearLayoutParameter::create();
    p->setGravity(g);
    p->setMargin(m);
    w->setLayoutParameter(p);
}

void align(Widget* w, int code, const Margin& m = Margin()) {
    auto* p = RelativeLayoutParameter::create();
    p->setAlign(static_cast<RelativeLayoutParameter::RelativeAlign>(code));
    p->setMargin(m);
    w->setLayoutParameter(p);
}

using UiLayoutTest = qptest::SceneFixture;

} // namespace

TEST_F(UiLayoutTest, VerticalStacksFromTheTopWithMarginsAndGravity) {
    Layout* l = layoutOf(Layout::Type::VERTICAL, 200, 300);
    Widget* a = box(l, 50, 40);
    Widget* b = box(l, 60, 30, Vec2::ANCHOR_MIDDLE);
    Widget* c = box(l, 20, 20);
    linear(a, LinearLayoutParameter::LinearGravity::NONE, Margin(5, 10, 0, 4));
    linear(b, LinearLayoutParameter::LinearGravity::RIGHT, Margin(0, 0, 7, 0));
    linear(c, LinearLayoutParameter::LinearGravity::CENTER_HORIZONTAL, Margin());
    c->setScale(2.0f); // the scaled size counts
    l->forceDoLayout();
    EXPECT_EQ(Vec2(5, 250), a->getPosition());                 // top 300 - margin 10 - height 40
    EXPECT_EQ(Vec2(200 - 7 - 30, 246 - 15), b->getPosition()); // below a's margin 4, centre anchor
    EXPECT_EQ(Vec2(80, 176), c->getPosition());                // 40 wide when scaled, centred
}

TEST_F(UiLayoutTest, HorizontalRunsLeftToRightWithVerticalGravity) {
    Layout* l = layoutOf(Layout::Type::HORIZONTAL, 300, 100);
    Widget* a = box(l, 50, 40);
    Widget* b = box(l, 60, 30);
    Widget* c = box(l, 20, 20);
    linear(a, LinearLayoutParameter::LinearGravity::NONE, Margin(5, 0, 5, 0));
    linear(b, LinearLayoutParameter::LinearGravity::BOTTOM, Margin(0, 0, 0, 3));
    linear(c, LinearLayoutParameter::LinearGravity::CENTER_VERTICAL, Margin());
    l->forceDoLayout();
    EXPECT_EQ(Vec2(5, 60), a->getPosition());
    EXPECT_EQ(Vec2(60, 3), b->getPosition());
    EXPECT_EQ(Vec2(120, 40), c->getPosition());
}

TEST_F(UiLayoutTest, RelativeAlignmentsPlaceAgainstEdgesAndCentres) {
    Layout* l = layoutOf(Layout::Type::RELATIVE_FREE, 400, 300);
    const Margin m(10, 20, 30, 40);
    Vec2 expected[10] = {
        {},
        Vec2(10, 300 - 20 - 50),       // 1 top left
        Vec2(200 - 50, 300 - 20 - 50), // 2 top centre (no margin across)
        Vec2(400 - 30 - 100, 300 - 20 - 50),
        Vec2(10, 150 - 25), // 4 left centre
        Vec2(150, 125),     // 5 centre
        Vec2(400 - 30 - 100, 125),
        Vec2(10, 40), // 7 bottom left
        Vec2(150, 40),
        Vec2(270, 40), // 9 bottom right
    };
    Widget* widgets[10] = {};
    for (int code = 1; code <= 9; ++code) {
        widgets[code] = box(l, 100, 50);
        align(widgets[code], code, m);
    }
    Widget* free = box(l, 10, 10);
    free->setPosition(Vec2(33, 44));
    l->forceDoLayout();
    for (int code = 1; code <= 9; ++code)
        EXPECT_EQ(expected[code], widgets[code]->getPosition()) << "align " << code;
    EXPECT_EQ(Vec2(33, 44), free->getPosition()); // type 5 leaves unaligned widgets alone
}

TEST_F(UiLayoutTest, RelativeRowsPackUnalignedWidgetsLeftOrRight) {
    // The overlay's corner rows: type 3 from the left edge, type 4 against the right edge,
    // both in child order and top-aligned.
    Layout* left = layoutOf(Layout::Type::RELATIVE, 300, 30);
    Layout* right = layoutOf(Layout::Type::RELATIVE, 300, 30);
    right->setLayoutType(4);
    EXPECT_EQ(Layout::Type::RELATIVE_RIGHT, right->getLayoutType());
    Widget* l1 = box(left, 40, 20);
    Widget* l2 = box(left, 60, 30);
    Widget* hidden = box(left, 500, 30);
    hidden->setVisible(false); // a hidden item takes no room in the row
    Widget* l3 = box(left, 10, 10);
    Widget* r1 = box(right, 40, 20);
    Widget* r2 = box(right, 60, 30, Vec2::ANCHOR_MIDDLE);
    Widget* corner = box(right, 10, 10);
    align(corner, 7); // aligned widgets are not part of the row
    left->forceDoLayout();
    right->forceDoLayout();
    EXPECT_EQ(Vec2(0, 10), l1->getPosition());
    EXPECT_EQ(Vec2(40, 0), l2->getPosition());
    EXPECT_EQ(Vec2(100, 20), l3->getPosition());
    EXPECT_EQ(Vec2(200, 10), r1->getPosition());
    EXPECT_EQ(Vec2(270, 15), r2->getPosition());
    EXPECT_EQ(Vec2(0, 0), corner->getPosition());
}

TEST_F(UiLayoutTest, ArrangementRunsBeforeDrawingAfterChanges) {
    Layout* l = layoutOf(Layout::Type::VERTICAL, 100, 100);
    scene->addChild(l);
    Widget* a = box(l, 10, 10);
    input->frame();
    EXPECT_EQ(Vec2(0, 90), a->getPosition());
    Widget* b = box(l, 10, 10); // adding requests a new arrangement
    input->frame();
    EXPECT_EQ(Vec2(0, 80), b->getPosition());
    l->setContentSize(Size(100, 200)); // so does a resize
    input->frame();
    EXPECT_EQ(Vec2(0, 190), a->getPosition());
    l->setLayoutType(Layout::Type::ABSOLUTE);
    a->setPosition(Vec2(5, 5));
    input->frame();
    EXPECT_EQ(Vec2(5, 5), a->getPosition());
}

TEST_F(UiLayoutTest, PercentLayoutFollowsTheRootAfterAResize) {
    Layout* root = Layout::create();
    root->setContentSize(Size(800, 600));
    scene->addChild(root);

    // Percent position and size through a layout component.
    Widget* panel = Widget::create();
    panel->setAnchorPoint(Vec2::ANCHOR_MIDDLE);
    auto* pc = LayoutComponent::create();
    pc->setPositionPercentXEnabled(true);
    pc->setPositionPercentYEnabled(true);
    pc->setPositionPercentX(0.5f);
    pc->setPositionPercentY(0.25f);
    pc->setPercentWidthEnabled(true);
    pc->setPercentWidth(0.5f);
    pc->setPercentHeightEnabled(true);
    pc->setPercentHeight(0.1f);
    panel->setLayoutComponent(pc);
    root->addChild(panel);

    // Stretched between margins, kept from the top edge.
    Layout* bar = Layout::create();
    bar->setContentSize(Size(10, 60));
    auto* bc = LayoutComponent::create();
    bc->setStretchWidthEnabled(true);
    bc->setLeftMargin(20);
    bc->setRightMargin(30);
    bc->setVerticalEdge(LayoutComponent::VerticalEdge::Top);
    bc->setTopMargin(5);
    bar->setLayoutComponent(bc);
    root->addChild(bar);

    // A grandchild kept from its parent's right edge follows the parent's new width.
    Widget* close = Widget::create();
    close->setAnchorPoint(Vec2::ZERO);
    close->setContentSize(Size(40, 40));
    auto* cc = LayoutComponent::create();
    cc->setHorizontalEdge(LayoutComponent::HorizontalEdge::Right);
    cc->setRightMargin(10);
    close->setLayoutComponent(cc);
    bar->addChild(close);

    // The widget's own percent size and position.
    Widget* own = Widget::create();
    own->setSizeType(Widget::SizeType::PERCENT);
    own->setSizePercent(Vec2(0.25f, 0.5f));
    own->setPositionType(Widget::PositionType::PERCENT);
    own->setPositionPercent(Vec2(1.0f, 0.0f));
    root->addChild(own);

    Helper::doLayout(root);
    EXPECT_EQ(Vec2(400, 150), panel->getPosition());
    EXPECT_EQ(Size(400, 60), panel->getContentSize());
    EXPECT_EQ(Size(750, 60), bar->getContentSize());
    EXPECT_EQ(Vec2(20, 535), bar->getPosition());
    EXPECT_EQ(Vec2(700, 0), close->getPosition());
    EXPECT_EQ(Size(200, 300), own->getContentSize());

    root->setContentSize(Size(1000, 400));
    Helper::doLayout(root);
    EXPECT_EQ(Vec2(500, 100), panel->getPosition());
    EXPECT_EQ(Size(500, 40), panel->getContentSize());
    EXPECT_EQ(Size(950, 60), bar->getContentSize());
    EXPECT_EQ(Vec2(20, 335), bar->getPosition());
    EXPECT_EQ(Vec2(900, 0), close->getPosition());
    EXPECT_EQ(Size(250, 200), own->getContentSize());
    EXPECT_EQ(Vec2(1000, 0), own->getPosition());
}

TEST_F(UiLayoutTest, BackgroundsAndTheSolidColourShortcut) {
    Layout* l = Layout::create();
    l->setContentSize(Size(100, 50));
    l->enableBKColor(true, Color3B(255, 255, 255), 0.7f);
    EXPECT_EQ(Layout::BackGroundColorType::SOLID, l->getBackGroundColorType());
    EXPECT_EQ(179, l->getBackGroundColorOpacity()); // 0.7 of 255, rounded
    l->enableBKColor(true, Color3B::BLACK, 1.5f);   // out of range: clamped
    EXPECT_EQ(255, l->getBackGroundColorOpacity());
    l->setBackGroundColorType(Layout::BackGroundColorType::GRADIENT);
    l->setBackGroundColor(Color3B::RED, Color3B::BLUE);
    l->enableBKColor(false, Color3B::BLACK, 0.0f);
    EXPECT_EQ(Layout::BackGroundColorType::NONE, l->getBackGroundColorType());
    // Only the child widgets the screens add are children; backgrounds stay internal.
    EXPECT_EQ(0, l->getChildrenCount());
    l->setBackGroundImage("no/such/picture.png");
    EXPECT_EQ("", l->getBackGroundImageFile());

    // A background picture: its own size when plain, the layout's size as a nine-patch,
    // following the layout when it is resized.
    qptest::TempDir dir;
    std::vector<unsigned char> px(12 * 8 * 4, 200);
    Image img;
    img.initWithRawData(px.data(), static_cast<ssize_t>(px.size()), 12, 8, 8);
    ASSERT_TRUE(img.saveToFile(dir.file("bk.png"), false));
    l->setBackGroundImage(dir.file("bk.png"));
    EXPECT_EQ(dir.file("bk.png"), l->getBackGroundImageFile());
    EXPECT_EQ(Size(12, 8), l->getBackGroundImageTextureSize());
    auto* picture =
        dynamic_cast<Scale9Sprite*>(l->getProtectedChildren().at(l->getProtectedChildren().size() - 1));
    ASSERT_NE(nullptr, picture);
    EXPECT_EQ(Size(12, 8), picture->getContentSize());
    EXPECT_EQ(Vec2(50, 25), picture->getPosition());
    l->setBackGroundImageScale9Enabled(true);
    EXPECT_EQ(Size(100, 50), picture->getContentSize());
    l->setContentSize(Size(300, 120));
    EXPECT_EQ(Size(300, 120), picture->getContentSize());
    EXPECT_EQ(Vec2(150, 60), picture->getPosition());
    l->removeBackGroundImage();
    EXPECT_EQ(Size::ZERO, l->getBackGroundImageTextureSize());
}

TEST_F(UiLayoutTest, RowsRepackWhenAnItemChangesSizeScaleOrVisibility) {
    Layout* row = layoutOf(Layout::Type::RELATIVE_RIGHT, 300, 30);
    scene->addChild(row);
    Widget* label = box(row, 40, 20);
    Widget* prior = box(row, 20, 20);
    Widget* next = box(row, 20, 20);
    input->frame();
    EXPECT_EQ(Vec2(220, 10), label->getPosition());
    label->setContentSize(Size(100, 20)); // a longer value
    input->frame();
    EXPECT_EQ(Vec2(160, 10), label->getPosition());
    prior->setVisible(false); // a hidden button leaves no gap
    input->frame();
    EXPECT_EQ(Vec2(180, 10), label->getPosition());
    next->setScale(2.0f);
    input->frame();
    EXPECT_EQ(Vec2(160, 10), label->getPosition());
}
