// Render windows without a display: camera flags, the camera-moved, redraw and geometry
// notifications, zoom limits of the mouse, and linked windows that follow each other.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "WindowFixture.h"
#include "imaging/core/data/isImageData.h"
#include "imaging/display/isNodeSprite.h"

using namespace cocos2d;
using namespace displaytest;
using isImageSDK::isRenderWindow;

namespace {

const unsigned int kMoved = 9089;
const unsigned int kRedraw = 9091;
const unsigned int kGeometry = 9098;
const std::vector<unsigned int> kLinkIds = {9017, 9065, 9066, 9096};

unsigned short flagOf(isImageSDK::isCamera* camera) { return static_cast<unsigned short>(camera->getCameraFlag()); }

class RenderWindow : public WindowFixture {
protected:
    /// Two windows side by side, each linked to the other.
    std::pair<TestWindow*, TestWindow*> linkedPair()
    {
        TestWindow* first = addWindow(Vec2(0, 0), Size(300, 200), kLinkIds);
        TestWindow* second = addWindow(Vec2(300, 0), Size(300, 200), kLinkIds);
        first->setLinkedWindow(second);
        second->setLinkedWindow(first);
        frames(2);
        return {first, second};
    }
};

} // namespace

TEST_F(RenderWindow, CamerasTakeTheSmallestFreeFlagsAndNodesFollowTheirWindow)
{
    TestWindow* a = addWindow(Vec2(0, 0), Size(200, 200));
    TestWindow* b = addWindow(Vec2(200, 0), Size(200, 200));
    EXPECT_EQ(flagOf(a->getSceneCamera()), 2);
    EXPECT_EQ(flagOf(a->getOverlayCamera()), 3);
    EXPECT_EQ(flagOf(b->getSceneCamera()), 4);
    EXPECT_EQ(flagOf(b->getOverlayCamera()), 5);

    Node* node = Node::create();
    b->addSceneNode(node);
    EXPECT_TRUE(node->hasCameraFlag(4));
    EXPECT_FALSE(node->hasCameraFlag(2));
    EXPECT_FALSE(node->hasCameraFlag(1) && node->hasCameraFlag(2));
    EXPECT_TRUE(b->getBackground()->hasCameraFlag(4));
    EXPECT_FALSE(b->getBackground()->hasCameraFlag(1)) << "the screen's camera never draws the world";

    a->removeFromParentAndCleanup(true);
    TestWindow* c = addWindow(Vec2(0, 0), Size(200, 200));
    EXPECT_EQ(flagOf(c->getSceneCamera()), 2) << "a removed window's flags are free again";
    EXPECT_EQ(flagOf(c->getOverlayCamera()), 3);
}

TEST_F(RenderWindow, ABurstOfCameraMovesLeavesOnePendingNoticePerObserver)
{
    TestWindow* window = addWindow(Vec2(0, 0), Size(300, 200));
    frames(3);
    Recorder first;
    Recorder second;
    first.listen(kMoved, window);
    second.listen(kMoved, window);
    const Vec3 start = window->getFocalPoint();
    for (int i = 0; i < 10; ++i)
        window->panBy(5.0f, 0.0f);
    EXPECT_GT(window->getFocalPoint().distance(start), 1.0f);
    frames(10);
    EXPECT_EQ(first.count(kMoved), 1);
    EXPECT_EQ(second.count(kMoved), 1);
}

TEST_F(RenderWindow, MovesThatCannotBeMappedOrScaledChangeNothing)
{
    isRenderWindow* plain = isRenderWindow::create();
    plain->setContentSize(Size(300, 200));
    scene->addChild(plain);
    TestWindow* window = addWindow(Vec2(0, 0), Size(300, 200));
    frames(2);
    Recorder recorder;
    recorder.listen(kMoved, plain);
    recorder.listen(kMoved, window);

    const Vec3 before = plain->getFocalPoint();
    plain->panBy(40.0f, 10.0f);
    EXPECT_EQ(plain->getFocalPoint(), before) << "no mapping from screen to world, no pan";

    const float ratio = window->getZoomRatio();
    for (float bad : {0.0f, -2.0f, std::numeric_limits<float>::infinity(), std::nanf("")})
        window->zoomBy(bad);
    window->setZoomRatio(0.0f);
    EXPECT_FLOAT_EQ(window->getZoomRatio(), ratio);
    frames(4);
    EXPECT_TRUE(recorder.entries.empty());

    window->setZoomRatio(2.5f);
    EXPECT_NEAR(window->getZoomRatio(), 2.5f, 1e-5f);
}

