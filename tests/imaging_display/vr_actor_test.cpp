// The volume-rendering actor on a headless scene: the interactive queue keeps only the newest
// view, a camera change cancels the best pass, volumes change under running passes, the window
// and mode rules, and the slice-orientation classifier.

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

// A ball of 300 in a field of -1000, centred in a volume of the given size.
isImageData* ballVolume(const int dims[3], int type = kPixelS16, int modality = kModalityCT)
{
    return makeVolume(dims, type, modality, [=](int x, int y, int z) {
        const float dx = x - dims[0] / 2, dy = y - dims[1] / 2, dz = z - dims[2] / 2;
        return dx * dx + dy * dy + dz * dz < 64 ? 300.0f : -1000.0f;
    });
}

class ActorVRTest : public WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        window = addWindow(Vec2(0, 0), Size(200, 200));
        window->setCameraPosition(Vec3(16, 16, -500));
        window->setCameraFocalAndUp(Vec3(16, 16, 12), Vec3(0, -1, 0));
        window->setZoom(0.25f);
        const int dims[3] = {32, 32, 24};
        ct = ballVolume(dims);
        actor = window->getActorManager()->getVRActor();
        actor->setVisible(true);
        interactiveGate.install(actor->getInteractiveRenderer());
        bestGate.install(actor->getBestRenderer());
    }
    void TearDown() override
    {
        interactiveGate.held = bestGate.held = false;
        window->getActorManager()->releaseActors();
        ct->release();
        WindowFixture::TearDown();
    }
    /// Runs frames until the condition holds: the render threads report through them.
    template <class Condition> void frameUntil(Condition done)
    {
        while (!done())
            input->frame();
    }
    int shownWidth() const { return actor->getSprite()->getTexture()->getPixelsWide(); }
    bool settled() const { return actor->getInteractiveThread()->isIdle() && actor->getBestThread()->isIdle(); }

    TestWindow* window = nullptr;
    isImageData* ct = nullptr;
    isActorVR* actor = nullptr;
    PassGate interactiveGate, bestGate;
};

} // namespace

TEST_F(ActorVRTest, RedrawsDuringAPassKeepOnlyTheNewestViewAndTheBestPassFollowsTheLastPicture)
{
    interactiveGate.held = true;
    actor->setImageData(ct);
    frameUntil([&] { return interactiveGate.entries > 0; });
    for (int i = 0; i < 5; ++i) {
        window->orbitBy(0.1f);
        input->frame();
    }
    input->frame();
    EXPECT_EQ(actor->getInteractiveThread()->getWaitingCount(), 1u);
    EXPECT_TRUE(actor->getBestThread()->isIdle()) << "no best pass while the view moves";

    interactiveGate.held = false;
    frameUntil([&] { return settled() && bestGate.entries > 0; });
    // Two interactive passes, for the first view and the newest; best passes only for the newest.
    const isVolumeView newest = window->getSceneCamera()->toVolumeView();
    auto isNewest = [&](const isVolumeView& v) {
        return std::fabs(v.eye[0] - newest.eye[0]) + std::fabs(v.eye[2] - newest.eye[2]) < 1e-3f;
    };
    const std::vector<isVolumeView> interactive = interactiveGate.seenViews();
    ASSERT_EQ(interactive.size(), 4u);
    EXPECT_TRUE(isNewest(interactive.back()));
    for (const isVolumeView& v : bestGate.seenViews())
        EXPECT_TRUE(isNewest(v));
    EXPECT_TRUE(actor->getSprite()->isVisible());
    EXPECT_EQ(shownWidth(), 200) << "the best picture is full size";
}

TEST_F(ActorVRTest, TheFirstPassOfAVolumeStartsOnceTheFrameThatAskedForItIsShown)
{
    interactiveGate.held = true;
    actor->setImageData(ct);
    input->frame();
    EXPECT_TRUE(actor->getInteractiveThread()->isIdle()) << "nothing runs beside the frame's drawing";
    input->frame();
    EXPECT_FALSE(actor->getInteractiveThread()->isIdle());
}

TEST_F(ActorVRTest, CameraChangeCancelsTheBestPassAndRemovalDoesNotWaitForIt)
{
    bestGate.held = true;
    actor->setImageData(ct);
    frameUntil([&] { return bestGate.entries == 1; });
    input->frame(); // the notice of the frame that showed the interactive picture
    Texture2D* interactive = actor->getSprite()->getTexture();
    window->orbitBy(0.3f);
    input->frame();
    // In the frame that draws the new view, not a tick later.
    EXPECT_TRUE(actor->getBestRenderer().isCancelled());
    EXPECT_FALSE(actor->getInteractiveThread()->isIdle());
    // The held pass ends only through its cancel; the next one starts after the new interactive
    // picture, which stays on screen.
    frameUntil([&] { return bestGate.entries == 2; });
    EXPECT_NE(actor->getSprite()->getTexture(), interactive);
    EXPECT_LT(shownWidth(), 200);
    // Removing the viewer must not wait for the held pass either.
    window->getActorManager()->releaseActors();
    EXPECT_EQ(ct->getReferenceCount(), 1u);
}

TEST_F(ActorVRTest, NewVolumeDuringAPassKeepsTheOldVoxelsUntilThePassEnds)
{
    const int dims[3] = {20, 28, 12};
    isImageData* other = ballVolume(dims, kPixelS16, kModalityMR);
    interactiveGate.held = true;
    actor->setImageData(ct);
    frameUntil([&] { return interactiveGate.entries > 0; });
    actor->setImageData(other);
    EXPECT_EQ(ct->getReferenceCount(), 2u) << "the running pass still reads the old voxels";

    interactiveGate.held = false;
    frameUntil([&] { return settled() && actor->getSprite()->isVisible(); });
    const vrSpaceLeapingBase* grid = actor->getInteractiveRenderer().getGrid();
    EXPECT_EQ(grid->blocks[0] * 100 + grid->blocks[1], 507) << "the renderer reads the new volume";
    EXPECT_EQ(ct->getReferenceCount(), 1u) << "released once no pass holds it";

    actor->setImageData(nullptr);
    EXPECT_FALSE(actor->getSprite()->isVisible()) << "no picture of data that is gone";
    other->release();
}

TEST_F(ActorVRTest, WindowAndModeFollowTheData)
{
    actor->setImageData(ct);
    actor->adjustWindow(-145.0f, 10.0f);
    EXPECT_FLOAT_EQ(actor->getSettings().windowWidth, 255.0f);
    actor->adjustWindow(-300.0f, 0.0f);
    EXPECT_FLOAT_EQ(actor->getSettings().windowWidth, 2.0f);
    EXPECT_FLOAT_EQ(actor->getSettings().windowLevel, 50.0f);

    const int dims[3] = {16, 16, 8};
    isImageData* pet = ballVolume(dims, kPixelF32, kModalityPT);
    actor->setImageData(pet);
    EXPECT_EQ(actor->getSettings().renderMode, 3);
    actor->setImageData(ct);
    EXPECT_EQ(actor->getSettings().renderMode, 0) << "a CT after a PET volume composites again";
    pet->release();
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
    slice.matrix = Mat4::ZERO;
    EXPECT_EQ(classifySliceOrientation(&slice), 0);
}
