// Gestures from injected touches on a test clock: taps, double taps, swipes, drags, pinches,
// and one gesture at a time across viewports.

#include <gtest/gtest.h>

#include <cmath>

#include "WindowFixture.h"
#include "imaging/display/interactor/isInteractorBase.h"

using namespace cocos2d;
using namespace displaytest;
using isImageSDK::isInteractorBase;

namespace {

class Recording : public isInteractorBase {
public:
    static Recording* create() { return createObject<Recording>(); }
    void singleTouchBegan(Touch*) override { ++presses; }
    void onDoubleTap(const Vec2&) override { ++doubleTaps; }
    void onTap(const Vec2& p) override
    {
        ++taps;
        tapPoint = p;
    }
    void onSwipe(const Vec2&, const Vec2&) override { ++swipes; }
    void onDrag(const Vec2& delta, float) override { dragged += delta; }
    void onPinch(float scale, float) override
    {
        ++pinches;
        lastScale = scale;
    }
    void onTwoFingerPan(const Vec2& delta) override { panned += delta; }
    int presses = 0, doubleTaps = 0, taps = 0, swipes = 0, pinches = 0;
    float lastScale = 0.0f;
    Vec2 tapPoint, dragged, panned;
};

class Gestures : public WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        window = addWindow(Vec2(100, 100), Size(400, 300));
        other = addWindow(Vec2(500, 100), Size(200, 300));
        gestures = Recording::create();
        gestures->setRenderWindow(window);
        window->setInteractor(gestures);
        otherGestures = Recording::create();
        otherGestures->setRenderWindow(other);
        other->setInteractor(otherGestures);
    }
    void TearDown() override
    {
        input->reset();
        WindowFixture::TearDown();
    }
    /// Press and release at one point, `held` seconds apart.
    void tap(Vec2 at, float held = 0.01f)
    {
        input->touchBegan(0, at);
        input->advance(held);
        input->touchEnded(0, at);
    }
    TestWindow* window = nullptr;
    TestWindow* other = nullptr;
    Recording* gestures = nullptr;
    Recording* otherGestures = nullptr;
};

} // namespace

TEST_F(Gestures, DoubleTapNeedsTheSecondPressWithin180Milliseconds)
{
    tap(Vec2(200, 200));
    EXPECT_EQ(gestures->taps, 1);
    EXPECT_EQ(gestures->tapPoint, Vec2(100, 100)) << "in the window's own space";
    input->advance(0.17f);
    tap(Vec2(200, 200)); // 180 ms after the first press
    EXPECT_EQ(gestures->doubleTaps, 1);

    input->advance(0.5f);
    tap(Vec2(200, 200));
    input->advance(0.171f);
    tap(Vec2(200, 200)); // 181 ms
    EXPECT_EQ(gestures->doubleTaps, 1);
    EXPECT_EQ(gestures->presses, 3);
}

TEST_F(Gestures, SwipeIsAFastLongMoveAndTapAShortOne)
{
    input->touchBegan(0, Vec2(150, 200));
    input->advance(0.1f);
    input->touchMoved(0, Vec2(350, 200));
    input->touchEnded(0, Vec2(350, 200));
    EXPECT_EQ(gestures->swipes, 1);
    EXPECT_EQ(gestures->dragged, Vec2(200, 0));

    input->advance(0.5f);
    input->touchBegan(0, Vec2(150, 200));
    input->advance(0.13f);
    input->touchMoved(0, Vec2(350, 200));
    input->touchEnded(0, Vec2(350, 200));
    EXPECT_EQ(gestures->swipes, 1);
    EXPECT_EQ(gestures->taps, 0);
}

TEST_F(Gestures, AMoveOfMoreThanTwoPointsEndsTheTapCandidate)
{
    input->touchBegan(0, Vec2(200, 200));
    input->touchMoved(0, Vec2(202, 200));
    EXPECT_TRUE(gestures->isTapCandidate());
    input->touchMoved(0, Vec2(203, 200));
    EXPECT_FALSE(gestures->isTapCandidate());
    input->touchEnded(0, Vec2(203, 200));
}

TEST_F(Gestures, PressesOutsideOrElsewhereStartNothingAndLeaveNoFingersBehind)
{
    Recorder touched;
    touched.listen(9096, window);
    input->touchBegan(3, Vec2(50, 50)); // outside both windows
    EXPECT_FALSE(isInteractorBase::isGestureInProgress());
    EXPECT_TRUE(gestures->getTrackedTouches().empty());
    input->touchEnded(3, Vec2(50, 50));

    input->touchBegan(0, Vec2(200, 200));
    EXPECT_TRUE(gestures->isOneFingerMode()) << "no rejected finger counts as a second one";
    EXPECT_EQ(isInteractorBase::getGestureOwner(), gestures);
    input->touchBegan(1, Vec2(600, 200)); // in the other viewport while this one owns the gesture
    EXPECT_FALSE(otherGestures->isActive());
    EXPECT_EQ(otherGestures->presses, 0);
    input->touchesEnded({0, 1}, {Vec2(200, 200), Vec2(600, 200)});
    EXPECT_FALSE(isInteractorBase::isGestureInProgress());
    input->frame();
    input->frame();
    EXPECT_EQ(touched.count(9096), 1);
}

TEST_F(Gestures, TwoFingersPinchAndPanAndFingersOnOnePointNeverDivide)
{
    input->touchesBegan({0, 1}, {Vec2(200, 200), Vec2(300, 200)});
    EXPECT_FALSE(gestures->isOneFingerMode());
    input->touchesMoved({0, 1}, {Vec2(180, 210), Vec2(320, 210)});
    EXPECT_EQ(gestures->pinches, 1);
    EXPECT_NEAR(gestures->lastScale, 1.4f, 1e-5f);
    EXPECT_EQ(gestures->panned, Vec2(0, 10));
    input->touchesEnded({0, 1}, {Vec2(180, 210), Vec2(320, 210)});
    EXPECT_FALSE(isInteractorBase::isGestureInProgress());

    input->touchesBegan({0, 1}, {Vec2(250, 250), Vec2(250, 250)});
    input->touchesMoved({0, 1}, {Vec2(240, 250), Vec2(260, 250)});
    EXPECT_EQ(gestures->pinches, 1) << "no start distance, no scale";
    input->touchesEnded({0, 1}, {Vec2(240, 250), Vec2(260, 250)});
}

TEST_F(Gestures, AWindowSetInvisibleTakesNoGesture)
{
    window->setVisible(false);
    input->touchBegan(0, Vec2(200, 200));
    EXPECT_FALSE(isInteractorBase::isGestureInProgress());
    input->touchEnded(0, Vec2(200, 200));
    EXPECT_EQ(gestures->taps, 0);
}