TEST_F(RenderWindow, OneRedrawNoticePerDrawnFrameAndNoneWhileHidden)
{
    TestWindow* window = addWindow(Vec2(0, 0), Size(300, 200));
    frames(1);
    Recorder recorder;
    recorder.listen(kRedraw, window);
    frames(1);
    recorder.entries.clear();
    // Drawn callbacks run in the drawn frame itself; one may drop another.
    int drawn = 0, dropped = 0;
    window->setDrawnCallback(&drawn, [&] {
        ++drawn;
        window->removeDrawnCallback(&dropped);
    });
    window->setDrawnCallback(&dropped, [&] { ++dropped; });
    for (int i = 0; i < 5; ++i) {
        Director::getInstance()->markDirty();
        frames(1);
        EXPECT_EQ(drawn, i + 1);
    }
    frames(1); // the last drawn frame's notice arrives at the next tick
    EXPECT_EQ(recorder.count(kRedraw), 5) << "three cameras visit the window, one notice a drawn frame";
    EXPECT_EQ(drawn, 5);
    EXPECT_EQ(dropped, 0);
    recorder.entries.clear();
    frames(5);
    EXPECT_EQ(recorder.count(kRedraw), 0) << "frames that draw nothing visit nothing";

    window->Node::setVisible(false);
    frames(2); // the last frame's notice still arrives
    recorder.entries.clear();
    for (int i = 0; i < 5; ++i) {
        Director::getInstance()->markDirty();
        frames(1);
    }
    EXPECT_EQ(recorder.count(kRedraw), 0);
    EXPECT_EQ(drawn, 5);
}

TEST_F(RenderWindow, GeometryChangesAreAnnouncedAndTinySizesKeepTheProjection)
{
    TestWindow* window = addWindow(Vec2(0, 0), Size(300, 200));
    frames(1);
    Recorder recorder;
    recorder.listen(kGeometry, nullptr);
    const Mat4 projection = window->getSceneCamera()->getProjectionMatrix();

    window->setContentSize(Size(0.5f, 0.5f));
    EXPECT_EQ(window->getSceneCamera()->getProjectionMatrix(), projection);
    window->setPosition(Vec2(10, 10));
    frames(3);
    ASSERT_EQ(recorder.count(kGeometry), 1);
    EXPECT_EQ(recorder.entries[0].sender, window);

    window->setContentSize(Size(400, 300));
    window->setPosition(Vec2(20, 20));
    frames(3);
    EXPECT_EQ(recorder.count(kGeometry), 3) << "one for the size and one for the move";
}

TEST_F(RenderWindow, SetVisibleCoversTheSceneAndKeepsTheWidget)
{
    TestWindow* window = addWindow(Vec2(0, 0), Size(300, 200));
    const float behind = window->getBackground()->getPositionZ();
    window->setVisible(false);
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isBackgroundBehind());
    EXPECT_LT(window->getBackground()->getPositionZ(), behind) << "the background moves in front";
    EXPECT_FALSE(window->isShownToUser());
}

TEST_F(RenderWindow, MouseWheelStepsSlicesAndRightDragZoomsWithinLimits)
{
    TestWindow* window = addWindow(Vec2(0, 0), Size(300, 200));
    window->onMouseScroll(10, 10, -1.0f);
    window->onMouseScroll(10, 10, 0.0f);
    window->onMouseScroll(10, 10, 2.0f);
    EXPECT_EQ(window->handled, (std::vector<unsigned int>{9001, 9002}));

    const float ratio = window->getZoomRatio();
    window->press(1, Vec2(100, 100));
    window->drag(Vec2(130, 110)); // mostly sideways: no zoom
    EXPECT_FLOAT_EQ(window->getZoomRatio(), ratio);
    window->drag(Vec2(130, 120));
    EXPECT_NEAR(window->getZoomRatio(), ratio * 1.05f, 1e-4f);

    window->setZoomRatio(10.1f);
    window->drag(Vec2(130, 130));
    EXPECT_NEAR(window->getZoomRatio(), 10.1f, 1e-4f) << "no zooming in past 10";
    window->drag(Vec2(130, 120));
    EXPECT_NEAR(window->getZoomRatio(), 10.1f * 0.95f, 1e-3f) << "zooming out still works";

    window->setZoomRatio(0.099f);
    window->drag(Vec2(130, 110));
    EXPECT_NEAR(window->getZoomRatio(), 0.099f, 1e-5f) << "no zooming out past 0.1";
    window->drag(Vec2(130, 120));
    EXPECT_NEAR(window->getZoomRatio(), 0.099f * 1.05f, 1e-4f);
}

