// Widget touch flow: hit tests through hidden ancestors and clipping parents, click on
// release, parents stealing drags, swallowing, and the controls' own touch behaviour.

#include "SceneFixture.h"

#include <string>
#include <vector>

#include "2d/Camera.h"
#include "base/Touch.h"
#include "platform/Image.h"
#include "support/TestSupport.h"
#include "ui/CocosGUI.h"

using namespace cocos2d;
using namespace cocos2d::ui;

namespace {

// A parent that takes a drag for itself once it has moved more than 5 points, as a scroll
// view does with a drag that began on one of its buttons.
class DragStealer : public Layout {
public:
    static DragStealer* create() {
        auto* l = new DragStealer();
        l->init();
        l->autorelease();
        return l;
    }
    void interceptTouchEvent(TouchEventType event, Widget* sender, Touch* touch) override {
        events.push_back(static_cast<int>(event));
        if (event == TouchEventType::MOVED &&
            touch->getLocation().distance(touch->getStartLocation()) > 5.0f) {
            sender->setHighlighted(false);
            stolen = true;
        }
    }
    std::vector<int> events;
    bool stolen = false;
};

struct Recorder {
    std::vector<std::string> log;
    void watch(Widget* w, const std::string& name) {
        w->addTouchEventListener([this, name](Ref*, Widget::TouchEventType t) {
            static const char* kinds[] = {"began", "moved", "ended", "canceled"};
            log.push_back(name + "." + kinds[static_cast<int>(t)]);
        });
        w->addClickEventListener([this, name](Ref*) { log.push_back(name + ".click"); });
    }
};

// A plain touchable widget of the given size at a position (anchor bottom-left).
Widget* makeWidget(Node* parent, const Rect& r) {
    Widget* w = Widget::create();
    w->setAnchorPoint(Vec2::ZERO);
    w->setContentSize(r.size);
    w->setPosition(r.origin);
    w->setTouchEnabled(true);
    parent->addChild(w);
    return w;
}

std::string writePng(const qptest::TempDir& dir, const std::string& name, int w, int h, unsigned char r,
                     unsigned char g, unsigned char b) {
    std::vector<unsigned char> px(static_cast<size_t>(w * h * 4));
    for (size_t i = 0; i < px.size(); i += 4) {
        px[i] = r;
        px[i + 1] = g;
        px[i + 2] = b;
        px[i + 3] = 255;
    }
    Image img;
    img.initWithRawData(px.data(), static_cast<ssize_t>(px.size()), w, h, 8);
    std::string path = dir.file(name);
    img.saveToFile(path, false);
    return path;
}

class UiWidgetTest : public qptest::SceneFixture {
protected:
    void tap(const Vec2& p) {
        input->touchBegan(0, p);
        input->touchEnded(0, p);
    }
};

} // namespace

TEST_F(UiWidgetTest, HitTestsRespectHiddenAncestorsAndEveryClippingParent) {
    Recorder rec;
    Layout* outer = Layout::create();
    outer->setContentSize(Size(200, 200));
    outer->setPosition(Vec2(100, 100));
    outer->setClippingEnabled(true);
    scene->addChild(outer);
    Layout* inner = Layout::create();
    inner->setContentSize(Size(300, 50)); // wider than outer: outer's clip must still cut
    inner->setPosition(Vec2(0, 0));
    inner->setClippingEnabled(true);
    outer->addChild(inner);
    Widget* w = makeWidget(inner, Rect(0, 0, 280, 100)); // taller than inner
    rec.watch(w, "w");
    input->frame();

    tap(Vec2(150, 120)); // inside all three
    tap(Vec2(350, 120)); // on w and inner, outside outer's clip
    tap(Vec2(150, 170)); // on w and outer, outside inner's clip
    EXPECT_EQ((std::vector<std::string>{"w.began", "w.ended", "w.click"}), rec.log);

    rec.log.clear();
    outer->setVisible(false); // a hidden ancestor silences the widget though it is visible
    tap(Vec2(150, 120));
    outer->setVisible(true);
    w->setEnabled(false);
    tap(Vec2(150, 120));
    w->setEnabled(true);
    inner->setEnabled(false); // a disabled parent widget too
    tap(Vec2(150, 120));
    EXPECT_TRUE(rec.log.empty());
}

