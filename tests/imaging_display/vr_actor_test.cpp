// The volume-rendering actor on a headless scene: the interactive queue keeps only the newest
// view, a camera change cancels the best pass, volumes change under running passes, and the
// window, mode and slice-orientation rules.

#include <gtest/gtest.h>

#include <cmath>

#include "WindowFixture.h"
#include "imaging/display/actor/isActorVR.h"
#include "imaging/display/volume/isVRThreadBest.h"
#include "imaging/display/volume/isVRThreadRT.h"
#include "imaging/display/window/OrientationLabels.h"
#include "vr_support.h"

using namespace cocos2d;
using namespace displaytest;
using namespace isImageSDK;

namespace {

const int kDims[3] = {32, 32, 24};

class ActorVRTest : public WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        window = addWindow(Vec2(0, 0), Size(200, 200));
        window->setCameraPosition(Vec3(16, 16, -500));
        window->setCameraFocalAndUp(Vec3(16, 16, 12), Vec3(0, -1, 0));
        window->setZoom(0.25f);
        ct = makeVolume(kDims, kPixelS16, kModalityCT, ball(kDims, 10, 300, -1000));
        actor = window->getActorManager()->getVRActor();
        actor->setVisible(true);
        interactiveGate.install(actor->getInteractiveRenderer());
        bestGate.install(actor->getBestRenderer());
    }
    void TearDown() override
    {
        interactiveGate.open();
        bestGate.open();
        window->getActorManager()->releaseActors();
        ct->release();
        WindowFixture::TearDown();
    }
    /// Runs frames until the condition holds (the render threads report through the frames).
    template <class Condition> void frameUntil(Condition done)
    {
        while (!done())
            input->frame();
    }
    Texture2D* shown() const { return actor->getSprite()->getTexture(); }
    bool settled() const
    {
        return actor->getInteractiveThread()->isIdle() && actor->getBestThread()->isIdle();
    }
    void turn(float radians)
    {
        window->orbitBy(radians);
        input->frame();
    }

    TestWindow* window = nullptr;
    isImageData* ct = nullptr;
    isActorVR* actor = nullptr;
    PassGate interactiveGate, bestGate;
};

bool sameEye(const isVolumeView& a, const isVolumeView& b)
{
    return std::fabs(a.eye[0] - b.eye[0]) < 1e-3f && std::fabs(a.eye[1] - b.eye[1]) < 1e-3f &&
           std::fabs(a.eye[2] - b.eye[2]) < 1e-3f;
}

} // namespace

TEST_F(ActorVRTest, RedrawsDuringAPassKeepOnlyTheNewestViewAndTheBestPassFollowsTheLastPicture)
{
    interactiveGate.hold();
    actor->setImageData(ct);
    frameUntil([&] { return interactiveGate.entries.load() > 0; });
    for (int i = 0; i < 5; ++i)
        turn(0.1f);
    input->frame();
    EXPECT_EQ(actor->getInteractiveThread()->getWaitingCount(), 1u);
    EXPECT_TRUE(actor->getBestThread()->isIdle()) << "no best pass while the view moves";
    EXPECT_FALSE(actor->getSprite()->isVisible());

    interactiveGate.open();
    frameUntil([&] { return settled() && bestGate.entries.load() > 0; });
    // Both passes ran, for the first view and the newest; the best pass only for the newest.
    const isVolumeView last = window->getSceneCamera()->toVolumeView();
    const std::vector<isVolumeView> interactive = interactiveGate.seenViews();
    ASSERT_EQ(interactive.size(), 4u);
    EXPECT_TRUE(sameEye(interactive.back(), last));
    const std::vector<isVolumeView> best = bestGate.seenViews();
    ASSERT_FALSE(best.empty());
    for (const isVolumeView& v : best)
        EXPECT_TRUE(sameEye(v, last));
    EXPECT_TRUE(actor->getSprite()->isVisible());
    EXPECT_EQ(shown()->getPixelsWide(), 200) << "the best picture is full size";
}

TEST_F(ActorVRTest, CameraChangeCancelsTheBestPassBeforeItsPictureShows)
{
    bestGate.hold();
    actor->setImageData(ct);
    frameUntil([&] { return bestGate.entries.load() == 1; });
    Texture2D* interactive = shown();
    ASSERT_NE(interactive, nullptr);
    EXPECT_LT(interactive->getPixelsWide(), 200);

    turn(0.3f);
    input->frame();
    EXPECT_TRUE(actor->getBestRenderer().isCancelled());
    // The held pass ends only through its cancel; the next one starts after the new interactive
    // picture, which stays on screen while the best pass runs.
    frameUntil([&] { return bestGate.entries.load() == 2; });
    EXPECT_NE(shown(), interactive);
    EXPECT_LT(shown()->getPixelsWide(), 200);

    bestGate.open();
    frameUntil([&] { return settled() && shown()->getPixelsWide() == 200; });
}