TEST_F(RenderWindow, LinkedWindowFollowsOnceByTheGestureTotal)
{
    auto [first, second] = linkedPair();
    const Vec3 origin = second->getFocalPoint();

    first->press(2, Vec2(100, 100));
    Vec3 previous = first->getFocalPoint();
    for (int step = 1; step <= 4; ++step) {
        first->drag(Vec2(100 + 10 * step, 100 + 5 * step));
        EXPECT_GT(first->getFocalPoint().distance(previous), 0.5f) << "step " << step << " applies at once";
        previous = first->getFocalPoint();
    }
    frames(3);
    EXPECT_EQ(second->getFocalPoint(), origin) << "the linked window waits for the release";

    first->lift(Vec2(140, 120));
    frames(3);
    EXPECT_NEAR(second->getFocalPoint().distance(first->getFocalPoint()), 0.0f, 1e-3f);
    EXPECT_EQ(first->getFocalPoint(), previous) << "the total is not sent back";

    // A small drag sends no total.
    first->press(2, Vec2(100, 100));
    first->drag(Vec2(100.0005f, 100));
    first->lift(Vec2(100.0005f, 100));
    first->press(1, Vec2(100, 100));
    first->drag(Vec2(100, 120));
    first->drag(Vec2(100, 140));
    first->lift(Vec2(100, 140));
    frames(3);
    EXPECT_NEAR(second->getZoomRatio(), first->getZoomRatio(), 1e-5f);
    EXPECT_EQ(std::count(second->handled.begin(), second->handled.end(), 9065u), 1);
    EXPECT_EQ(std::count(second->handled.begin(), second->handled.end(), 9066u), 1);
}

TEST_F(RenderWindow, CameraUpdateRequestFromTheLinkedWindowIsNotEchoed)
{
    auto [first, second] = linkedPair();
    Recorder recorder;
    recorder.listen(kMoved, first);
    recorder.listen(kMoved, second);

    first->onMessage(9017, nullptr, nullptr);
    frames(6);
    EXPECT_EQ(std::count(second->handled.begin(), second->handled.end(), 9017u), 1);
    EXPECT_EQ(std::count(first->handled.begin(), first->handled.end(), 9017u), 1) << "not sent back";
    ASSERT_EQ(recorder.count(kMoved), 1);
    EXPECT_EQ(recorder.entries[0].sender, second);
}

TEST_F(RenderWindow, CleanupTwiceReleasesOnce)
{
    TestWindow* window = addWindow(Vec2(0, 0), Size(300, 200));
    window->retain();
    window->removeFromParentAndCleanup(true);
    window->cleanup();
    frames(1); // drains the pool that still holds the creation's reference
    EXPECT_EQ(window->getActorManager(), nullptr);
    EXPECT_EQ(window->getReferenceCount(), 1u);
    window->release();
}

TEST_F(RenderWindow, ImageDataBringsTheEdgeLettersOfTheView)
{
    TestWindow* window = addWindow(Vec2(0, 0), Size(300, 200));
    Recorder recorder;
    recorder.listen(9070, window);
    isImageSDK::isImageData* data = isImageSDK::isImageData::create();
    const int dims[2] = {4, 4};
    const float spacing[2] = {1.0f, 1.0f};
    ASSERT_NE(data->addSlice(dims, 1, spacing, 1, 0, 0, Mat4()), nullptr);
    window->setImageData(data);
    window->setImageData(data);
    frames(2);
    ASSERT_EQ(recorder.count(9070), 1) << "the same data twice announces once";
    EXPECT_EQ(recorder.entries[0].text, "{\"t\":\"I\",\"r\":\"L\",\"b\":\"S\",\"l\":\"R\"}");
    EXPECT_EQ(window->getSliceOrientation(2), 0) << "the first two axes show the coronal plane";

    window->orbitBy(static_cast<float>(M_PI / 2));
    frames(2);
    ASSERT_EQ(recorder.count(9070), 2);
    EXPECT_EQ(recorder.entries[1].text.substr(0, 13), "{\"t\":\"I\",\"r\":") << "orbiting keeps the view-up";
    EXPECT_NE(recorder.entries[1].text, recorder.entries[0].text);
}