TEST_F(UiWidgetTest, TouchScaleGrowsTheTargetAboutItsCentre) {
    Recorder rec;
    Widget* w = makeWidget(scene, Rect(100, 100, 20, 20));
    rec.watch(w, "w");
    input->frame();
    tap(Vec2(125, 110)); // 5 points right of the widget
    EXPECT_TRUE(rec.log.empty());
    w->setTouchScaled(2.0f); // 40 x 40 about the centre (110, 110)
    tap(Vec2(125, 110));
    EXPECT_EQ(3u, rec.log.size());
}

TEST_F(UiWidgetTest, ClickFiresOnReleaseOnlyWhileStillHighlighted) {
    Recorder rec;
    Widget* w = makeWidget(scene, Rect(100, 100, 100, 50));
    rec.watch(w, "w");
    input->frame();

    input->touchBegan(0, Vec2(150, 120));
    EXPECT_TRUE(w->isHighlighted());
    EXPECT_EQ((std::vector<std::string>{"w.began"}), rec.log); // nothing fires on the press itself
    input->touchMoved(0, Vec2(300, 120));
    EXPECT_FALSE(w->isHighlighted());
    input->touchEnded(0, Vec2(300, 120));
    EXPECT_EQ((std::vector<std::string>{"w.began", "w.moved", "w.canceled"}), rec.log);

    rec.log.clear();
    input->touchBegan(0, Vec2(150, 120));
    input->touchMoved(0, Vec2(300, 120));
    input->touchMoved(0, Vec2(160, 120)); // back onto the widget
    input->touchEnded(0, Vec2(160, 120));
    EXPECT_EQ("w.click", rec.log.back());

    rec.log.clear();
    input->touchBegan(0, Vec2(150, 120));
    input->touchesCancelled({0}, {Vec2(150, 120)});
    EXPECT_EQ((std::vector<std::string>{"w.began", "w.canceled"}), rec.log);
}

TEST_F(UiWidgetTest, ParentInterceptingADragKeepsTheChildButtonFromClicking) {
    Recorder rec;
    DragStealer* parent = DragStealer::create();
    parent->setContentSize(Size(400, 400));
    scene->addChild(parent);
    Layout* inner = Layout::create(); // the intercept passes through intermediate widgets
    inner->setContentSize(Size(400, 400));
    parent->addChild(inner);
    Button* button = Button::create();
    button->ignoreContentAdaptWithSize(false);
    button->setContentSize(Size(100, 40));
    button->setPosition(Vec2(200, 200));
    inner->addChild(button);
    rec.watch(button, "b");
    input->frame();

    input->touchBegan(0, Vec2(200, 200));
    input->touchMoved(0, Vec2(200, 203)); // small: still the button's
    EXPECT_TRUE(button->isHighlighted());
    input->touchMoved(0, Vec2(200, 210)); // beyond 5 points: the parent takes it
    EXPECT_TRUE(parent->stolen);
    EXPECT_FALSE(button->isHighlighted());
    input->touchEnded(0, Vec2(200, 210));
    EXPECT_EQ("b.canceled", rec.log.back());
    EXPECT_EQ((std::vector<int>{0, 1, 1, 2}), parent->events);

    // Without propagation the parent hears nothing.
    parent->events.clear();
    button->setPropagateTouchEvents(false);
    tap(Vec2(200, 200));
    EXPECT_TRUE(parent->events.empty());
    EXPECT_EQ("b.click", rec.log.back());
}

