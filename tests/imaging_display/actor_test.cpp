// Actors in a render window: their node lists, attaching, clean-up, the per-window manager and
// the cross-line actor's notifications and hide timer.

#include <gtest/gtest.h>

#include "2d/DrawNode.h"
#include "WindowFixture.h"
#include "imaging/display/actor/isActorCrossLine.h"
#include "imaging/display/draw/isNodeLine.h"

using namespace cocos2d;
using namespace displaytest;
using namespace isImageSDK;

namespace {

/// The smallest actor: what the base gives.
class PlainActor : public isActorObject {
public:
    static PlainActor* create() { return createObject<PlainActor>(); }
    void clear() override { ++clears; }
    int clears = 0;
};

const std::string kPlane = "{\"nx1\":\"1\",\"nx2\":\"0\",\"nx3\":\"0\",\"ny1\":\"0\",\"ny2\":\"1\",\"ny3\":\"0\","
                           "\"nz1\":\"0\",\"nz2\":\"0\",\"nz3\":\"1\",\"x\":\"10\",\"y\":\"20\",\"z\":\"0\"}";

class Actors : public WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        window = addWindow(Vec2(0, 0), Size(300, 200));
        frames(1);
    }
    void postPlane()
    {
        NSUI::NSNotificationCenter::getInstance()->postNotificationWithString(nullptr, 9087, kPlane, window, true);
    }
    TestWindow* window = nullptr;
};

} // namespace

TEST_F(Actors, NodesEnterTheWindowOnceWhetherAddedBeforeOrAfterAttaching)
{
    PlainActor* actor = PlainActor::create();
    Node* early = Node::create();
    const unsigned int count = early->getReferenceCount();
    actor->addPlainNode(early);
    actor->addPlainNode(early);
    EXPECT_EQ(actor->getPlainNodes().size(), 1u);
    EXPECT_EQ(early->getReferenceCount(), count + 1);
    EXPECT_EQ(early->getTag(), static_cast<int>(actor->getRefID()));
    EXPECT_EQ(early->getParent(), nullptr);

    actor->attachTo(window);
    EXPECT_EQ(early->getParent(), window);
    Node* late = Node::create();
    actor->addSceneNode(late);
    EXPECT_EQ(late->getParent(), window);
    EXPECT_TRUE(late->hasCameraFlag(static_cast<unsigned short>(window->getSceneCamera()->getCameraFlag())));

    TestWindow* other = addWindow(Vec2(300, 0), Size(100, 100));
    actor->attachTo(other);
    EXPECT_EQ(actor->getWindow(), window) << "an attached actor stays where it is";

    actor->cleanup();
    actor->cleanup();
    EXPECT_EQ(early->getParent(), nullptr);
    EXPECT_EQ(late->getParent(), nullptr);
    EXPECT_TRUE(actor->getSceneNodes().empty());
    EXPECT_EQ(actor->getWindow(), nullptr);
}

TEST_F(Actors, ManagerWithoutWindowMakesNothingAndReleasesTogether)
{
    isActorManager* orphan = isActorManager::create();
    EXPECT_EQ(orphan->getCrossLine(), nullptr);
    EXPECT_EQ(orphan->getOverlay<PlainActor>(), nullptr);
    orphan->showCrossLines();
    EXPECT_EQ(orphan->peekCrossLine(), nullptr);

    isActorManager* manager = window->getActorManager();
    PlainActor* overlay = manager->getOverlay<PlainActor>();
    ASSERT_NE(overlay, nullptr);
    EXPECT_EQ(manager->getOverlay<PlainActor>(), overlay);
    EXPECT_EQ(overlay->getWindow(), window);
    overlay->retain();
    manager->showFrame(true);
    ASSERT_NE(manager->peekCrossLine(), nullptr);

    window->setImageData(nullptr); // the same data: nothing rebuilt
    EXPECT_EQ(manager->peekOverlay(), overlay);
    manager->releaseActors();
    EXPECT_EQ(manager->peekOverlay(), nullptr);
    EXPECT_EQ(manager->peekCrossLine(), nullptr);
    EXPECT_EQ(overlay->clears, 1) << "the overlay is cleared before it is let go";
    overlay->release();
}

TEST_F(Actors, CrossLinesDrawOnRedrawOnlyWhenShownAndDirty)
{
    isActorCrossLine* lines = window->getActorManager()->getCrossLine();
    ASSERT_NE(lines, nullptr);
    lines->showLines(true);
    lines->showLines(false);
    postPlane();
    frames(3);
    EXPECT_FLOAT_EQ(lines->getReferencePlane().m[12], 10.0f);
    EXPECT_FALSE(lines->isDirty()) << "the redraw clears it even with nothing drawn";
    EXPECT_TRUE(lines->getLineNode()->getVertices().empty());

    lines->showLines(true);
    postPlane();
    frames(3);
    ASSERT_EQ(lines->getLineNode()->getVertices().size(), 8u);
    // At this zoom 30 screen points are less than 2 world units: the gap is 2.
    const Vec3 gapEnd = lines->getLineNode()->getVertices()[0].position;
    EXPECT_NEAR(gapEnd.distance(Vec3(10, 20, 0)), 30.0f * window->getSceneCamera()->getZoom(), 0.05f);
    window->setZoomRatio(100.0f);
    window->flushCameraUpdates();
    frames(3);
    EXPECT_NEAR(lines->getLineNode()->getVertices()[0].position.distance(Vec3(10, 20, 0)), 2.0f, 1e-3f);
}

TEST_F(Actors, CrossLinesHideFiveSecondsAfterTheLastDrawing)
{
    isActorCrossLine* lines = window->getActorManager()->getCrossLine();
    lines->showLines(true);
    postPlane();
    frames(2);
    ASSERT_TRUE(lines->getLineNode()->isVisible());
    input->advance(3.0f);
    window->panBy(1.0f, 0.0f); // a camera move draws them again
    input->advance(2.5f);
    EXPECT_TRUE(lines->getLineNode()->isVisible()) << "5.5 s after the first drawing, 2.5 s after the last";
    input->advance(2.6f);
    EXPECT_FALSE(lines->getLineNode()->isVisible());
}

TEST_F(Actors, FrameShowsAndHidesAndCleanupStopsTheHideTimer)
{
    isActorCrossLine* lines = window->getActorManager()->getCrossLine();
    lines->showFrame(true);
    lines->showCornerMarker();
    ASSERT_NE(lines->getFrame(), nullptr);
    EXPECT_TRUE(lines->getFrame()->isVisible());
    EXPECT_EQ(lines->getFrame()->getParent(), window);
    lines->setFrameColor(0);
    EXPECT_EQ(lines->getColorIndex(), 0);
    lines->setFrameColor(2);
    EXPECT_EQ(lines->getColorIndex(), 2);
    lines->showFrame(false);
    EXPECT_FALSE(lines->getFrame()->isVisible());
    lines->cleanup();
    EXPECT_EQ(lines->getFrame(), nullptr);
    EXPECT_FALSE(Director::getInstance()->getScheduler()->isScheduled(isActorCrossLine::kHideTimerKey, lines));
}
