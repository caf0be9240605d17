// The base layout's mouse hooks and their filter, the asynchronous image pump (order, at most
// one load in flight, supersession, failures, release of controls), and the picture view's
// pan and zoom by mouse and touches.

#include "WidgetsFixture.h"

#include <cmath>
#include <string>
#include <vector>

#include "2d/Sprite.h"
#include "framework/http_test_support.h"
#include "http/NSHttpClient.h"
#include "layout/NSLayout.h"
#include "picture/NSInteractorImage.h"
#include "picture/NSSpriteView.h"
#include "renderer/TextureCache.h"
#include "ui/ImageView.h"

using namespace cocos2d;
using namespace NSUI;

namespace {

// A layout that records its hooks with the button flags seen while each ran.
class Recorder : public NSLayout {
public:
    static Recorder* create(bool consume) {
        auto* r = new Recorder();
        r->init();
        r->autorelease();
        r->consume = consume;
        return r;
    }
    bool onMouseDown(float x, float y) override { return note("down", x, y); }
    bool onMouseUp(float x, float y) override { return note("up", x, y); }
    bool onMouseMove(float x, float y) override { return note("move", x, y); }
    bool onMouseScroll(float x, float y, float) override { return note("wheel", x, y); }
    std::string flags() const {
        return std::string(leftButtonDown ? "L" : "") + (rightButtonDown ? "R" : "") +
               (middleButtonDown ? "M" : "");
    }
    bool note(const char* what, float x, float y) {
        log.push_back(std::string(what) + ":" + flags());
        last = Vec2(x, y);
        return consume;
    }
    std::vector<std::string> log;
    Vec2 last;
    bool consume = false;
};

class LayoutTest : public qptest::WidgetsFixture {
protected:
    Recorder* place(Node* parent, bool consume, const Rect& r) {
        Recorder* rec = Recorder::create(consume);
        rec->setContentSize(r.size);
        rec->setPosition(r.origin);
        parent->addChild(rec);
        return rec;
    }
};

TEST_F(LayoutTest, HooksRunOnlyStrictlyInsideAVisibleLayout) {
    Recorder* r = place(scene, false, Rect(100, 100, 200, 100));
    input->mouseDown(Vec2(100, 150), 0); // left edge
    input->mouseUp(Vec2(100, 150), 0);
    input->mouseDown(Vec2(300, 150), 0); // right edge
    input->mouseUp(Vec2(300, 150), 0);
    input->mouseMove(Vec2(150, 200)); // top edge
    EXPECT_TRUE(r->log.empty());
    input->mouseMove(Vec2(150, 150));
    EXPECT_EQ(r->log, (std::vector<std::string>{"move:"}));
    EXPECT_EQ(r->last, Vec2(50, 50));

    Node* parent = Node::create();
    scene->addChild(parent);
    Recorder* hidden = place(parent, false, Rect(400, 100, 200, 100));
    parent->setVisible(false);
    input->mouseMove(Vec2(500, 150));
    input->mouseScroll(0, 1);
    EXPECT_TRUE(hidden->log.empty());

    // Drawn by another camera only: no hooks.
    Recorder* other = place(scene, false, Rect(100, 300, 200, 100));
    other->setCameraMask(2);
    other->removeCameraMask(1);
    input->mouseMove(Vec2(150, 350));
    EXPECT_TRUE(other->log.empty());
}

TEST_F(LayoutTest, ButtonFlagsAreSetDuringThePressAndClearedAfterTheRelease) {
    Recorder* r = place(scene, false, Rect(100, 100, 200, 100));
    input->mouseDown(Vec2(150, 150), 1);
    input->mouseMove(Vec2(160, 150));
    input->mouseUp(Vec2(160, 150), 1);
    input->mouseMove(Vec2(170, 150));
    EXPECT_EQ(r->log, (std::vector<std::string>{"down:R", "move:R", "up:R", "move:"}));

    // A press that ends outside still ends: a later plain move is no drag.
    r->log.clear();
    input->mouseDown(Vec2(150, 150), 0);
    input->mouseUp(Vec2(500, 500), 0);
    input->mouseMove(Vec2(150, 150));
    EXPECT_EQ(r->log, (std::vector<std::string>{"down:L", "move:"}));
}

TEST_F(LayoutTest, AConsumingHookStopsTheEvent) {
    Recorder* outer = place(scene, false, Rect(0, 0, 800, 600));
    Recorder* inner = place(outer, true, Rect(100, 100, 200, 100));
    input->mouseMove(Vec2(150, 150));
    EXPECT_EQ(inner->log.size(), 1u);
    EXPECT_TRUE(outer->log.empty());
    inner->consume = false;
    input->mouseMove(Vec2(160, 150));
    EXPECT_EQ(outer->log.size(), 1u);
}

// A screen that counts the replies reaching it.
class Replies : public NSLayout {
public:
    static Replies* create() {
        auto* r = new Replies();
        r->init();
        r->autorelease();
        return r;
    }
    void onHttpResponse(UIHttpResponse*) override { ++replies; }
    int replies = 0;
};

TEST_F(LayoutTest, ALayoutCleanedUpGetsNoMoreReplies) {
    {
        httptest::TestHttpServer server;
        server.script(httptest::Reply::delayed(150));
        server.script(httptest::Reply::delayed(150));
        Replies* gone = Replies::create();
        Replies* stays = Replies::create();
        scene->addChild(gone);
        scene->addChild(stays);
        gone->get(server.url("/a"), "", "a");
        stays->get(server.url("/b"), "", "b");
        gone->retain();
        gone->removeFromParent(); // clean-up withdraws its requests
        ASSERT_TRUE(httptest::waitUntil([&] { return stays->replies == 1; }));
        httptest::pumpFor(300);
        EXPECT_EQ(gone->replies, 0);
        gone->release();
    }
    NSHttpClient::destroyInstance();
}

// --- image pump -----------------------------------------------------------------------------

class PumpTest : public LayoutTest {
protected:
    void SetUp() override {
        LayoutTest::SetUp();
        for (int i = 0; i < 3; ++i)
            files.push_back(writePng(dir, "p" + std::to_string(i) + ".png", 40 + 10 * i, 20));
        owner = NSLayout::create(); // not on screen: the test pumps by hand
        owner->retain();
        for (int i = 0; i < 3; ++i) {
            views.push_back(ui::ImageView::create());
            views.back()->retain();
        }
    }
    void TearDown() override {
        if (owner)
            owner->release();
        for (auto* v : views)
            v->release();
        director->getTextureCache()->removeAllTextures();
        LayoutTest::TearDown();
    }
    bool settle() {
        return frameUntil([this] { return !owner->isImageLoadInFlight(); });
    }