TEST_F(UiWidgetTest, SwallowingKeepsTouchesFromWidgetsBelow) {
    Recorder rec;
    Widget* below = makeWidget(scene, Rect(100, 100, 100, 100));
    Widget* above = makeWidget(scene, Rect(100, 100, 100, 100));
    rec.watch(below, "below");
    rec.watch(above, "above");
    input->frame();
    tap(Vec2(150, 150));
    EXPECT_EQ((std::vector<std::string>{"above.began", "above.ended", "above.click"}), rec.log);

    rec.log.clear();
    above->setSwallowTouches(false);
    EXPECT_FALSE(above->isSwallowTouches());
    tap(Vec2(150, 150));
    EXPECT_EQ(6u, rec.log.size());
    EXPECT_EQ("below.began", rec.log[1]);

    rec.log.clear();
    above->setTouchEnabled(false);
    tap(Vec2(150, 150));
    EXPECT_EQ("below.began", rec.log.front());
}

TEST_F(UiWidgetTest, ButtonStatesPicturesAndPressedZoom) {
    qptest::TempDir dir;
    std::string normal = writePng(dir, "n.png", 40, 20, 255, 0, 0);
    std::string pressed = writePng(dir, "p.png", 40, 20, 0, 255, 0);
    Button* b = Button::create(normal, pressed, dir.file("missing.png"));
    ASSERT_NE(nullptr, b);
    EXPECT_EQ(Size(40, 20), b->getContentSize());
    EXPECT_EQ(normal, b->getNormalFile());
    EXPECT_EQ("", b->getDisabledFile());
    b->setPosition(Vec2(100, 100));
    b->setPressedActionEnabled(true);
    scene->addChild(b);
    input->frame();

    input->touchBegan(0, Vec2(100, 100));
    EXPECT_TRUE(b->getRendererClicked()->isVisible());
    EXPECT_FALSE(b->getRendererNormal()->isVisible());
    EXPECT_FLOAT_EQ(1.1f, b->getRendererClicked()->getScale());
    input->touchEnded(0, Vec2(100, 100));
    EXPECT_TRUE(b->getRendererNormal()->isVisible());
    EXPECT_FLOAT_EQ(1.0f, b->getRendererNormal()->getScale());

    // Disabled without a disabled picture: the normal one shows, and touches do nothing.
    bool clicked = false;
    b->addClickEventListener([&](Ref*) { clicked = true; });
    b->setEnabled(false);
    EXPECT_TRUE(b->getRendererNormal()->isVisible());
    tap(Vec2(100, 100));
    EXPECT_FALSE(clicked);

    // Nine-patch with a size of its own.
    b->setScale9Enabled(true);
    b->setCapInsets(Rect(5, 5, 30, 10));
    b->setContentSize(Size(120, 60));
    EXPECT_EQ(Size(120, 60), b->getContentSize());
    EXPECT_EQ(Size(120, 60), b->getRendererNormal()->getContentSize());
    EXPECT_EQ(9, b->getRendererNormal()->getChildrenCount());

    b->setTitleText("OK");
    b->setTitleColor(Color3B(1, 2, 3));
    EXPECT_EQ("OK", b->getTitleText());
    EXPECT_EQ(Color3B(1, 2, 3), b->getTitleColor());
}

