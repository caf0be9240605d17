// Design resolution policies, point conversion, the director's matrix stacks and projections,
// all without a window.

#include <gtest/gtest.h>

#include "cocos2d.h"

using namespace cocos2d;

namespace {

Vec2 toNdc(const Mat4& m, float x, float y)
{
    Vec4 clip = m * Vec4(x, y, 0, 1);
    return Vec2(clip.x / clip.w, clip.y / clip.w);
}

} // namespace

TEST(DesignResolution, PoliciesScaleAndPlaceTheDesignArea)
{
    NullGLView* view = NullGLView::createWithFrameSize("t", Size(1000, 500));
    EXPECT_EQ(Size(1000, 500), view->getDesignResolutionSize()); // one point per pixel at first

    view->setDesignResolutionSize(500, 500, ResolutionPolicy::SHOW_ALL);
    EXPECT_FLOAT_EQ(1.0f, view->getScaleX());
    EXPECT_EQ(Rect(250, 0, 500, 500), view->getViewPortRect()); // bars left and right

    view->setDesignResolutionSize(500, 500, ResolutionPolicy::NO_BORDER);
    EXPECT_FLOAT_EQ(2.0f, view->getScaleY());
    EXPECT_EQ(Size(500, 250), view->getVisibleSize());
    EXPECT_EQ(Vec2(0, 125), view->getVisibleOrigin());

    view->setDesignResolutionSize(500, 500, ResolutionPolicy::EXACT_FIT);
    EXPECT_FLOAT_EQ(2.0f, view->getScaleX());
    EXPECT_FLOAT_EQ(1.0f, view->getScaleY());

    view->setDesignResolutionSize(300, 250, ResolutionPolicy::FIXED_HEIGHT);
    EXPECT_EQ(Size(500, 250), view->getDesignResolutionSize()); // the width follows the frame
    EXPECT_EQ(Size(500, 250), Director::getInstance()->getWinSize());
    EXPECT_EQ(Rect(0, 0, 1000, 500), view->getViewPortRect());

    view->setDesignResolutionSize(250, 100, ResolutionPolicy::FIXED_WIDTH);
    EXPECT_EQ(Size(250, 125), view->getDesignResolutionSize());

    // Refused sizes leave the last good one.
    view->setDesignResolutionSize(0, 100, ResolutionPolicy::SHOW_ALL);
    EXPECT_EQ(Size(250, 125), view->getDesignResolutionSize());

    // A new frame size keeps the policy.
    view->setFrameSize(500, 250);
    EXPECT_FLOAT_EQ(2.0f, view->getScaleX());
    EXPECT_EQ(Size(250, 125), view->getDesignResolutionSize());
}

TEST(DesignResolution, FramePixelsBecomeDesignPointsWithYUp)
{
    NullGLView* view = NullGLView::createWithFrameSize("t", Size(800, 400));
    view->setDesignResolutionSize(400, 400, ResolutionPolicy::SHOW_ALL); // 1:1, bars of 200
    EXPECT_EQ(Vec2(0, 400), view->convertFramePointToDesign(200, 0)); // top-left of the area
    EXPECT_EQ(Vec2(400, 0), view->convertFramePointToDesign(600, 400));
    view->setDesignResolutionSize(400, 200, ResolutionPolicy::EXACT_FIT); // 2:2
    EXPECT_EQ(Vec2(50, 150), view->convertFramePointToDesign(100, 100));
    EXPECT_FALSE(view->windowShouldClose());
    view->end();
    EXPECT_TRUE(view->windowShouldClose());
}

TEST(DirectorMatrices, StacksPushPopAndKeepTheirBottom)
{
    Director* d = Director::getInstance();
    d->resetMatrixStack();
    Mat4 t;
    Mat4::createTranslation(1, 2, 3, &t);
    d->pushMatrix(MATRIX_STACK_TYPE::MATRIX_STACK_PROJECTION);
    d->loadMatrix(MATRIX_STACK_TYPE::MATRIX_STACK_PROJECTION, t);
    d->multiplyMatrix(MATRIX_STACK_TYPE::MATRIX_STACK_PROJECTION, t);
    EXPECT_FLOAT_EQ(2.0f, d->getMatrix(MATRIX_STACK_TYPE::MATRIX_STACK_PROJECTION).m[12]);
    EXPECT_EQ(Mat4::IDENTITY, d->getMatrix(MATRIX_STACK_TYPE::MATRIX_STACK_MODELVIEW));
    d->popMatrix(MATRIX_STACK_TYPE::MATRIX_STACK_PROJECTION);
    EXPECT_EQ(Mat4::IDENTITY, d->getMatrix(MATRIX_STACK_TYPE::MATRIX_STACK_PROJECTION));
    // One pop too many leaves the bottom matrix in place instead of an empty stack.
    d->popMatrix(MATRIX_STACK_TYPE::MATRIX_STACK_PROJECTION);
    d->loadIdentityMatrix(MATRIX_STACK_TYPE::MATRIX_STACK_PROJECTION);
    EXPECT_EQ(Mat4::IDENTITY, d->getMatrix(MATRIX_STACK_TYPE::MATRIX_STACK_PROJECTION));
}

TEST(DirectorMatrices, ProjectionsMapTheDesignAreaToTheWholeView)
{
    Director* d = Director::getInstance();
    d->setWinSize(Size(400, 300));
    for (auto p : {Director::Projection::_2D, Director::Projection::_3D}) {
        d->setProjection(p);
        const Mat4& m = d->getMatrix(MATRIX_STACK_TYPE::MATRIX_STACK_PROJECTION);
        Vec2 low = toNdc(m, 0, 0), high = toNdc(m, 400, 300), mid = toNdc(m, 200, 150);
        EXPECT_NEAR(-1.0f, low.x, 1e-4);
        EXPECT_NEAR(-1.0f, low.y, 1e-4);
        EXPECT_NEAR(1.0f, high.x, 1e-4);
        EXPECT_NEAR(1.0f, high.y, 1e-4);
        EXPECT_NEAR(0.0f, mid.x, 1e-4);
        EXPECT_EQ(p, d->getProjection());
    }
    EXPECT_NEAR(300 / 1.1547005f, d->getZEye(), 1e-3);
    d->resetMatrixStack();
}

TEST(DirectorFrames, RestartedAnimationDoesNotCountTheStoppedTime)
{
    Director* d = Director::getInstance();
    d->reset();
    double now = 10.0;
    d->setClock([&] { return now; });
    d->mainLoop();
    now += 0.02;
    d->mainLoop();
    EXPECT_NEAR(0.02f, d->getDeltaTime(), 1e-5);
    d->stopAnimation();
    EXPECT_FALSE(d->isAnimating());
    now += 30.0; // minimised for half a minute
    d->mainLoop();
    d->startAnimation();
    d->mainLoop();
    EXPECT_FLOAT_EQ(0.0f, d->getDeltaTime());
    now += 0.016;
    d->mainLoop();
    EXPECT_NEAR(0.016f, d->getDeltaTime(), 1e-5);
    // A clock that goes backwards gives no negative frame time.
    now -= 5.0;
    d->mainLoop();
    EXPECT_FLOAT_EQ(0.0f, d->getDeltaTime());
    d->setClock(nullptr);
}

TEST(Configuration, MaxTextureSizeIsUsableWithoutAContext)
{
    // Size checks made before any window exists must not refuse every image.
    EXPECT_EQ(Configuration::kMaxTextureSizeWithoutContext, Configuration::getInstance()->getMaxTextureSize());
}
