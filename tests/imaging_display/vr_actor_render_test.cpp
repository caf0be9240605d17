// The volume-rendering actor under Xvfb: the CT phantom composited and the PET phantom as a
// maximum intensity projection, side by side; the frame shows each best picture where the
// window is, and is written to <build>/vr_actor.png for a look.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "Phantom.h"
#include "WindowFixture.h"
#include "engine/PixelProbe.h"
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
    const int slices = kDims[2];
    std::vector<std::vector<float>> pixels;
    for (int z = 0; z < slices; ++z) {
        if (pet) {
            pixels.push_back(samplemaker::Phantom::petSlice(kDims[0], kDims[1], z, slices, 1u));
        } else {
            const std::vector<int16_t> ct = samplemaker::Phantom::ctSlice(kDims[0], kDims[1], z, slices, 1u);
            pixels.emplace_back(ct.begin(), ct.end());
        }
    }
    auto value = [&](int x, int y, int z) { return pixels[size_t(z)][size_t(y) * kDims[0] + size_t(x)]; };
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
        scene = Scene::create();
        director->replaceScene(scene);
        input->frame();
        director->setClearColor(Color4F(18 / 255.f, 19 / 255.f, 21 / 255.f, 1));
    }
    /// A window looking at the phantom from the front, head up, its actor showing `data`.
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
    static bool settled(isActorVR* actor)
    {
        return actor->getInteractiveThread()->isIdle() && actor->getBestThread()->isIdle() &&
               actor->getSprite()->getTexture() && actor->getSprite()->getTexture()->getPixelsWide() == kSide;
    }
    /// Compares the frame at the window's place with the best renderer's own picture.
    static void expectFrameShows(isActorVR* actor, int x0, int y0, const char* what)
    {
        const isVolumeRenderer::Result best = actor->getBestRenderer().getResult();
        ASSERT_EQ(best.width, kSide);
        ASSERT_EQ(best.height, kSide);
        const std::vector<unsigned char> px = qptest::readRegion(x0, y0, kSide, kSide);
        long total = 0;
        int lit = 0;
        for (int r = 0; r < kSide; ++r)
            for (int c = 0; c < kSide; ++c) {
                const uint8_t* want = best.pixels + (size_t(r) * kSide + size_t(c)) * 3;
                const unsigned char* got = &px[(size_t(kSide - 1 - r) * kSide + size_t(c)) * 4];
                for (int k = 0; k < 3; ++k)
                    total += std::abs(int(got[k]) - int(want[k]));
                lit += want[0] + want[1] + want[2] > 24; // above the black of colour-table entry 0
            }
        EXPECT_LT(double(total) / (kSide * kSide * 3), 2.0) << what << ": the window shows the best picture";
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
        bone[i * 3] = uint8_t(i);
        bone[i * 3 + 1] = uint8_t(i * 0.85);
        bone[i * 3 + 2] = uint8_t(i * 0.7);
        grey[i * 3] = grey[i * 3 + 1] = grey[i * 3 + 2] = uint8_t(i);
    }
    isImageData* ct = phantom(false);
    isImageData* pet = phantom(true);
    isActorVR* left = viewer(10, ct, bone);
    isActorVR* right = viewer(kW - 10 - kSide, pet, grey);
    EXPECT_EQ(left->getSettings().renderMode, 0);
    EXPECT_EQ(right->getSettings().renderMode, 3);
    while (!settled(left) || !settled(right))
        input->frame();
    input->frame();

    EXPECT_TRUE(qptest::saveRegionPng(qptest::readRegion(0, 0, kW, kH), kW, kH, qptest::binaryDir() + "/vr_actor.png"));
    expectFrameShows(left, 10, 12, "composite");
    expectFrameShows(right, kW - 10 - kSide, 12, "maximum projection");
    // The hot lesion is the brightest thing of the projection; the body around it stays dim.
    const isVolumeRenderer::Result mip = right->getBestRenderer().getResult();
    int hot = 0;
    for (int i = 0; i < kSide * kSide; ++i)
        hot += mip.pixels[i * 3] > 200;
    EXPECT_GT(hot, 20);
    EXPECT_LT(hot, kSide * kSide / 20);
    ct->release();
    pet->release();
}