TEST_F(UiWidgetTest, SliderSetsIntegerPercentFromTheTouchAndReportsItsEvents) {
    qptest::TempDir dir;
    Slider* s = Slider::create(writePng(dir, "bar.png", 200, 10, 90, 90, 90),
                               writePng(dir, "ball.png", 16, 16, 0, 0, 255));
    ASSERT_NE(nullptr, s);
    s->loadProgressBarTexture(writePng(dir, "prog.png", 200, 10, 0, 200, 0));
    s->setAnchorPoint(Vec2::ZERO);
    s->setPosition(Vec2(100, 100));
    scene->addChild(s);
    std::vector<int> events;
    s->addEventListener([&](Ref*, Slider::EventType t) { events.push_back(static_cast<int>(t)); });
    input->frame();

    input->touchBegan(0, Vec2(150, 105)); // a quarter along
    EXPECT_EQ(25, s->getPercent());
    input->touchMoved(0, Vec2(233.4f, 105));
    EXPECT_EQ(67, s->getPercent());       // rounded to a whole percent
    input->touchMoved(0, Vec2(500, 105)); // past the end: clamped
    EXPECT_EQ(100, s->getPercent());
    input->touchEnded(0, Vec2(500, 105));
    EXPECT_EQ((std::vector<int>{1, 0, 0, 0, 2}), events);
    EXPECT_FLOAT_EQ(200.0f, s->getBallRenderer()->getPositionX());

    events.clear();
    s->setPercent(-3); // code sets no event
    EXPECT_EQ(0, s->getPercent());
    EXPECT_TRUE(events.empty());
    // A thin slider keeps a finger-sized target when its touch area is scaled up.
    s->setTouchScaled(2.0f);
    input->touchBegan(0, Vec2(200, 114)); // above the bar and the ball
    input->touchEnded(0, Vec2(200, 114));
    EXPECT_EQ(50, s->getPercent());
}

TEST_F(UiWidgetTest, CheckBoxTogglesOnReleaseAndShowsItsCross) {
    qptest::TempDir dir;
    CheckBox* box = CheckBox::create(writePng(dir, "box.png", 20, 20, 200, 200, 200),
                                     writePng(dir, "cross.png", 20, 20, 0, 0, 0));
    ASSERT_NE(nullptr, box);
    box->setPosition(Vec2(50, 50));
    scene->addChild(box);
    std::vector<int> events;
    box->addEventListener([&](Ref*, CheckBox::EventType t) { events.push_back(static_cast<int>(t)); });
    input->frame();
    EXPECT_FALSE(box->getFrontCrossRenderer()->isVisible());
    tap(Vec2(50, 50));
    EXPECT_TRUE(box->isSelected());
    EXPECT_TRUE(box->getFrontCrossRenderer()->isVisible());
    input->touchBegan(0, Vec2(50, 50));
    input->touchMoved(0, Vec2(150, 50));
    input->touchEnded(0, Vec2(150, 50)); // released off the box: no change
    EXPECT_TRUE(box->isSelected());
    tap(Vec2(50, 50));
    EXPECT_FALSE(box->isSelected());
    EXPECT_EQ((std::vector<int>{0, 1}), events);
}

TEST_F(UiWidgetTest, TextFollowsItsStringUntilGivenATextArea) {
    Text* t = Text::create("Hello", "", 20);
    ASSERT_NE(nullptr, t);
    Size one = t->getContentSize();
    EXPECT_GT(one.width, 0.0f);
    t->setString("Hello, world");
    EXPECT_GT(t->getContentSize().width, one.width);
    t->setTextAreaSize(Size(300, 40));
    t->setString("x");
    EXPECT_EQ(Size(300, 40), t->getContentSize());
    t->enableShadow();
    EXPECT_TRUE(t->isShadowEnabled());

    // A clone keeps name, text and properties.
    t->setName("title");
    auto* copy = dynamic_cast<Text*>(t->clone());
    ASSERT_NE(nullptr, copy);
    EXPECT_EQ("title", copy->getName());
    EXPECT_EQ("x", copy->getString());
    EXPECT_EQ(Size(300, 40), copy->getContentSize());
}