TEST_F(ActorVRTest, RemovingTheViewerDuringALongBestPassDoesNotWaitForIt)
{
    bestGate.hold();
    actor->setImageData(ct);
    frameUntil([&] { return bestGate.entries.load() == 1; });
    // The held pass would never end unless the release cancels it first.
    window->getActorManager()->releaseActors();
    EXPECT_EQ(window->getActorManager()->peekVRActor(), nullptr);
    EXPECT_EQ(ct->getReferenceCount(), 1u);
}

TEST_F(ActorVRTest, NewVolumeDuringAPassKeepsTheOldVoxelsUntilThePassEnds)
{
    const int dims[3] = {20, 28, 12};
    isImageData* other = makeVolume(dims, kPixelS16, kModalityMR, ball(dims, 5, 500, 0));
    interactiveGate.hold();
    actor->setImageData(ct);
    frameUntil([&] { return interactiveGate.entries.load() > 0; });
    actor->setImageData(other);
    EXPECT_EQ(ct->getReferenceCount(), 2u) << "the running pass still reads the old voxels";
    EXPECT_TRUE(actor->getInteractiveRenderer().isCancelled());

    interactiveGate.open();
    frameUntil([&] { return settled() && actor->getSprite()->isVisible(); });
    const vrSpaceLeapingBase* grid = actor->getInteractiveRenderer().getGrid();
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->blocks[0], 5);
    EXPECT_EQ(grid->blocks[1], 7) << "the renderer reads the new volume";
    EXPECT_EQ(ct->getReferenceCount(), 1u) << "released once no pass holds it";

    // Data that is not a volume leaves nothing on screen.
    actor->setImageData(nullptr);
    EXPECT_FALSE(actor->getSprite()->isVisible());
    EXPECT_EQ(other->getReferenceCount(), 1u);
    other->release();
}

TEST_F(ActorVRTest, WindowAndModeFollowTheData)
{
    actor->setImageData(ct);
    EXPECT_FLOAT_EQ(actor->getSettings().windowWidth, 400.0f);
    actor->adjustWindow(-145.0f, 10.0f);
    EXPECT_FLOAT_EQ(actor->getSettings().windowWidth, 255.0f);
    actor->adjustWindow(-300.0f, 0.0f);
    EXPECT_FLOAT_EQ(actor->getSettings().windowWidth, 2.0f);
    EXPECT_FLOAT_EQ(actor->getSettings().windowLevel, 50.0f);

    const int dims[3] = {16, 16, 8};
    isImageData* pet = makeVolume(dims, kPixelF32, kModalityPT, ball(dims, 4, 5000, 10), 20000, 10000);
    actor->setImageData(pet);
    EXPECT_EQ(actor->getSettings().renderMode, 3);
    EXPECT_FLOAT_EQ(actor->getSettings().windowWidth, 20000.0f);
    actor->setImageData(ct);
    EXPECT_EQ(actor->getSettings().renderMode, 0) << "a CT after a PET volume composites again";
    isImageData* floatCt = makeVolume(dims, kPixelF32, kModalityCT, ball(dims, 4, 300, -1000));
    actor->setImageData(floatCt);
    EXPECT_EQ(actor->getSettings().renderMode, 0);
    actor->setImageData(nullptr);
    pet->release();
    floatCt->release();
}

TEST(SliceOrientation, FirstLettersOfTheEdgeLabelsClassifyTheSlice)
{
    isSliceInfo slice;
    auto classify = [&](Vec3 row, Vec3 column) {
        row.normalize();
        column.normalize();
        Mat4 m;
        m.m[0] = row.x, m.m[1] = row.y, m.m[2] = row.z;
        m.m[4] = column.x, m.m[5] = column.y, m.m[6] = column.z;
        slice.matrix = m;
        return classifySliceOrientation(&slice);
    };
    // World x runs left-right, y head-feet, z front-back.
    EXPECT_EQ(classify(Vec3(1, 0, 0), Vec3(0, 0, 1)), 1);
    EXPECT_EQ(classify(Vec3(0, 0, 1), Vec3(0, -1, 0)), 2);
    EXPECT_EQ(classify(Vec3(1, 0, 0), Vec3(0, -1, 0)), 3);
    // Tilted: two-letter labels, whose first letters still tell the plane.
    EXPECT_EQ(classify(Vec3(1, 0.3f, 0), Vec3(0, 0.3f, 1)), 1);
    EXPECT_EQ(classify(Vec3(1, 0, 0.3f), Vec3(0.3f, -1, 0)), 3);
    slice.matrix = Mat4::ZERO;
    EXPECT_EQ(classifySliceOrientation(&slice), 0);
    EXPECT_EQ(classifySliceOrientation(nullptr), 0);
}
