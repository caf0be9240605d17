// The volume-rendering actor under Xvfb: the CT phantom composited and the PET phantom as a
// maximum intensity projection, side by side; each window shows its best picture, and the frame
// is written to <build>/vr_actor.png for a look.

#include <gtest/gtest.h>

#include <cstdlib>

#include "Phantom.h"
#include "WindowFixture.h"
#include "support/PixelProbe.h"
#include "imaging/display/actor/isActorVR.h"
#include "imaging/display/volume/isVRThreadBest.h"
#include "imaging/display/volume/isVRThreadRT.h"
#include "platform/GLViewImpl.h"
#include "vr_support.h"

using namespace cocos2d;
using namespace displaytest;
using namespace isImageSDK;

namespace {

const int kW = 540;
const int kH = 280;
const int kSide = 256;
const int kDims[3] = {128, 128, 96};

isImageData* phantom(bool pet)
{
    std::vector<std::vector<float>> slices;
    for (int z = 0; z < kDims[2]; ++z) {
        if (pet) {
            slices.push_back(samplemaker::Phantom::petSlice(kDims[0], kDims[1], z, kDims[2], 1u));
        } else {
            const std::vector<int16_t> hu = samplemaker::Phantom::ctSlice(kDims[0], kDims[1], z, kDims[2], 1u);
            slices.emplace_back(hu.begin(), hu.end());
        }
    }
    auto value = [&](int x, int y, int z) { return slices[size_t(z)][size_t(y * kDims[0] + x)]; };
    return pet ? makeVolume(kDims, kPixelF32, kModalityPT, value, 30000, 15000)
               : makeVolume(kDims, kPixelS16, kModalityCT, value, 1200, 300);
}

class ActorVRRender : public WindowFixture {
protected:
    static void SetUpTestSuite()
    {
        view = GLViewImpl::createWithRect("volume rendering", Rect(0, 0, kW, kH));
        if (view) {
            view->retain();
            Director::getInstance()->setOpenGLView(view);
        }
    }
    void SetUp() override
    {
        if (!view) GTEST_SKIP() << "no display for a GL window";
        WindowFixture::SetUp();
        director->setWinSize(Size(kW, kH));
        director->replaceScene(scene = Scene::create());
        input->frame();
    }
    /// A window at x looking at the phantom from the front, head up.
    isActorVR* viewer(float x, isImageData* data, const uint8_t colors[768])
    {
        TestWindow* window = addWindow(Vec2(x, 12), Size(kSide, kSide));
        const Vec3 centre((kDims[0] - 1) * 0.5f, (kDims[1] - 1) * 0.5f, (kDims[2] - 1) * 0.5f);
        window->setCameraPosition(centre - Vec3(0, 1000, 0));
        window->setCameraFocalAndUp(centre, Vec3(0, 0, -1));
        window->setZoom(150.0f / kSide);
        isActorVR* actor = window->getActorManager()->getVRActor();
        actor->setVisible(true);
        actor->setColorTable(colors);
        actor->setImageData(data);
        return actor;
    }
    static bool showsBest(isActorVR* actor)
    {
        Texture2D* shown = actor->getSprite()->getTexture();
        return actor->getInteractiveThread()->isIdle() && actor->getBestThread()->isIdle() && shown &&
               shown->getPixelsWide() == kSide;
    }
    /// The frame at the window's place against the best renderer's own picture.
    static void expectFrameShowsBest(isActorVR* actor, int x0, const char* what)
    {
        const isVolumeRenderer::Result best = actor->getBestRenderer().getResult();
        ASSERT_EQ(best.width, kSide);
        const std::vector<unsigned char> px = qptest::readRegion(x0, 12, kSide, kSide);
        long difference = 0;
        int lit = 0;
        for (int i = 0; i < kSide * kSide; ++i) {
            const uint8_t* want = best.pixels + i * 3;
            // The frame's rows run from the bottom, the picture's from the top.
            const unsigned char* got = &px[(size_t(kSide - 1 - i / kSide) * kSide + size_t(i % kSide)) * 4];
            for (int k = 0; k < 3; ++k)
                difference += std::abs(int(got[k]) - int(want[k]));
            lit += want[0] + want[1] + want[2] > 24; // above the black of colour-table entry 0
        }
        EXPECT_LT(double(difference) / (kSide * kSide * 3), 2.0) << what;
        EXPECT_GT(lit, kSide * kSide / 10) << what << ": the phantom fills a good part of the view";
    }

    static GLViewImpl* view;
};

GLViewImpl* ActorVRRender::view = nullptr;

} // namespace

TEST_F(ActorVRRender, CompositeCtAndMaximumProjectionPet)
{
    uint8_t bone[768], grey[768];
    for (int i = 0; i < 256; ++i) {
        bone[i * 3] = grey[i * 3] = grey[i * 3 + 1] = grey[i * 3 + 2] = uint8_t(i);
        bone[i * 3 + 1] = uint8_t(i * 0.85);
        bone[i * 3 + 2] = uint8_t(i * 0.7);
    }
    isImageData* ct = phantom(false);
    isImageData* pet = phantom(true);
    isActorVR* left = viewer(10, ct, bone);
    isActorVR* right = viewer(kW - 10 - kSide, pet, grey);
    EXPECT_EQ(right->getSettings().renderMode, 3);
    while (!showsBest(left) || !showsBest(right))
        input->frame();
    input->frame();

    EXPECT_TRUE(qptest::saveRegionPng(qptest::readRegion(0, 0, kW, kH), kW, kH, qptest::binaryDir() + "/vr_actor.png"));
    expectFrameShowsBest(left, 10, "composite");
    expectFrameShowsBest(right, kW - 10 - kSide, "maximum projection");
    // The hot lesions are the brightest of the projection; the body around them stays dim.
    const uint8_t* mip = right->getBestRenderer().getResult().pixels;
    int hot = 0;
    for (int i = 0; i < kSide * kSide; ++i)
        hot += mip[i * 3] > 200;
    EXPECT_GT(hot, 20);
    EXPECT_LT(hot, kSide * kSide / 20);
    ct->release();
    pet->release();
}