TEST_F(UiWidgetTest, WidgetsSeenThroughARenderWindowCameraAreHitWhereTheyAreDrawn) {
    // A render window at (200, 100), 200 x 150, whose camera maps the whole 800 x 600 view
    // into the window's rectangle.
    Node* holder = Node::create();
    holder->enableCameraVisitThroughtChild();
    scene->addChild(holder);
    Layout* window = Layout::create(); // clipping, drawn by the default camera
    window->setContentSize(Size(200, 150));
    window->setPosition(Vec2(200, 100));
    window->setClippingEnabled(true);
    holder->addChild(window);
    Camera* camera = Camera::createOrthographic(800, 600, -1000, 1000);
    camera->setCameraFlag(2);
    Mat4 scale, move;
    Mat4::createScale(200.0f / 800, 150.0f / 600, 1, &scale);
    Mat4::createTranslation(2 * 200.0f / 800 - 1 + 200.0f / 800, 2 * 100.0f / 600 - 1 + 150.0f / 600, 0,
                            &move);
    camera->setAdditionalProjection(move * scale);
    window->addChild(camera);

    Recorder rec;
    Widget* w = makeWidget(window, Rect(360, 280, 80, 40)); // the middle of the camera's view
    w->setCameraMask(2);
    w->removeCameraMask(1);
    rec.watch(w, "w");
    input->frame();

    tap(Vec2(600, 400)); // where it would be without the camera: nothing
    EXPECT_TRUE(rec.log.empty());
    tap(Vec2(300, 175)); // the window's centre, where it is drawn
    EXPECT_EQ((std::vector<std::string>{"w.began", "w.ended", "w.click"}), rec.log);
    rec.log.clear();
    tap(Vec2(300 + 12, 175)); // 80 wide in the view is 20 on screen: 12 to the right is outside
    EXPECT_TRUE(rec.log.empty());

    // A widget reaching past the window's right edge (screen 390..410) takes touches only
    // inside the window, which clips it.
    Widget* edge = makeWidget(window, Rect(760, 280, 80, 40));
    edge->setCameraMask(2);
    edge->removeCameraMask(1);
    rec.watch(edge, "edge");
    input->frame();
    tap(Vec2(405, 175));
    EXPECT_TRUE(rec.log.empty());
    tap(Vec2(395, 175));
    EXPECT_EQ("edge.click", rec.log.back());
}

TEST_F(UiWidgetTest, NinePatchesKeepCornersAndMirrorWhenFlipped) {
    qptest::TempDir dir;
    Scale9Sprite* s = Scale9Sprite::create(writePng(dir, "p.png", 30, 30, 9, 9, 9), Rect(10, 10, 10, 10));
    ASSERT_NE(nullptr, s);
    EXPECT_EQ(Size(30, 30), s->getOriginalSize());
    s->setPreferredSize(Size(100, 60));
    ASSERT_EQ(9, s->getChildrenCount());
    // Children run row by row from the top: the top-left corner keeps its 10 x 10 at the top.
    Node* topLeft = s->getChildren().at(0);
    EXPECT_EQ(Vec2(0, 50), topLeft->getPosition());
    EXPECT_FLOAT_EQ(1.0f, topLeft->getScaleX());
    Node* centre = s->getChildren().at(4);
    EXPECT_EQ(Vec2(10, 10), centre->getPosition());
    EXPECT_FLOAT_EQ(8.0f, centre->getScaleX()); // 10 points stretched to 80
    EXPECT_FLOAT_EQ(4.0f, centre->getScaleY());
    // Smaller than its two corners: the corners shrink together.
    s->setPreferredSize(Size(10, 60));
    EXPECT_FLOAT_EQ(0.5f, s->getChildren().at(0)->getScaleX());
    // Flipped: the first patch (top-left of the picture) lands at the right.
    s->setPreferredSize(Size(100, 60));
    s->setFlippedX(true);
    EXPECT_EQ(Vec2(90, 50), s->getChildren().at(0)->getPosition());
    // Nine-patch off: one patch stretched over the whole size.
    s->setScale9Enabled(false);
    ASSERT_EQ(1, s->getChildrenCount());
    EXPECT_FLOAT_EQ(100.0f / 30.0f, s->getChildren().at(0)->getScaleX());
    EXPECT_EQ(nullptr, Scale9Sprite::create(dir.file("missing.png")));
}