    qptest::TempDir dir;
    std::vector<std::string> files;
    NSLayout* owner = nullptr;
    std::vector<ui::ImageView*> views;
};

TEST_F(PumpTest, LoadsStartOneAtATimeInQueueOrder) {
    for (int i = 0; i < 3; ++i)
        owner->loadImageToView(views[i], files[i], Size(100, 100));
    EXPECT_EQ(owner->getPendingImageLoadCount(), 3u);
    owner->startNextImageLoad();
    owner->startNextImageLoad(); // still in flight: nothing more starts
    EXPECT_EQ(owner->getPendingImageLoadCount(), 2u);
    ASSERT_TRUE(settle());
    EXPECT_EQ(views[0]->getTextureFile(), files[0]);
    EXPECT_FLOAT_EQ(views[0]->getScale(), 2.5f); // 40 x 20 fitted into 100 x 100
    EXPECT_EQ(views[1]->getTextureFile(), "");
    owner->startNextImageLoad();
    ASSERT_TRUE(settle());
    owner->startNextImageLoad();
    ASSERT_TRUE(settle());
    EXPECT_EQ(views[2]->getTextureFile(), files[2]);

    // Cached now: applied at once, nothing queued.
    owner->loadImageToView(views[1], files[2], Size(60, 60));
    owner->loadImageToView(views[1], files[2], Size(60, 60));
    EXPECT_EQ(owner->getPendingImageLoadCount(), 0u);
    EXPECT_FLOAT_EQ(views[1]->getScale(), 1.0f);
}

TEST_F(PumpTest, ANewRequestForAControlSupersedesItsEarlierLoads) {
    owner->loadImageToView(views[0], files[0], Size(100, 100));
    owner->startNextImageLoad(); // files[0] in flight for view 0
    owner->loadImageToView(views[0], files[1], Size(100, 100));
    owner->queueImageLoad(views[0], files[2]); // replaces the queued files[1] as well
    EXPECT_EQ(owner->getPendingImageLoadCount(), 1u);
    ASSERT_TRUE(settle());
    EXPECT_EQ(views[0]->getTextureFile(), ""); // the superseded picture is not shown
    owner->startNextImageLoad();
    ASSERT_TRUE(settle());
    EXPECT_EQ(views[0]->getTextureFile(), files[2]);
}

TEST_F(PumpTest, AFailedPictureDoesNotHoldUpTheQueue) {
    owner->loadImageToView(views[0], dir.file("missing.png"), Size(100, 100));
    owner->loadImageToView(views[1], files[1], Size(100, 100));
    owner->startNextImageLoad();
    ASSERT_TRUE(settle());
    EXPECT_FLOAT_EQ(views[0]->getScale(), 1.0f);
    owner->startNextImageLoad();
    ASSERT_TRUE(settle());
    EXPECT_EQ(views[1]->getTextureFile(), files[1]);
}

TEST_F(PumpTest, FittingUsesTheSmallerRatioAndSkipsEmptyPictures) {
    EXPECT_FLOAT_EQ(UIControlGenerater::fitScale(Size(400, 200), Size(100, 100)), 0.25f);
    EXPECT_FLOAT_EQ(UIControlGenerater::fitScale(Size(0, 0), Size(100, 100)), 0.0f);
    std::string wide = writePng(dir, "wide.png", 400, 200);
    ASSERT_NE(director->getTextureCache()->addImage(wide), nullptr);
    Sprite* sprite = Sprite::create();
    owner->loadImageToViewScaled(sprite, wide, Size(100, 100), 2.0f);
    EXPECT_FLOAT_EQ(sprite->getScaleX(), 0.5f);
    EXPECT_FLOAT_EQ(sprite->getScaleY(), 0.25f);
}

TEST_F(PumpTest, DestroyedOwnerReleasesItsControlsAndGetsNoCompletion) {
    input->frame(); // the views' creation references leave the autorelease pool
    unsigned before = views[1]->getReferenceCount();
    owner->loadImageToView(views[0], files[0], Size(100, 100));
    owner->loadImageToView(views[1], files[1], Size(100, 100));
    owner->startNextImageLoad();
    EXPECT_EQ(views[1]->getReferenceCount(), before + 1);
    owner->release();
    owner = nullptr;
    input->frame(); // drains the autorelease pool that still held the layout
    EXPECT_EQ(views[1]->getReferenceCount(), before);
    input->advance(0.5f);
    EXPECT_EQ(views[0]->getTextureFile(), "");
}

TEST_F(PumpTest, ALayoutOnScreenPumpsByItself) {
    NSLayout* screen = NSLayout::create();
    scene->addChild(screen);
    screen->onEnterTransitionDidFinish();
    screen->loadImageToView(views[0], files[0], Size(10, 10));
    screen->loadImageToView(views[1], files[1], Size(10, 10));
    ASSERT_TRUE(frameUntil([&] { return views[1]->getTextureFile() == files[1]; }));
    EXPECT_EQ(views[0]->getTextureFile(), files[0]);
}

// --- picture view ---------------------------------------------------------------------------

class PictureTest : public LayoutTest {
protected:
    NSSpriteView* makeView(const Rect& r) {
        NSSpriteView* v = NSSpriteView::create();
        v->setContentSize(r.size);
        v->setPosition(r.origin);
        scene->addChild(v);
        v->setImage(dir.file("none.png"));
        return v;
    }
    float scaleOf(NSSpriteView* v) { return v->getImageView()->getScale(); }
    qptest::TempDir dir;
};

TEST_F(PictureTest, MissingPictureShowsThePlaceholderAtScaleOne) {
    NSSpriteView* v = makeView(Rect(100, 100, 400, 300));
    EXPECT_EQ(v->getImagePath(), NSSpriteView::kNoPicture);
    EXPECT_FLOAT_EQ(scaleOf(v), 1.0f);
    EXPECT_EQ(v->getImageView()->getPosition(), Vec2(200, 150));

    std::string real = writePng(dir, "real.png", 800, 300);
    v->setImage(real);
    EXPECT_EQ(v->getImagePath(), real);
    v->onEnterTransitionDidFinish();
    ASSERT_TRUE(frameUntil([&] { return v->getImageView()->getTextureFile() == real; }));
    EXPECT_FLOAT_EQ(scaleOf(v), 0.5f);
}

TEST_F(PictureTest, WheelZoomsWithoutLimitsAndRightDragWithinThem) {
    NSSpriteView* v = makeView(Rect(100, 100, 400, 300));
    for (int i = 0; i < 10; ++i)
        input->mouseScroll(Vec2(300, 250), 0, 1);
    EXPECT_NEAR(scaleOf(v), std::pow(0.9f, 10), 1e-5);

    auto rightDrag = [&](const Vec2& delta) {
        input->mouseDown(Vec2(300, 250), 1);
        input->mouseMove(Vec2(300, 250) + delta);
        input->mouseUp(Vec2(300, 250) + delta, 1);
    };
    v->getImageView()->setScale(0.099f);
    rightDrag(Vec2(0, -5));
    EXPECT_FLOAT_EQ(scaleOf(v), 0.099f);
    rightDrag(Vec2(0, 5));
    EXPECT_FLOAT_EQ(scaleOf(v), 0.099f * 1.05f);
    v->getImageView()->setScale(10.01f);
    rightDrag(Vec2(0, 5));
    EXPECT_FLOAT_EQ(scaleOf(v), 10.01f);
    rightDrag(Vec2(0, -5));
    EXPECT_FLOAT_EQ(scaleOf(v), 10.01f * 0.95f);
    v->getImageView()->setScale(1.0f);
    rightDrag(Vec2(8, 3)); // mostly sideways: no zoom
    EXPECT_FLOAT_EQ(scaleOf(v), 1.0f);
}

TEST_F(PictureTest, LeftDragMovesThePictureOnce) {
    NSSpriteView* v = makeView(Rect(100, 100, 400, 300));
    Vec2 start = v->getImageView()->getPosition();
    input->mouseDown(Vec2(300, 250), 0);
    input->mouseMove(Vec2(310, 255));
    input->mouseMove(Vec2(330, 245));
    input->mouseUp(Vec2(330, 245), 0);
    EXPECT_EQ(v->getImageView()->getPosition(), start + Vec2(30, -5));
    EXPECT_FALSE(NSInteractorBase::isGestureInProgress());
}

TEST_F(PictureTest, GesturesBelongToOneViewAtATime) {
    NSSpriteView* a = makeView(Rect(0, 0, 300, 300));
    NSSpriteView* b = makeView(Rect(400, 0, 300, 300));
    Vec2 aStart = a->getImageView()->getPosition();
    Vec2 bStart = b->getImageView()->getPosition();
    input->touchBegan(5, Vec2(350, 100)); // between the views: no gesture
    EXPECT_FALSE(NSInteractorBase::isGestureInProgress());
    input->touchEnded(5, Vec2(350, 100));

    input->touchBegan(0, Vec2(100, 100));
    input->touchMoved(0, Vec2(110, 100));
    EXPECT_EQ(a->getImageView()->getPosition(), aStart + Vec2(10, 0));
    input->touchBegan(1, Vec2(500, 100));
    input->touchMoved(1, Vec2(520, 100));
    EXPECT_EQ(b->getImageView()->getPosition(), bStart);
    input->touchEnded(1, Vec2(520, 100));
    input->touchEnded(0, Vec2(110, 100));
    // Once every finger is up the other view takes gestures again.
    input->touchBegan(0, Vec2(500, 100));
    input->touchMoved(0, Vec2(505, 100));
    input->touchEnded(0, Vec2(505, 100));
    EXPECT_EQ(b->getImageView()->getPosition(), bStart + Vec2(5, 0));

    // A hidden view takes nothing; a view that goes away mid-gesture frees the others.
    b->setVisible(false);
    input->touchBegan(0, Vec2(500, 100));
    EXPECT_FALSE(NSInteractorBase::isGestureInProgress());
    input->touchEnded(0, Vec2(500, 100));
    input->touchBegan(0, Vec2(100, 100));
    ASSERT_TRUE(NSInteractorBase::isGestureInProgress());
    a->removeFromParent();
    EXPECT_FALSE(NSInteractorBase::isGestureInProgress());
    input->touchEnded(0, Vec2(100, 100));
}

TEST_F(PictureTest, PinchZoomsAndLiftingAFingerEndsIt) {
    NSSpriteView* v = makeView(Rect(100, 100, 400, 300));
    input->touchesBegan({0, 1}, {Vec2(250, 250), Vec2(350, 250)});
    input->touchesMoved({0, 1}, {Vec2(200, 250), Vec2(400, 250)});
    EXPECT_FLOAT_EQ(scaleOf(v), 2.0f);
    input->touchesMoved({0, 1}, {Vec2(225, 250), Vec2(375, 250)});
    EXPECT_FLOAT_EQ(scaleOf(v), 1.5f);
    // Both fingers moved up by 20 on average: the picture follows.
    Vec2 at = v->getImageView()->getPosition();
    input->touchesMoved({0, 1}, {Vec2(225, 290), Vec2(375, 250)});
    EXPECT_EQ(v->getImageView()->getPosition(), at + Vec2(0, 20));

    input->touchEnded(1, Vec2(375, 250));
    at = v->getImageView()->getPosition();
    float scale = scaleOf(v);
    input->touchMoved(0, Vec2(150, 150));
    EXPECT_EQ(v->getImageView()->getPosition(), at);
    EXPECT_FLOAT_EQ(scaleOf(v), scale);
    input->touchEnded(0, Vec2(150, 150));
    EXPECT_FALSE(NSInteractorBase::isGestureInProgress());

    // Fingers that start on top of each other give no ratio to zoom by.
    input->touchesBegan({0, 1}, {Vec2(300, 250), Vec2(301, 250)});
    input->touchesMoved({0, 1}, {Vec2(250, 250), Vec2(350, 250)});
    EXPECT_FLOAT_EQ(scaleOf(v), scale);
    input->touchesEnded({0, 1}, {Vec2(250, 250), Vec2(350, 250)});
}

} // namespace
