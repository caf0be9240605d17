// The four-view layout drawn under Xvfb: the CT phantom cut in its three planes with their
// reference lines beside its volume rendering, and a stack only 20 mm across in all four. The
// frames are written to <build>/multi_viewer_four_views.png and multi_viewer_small_stack.png.

#include <gtest/gtest.h>

#include "Phantom.h"
#include "imaging/display/actor/isActorVR.h"
#include "imaging/display/volume/isVRThreadBest.h"
#include "imaging/display/volume/isVRThreadRT.h"
#include "imaging/viewers/KeyViewProperty.h"
#include "imaging/viewers/appManager.h"
#include "imaging/viewers/isViewerMulti.h"
#include "imaging/viewers/isViewerVR.h"
#include "imaging_display/GLWindowFixture.h"
#include "imaging_display/display_volumes.h"

using namespace cocos2d;
using namespace displaytest;
using namespace isImageSDK;

namespace {

const int kDims[3] = {128, 128, 96};

isImageData* phantom(const int dims[3] = kDims, float spacing = 1.0f) {
    std::vector<std::vector<int16_t>> slices;
    for (int z = 0; z < dims[2]; ++z)
        slices.push_back(samplemaker::Phantom::ctSlice(dims[0], dims[1], z, dims[2], 1u));
    return makeVolume(
        dims[0], dims[1], dims[2], kPixelS16,
        [&](int x, int y, int z) { return float(slices[size_t(z)][size_t(y * dims[0] + x)]); }, spacing);
}

class MultiViewerRender : public GLWindowFixture<960, 640> {
protected:
    /// Pixels of the rectangle that pass the test.
    static int count(const std::vector<unsigned char>& px, Rect r, bool (*test)(const unsigned char*)) {
        int n = 0;
        for (int y = int(r.getMinY()); y < int(r.getMaxY()); ++y)
            for (int x = int(r.getMinX()); x < int(r.getMaxX()); ++x)
                n += test(&px[(size_t(y) * kW + size_t(x)) * 4]);
        return n;
    }
    static bool grey(const unsigned char* p) { return p[0] > 60 && std::abs(p[0] - p[2]) < 8; }
    /// Columns from the first to the last grey pixel on one row of a tile; 0 without any.
    static int bodyWidth(const std::vector<unsigned char>& px, Rect tile, int row) {
        int first = -1, last = -1;
        for (int x = int(tile.getMinX()); x < int(tile.getMaxX()); ++x)
            if (grey(&px[(size_t(row) * kW + size_t(x)) * 4])) {
                first = first < 0 ? x : first;
                last = x;
            }
        return first < 0 ? 0 : last - first + 1;
    }
    static bool coloured(const unsigned char* p) {
        return std::max({p[0], p[1], p[2]}) - std::min({p[0], p[1], p[2]}) > 80;
    }
    /// The four-view layout of the volume over the whole window, drawn once the volume tile's
    /// passes are done; null when a view is missing.
    appManager* showFourViews(isImageData* volume) {
        appManager* manager = appManager::create();
        manager->retain();
        manager->createViewer(volume, 0, 0, kW, kH, appManager::kLayoutFourViews);
        scene->addChild(manager->getContainer());
        isViewerMulti* multi = manager->getContainer();
        auto* render = multi->allViews().size() == 4
                           ? dynamic_cast<isViewerVR*>(multi->allViews()[2]->getViewer())
                           : nullptr;
        isActorVR* actor = render ? render->getVRActor() : nullptr;
        if (!actor) {
            ADD_FAILURE() << "no volume tile";
            manager->cleanup();
            manager->release();
            return nullptr;
        }
        input->frame();
        while (!actor->getInteractiveThread()->isIdle() || !actor->getBestThread()->isIdle() ||
               !actor->getSprite()->getTexture())
            input->frame();
        frames(2);
        return manager;
    }
    static constexpr const char* kNames[4] = {"axial", "coronal", "volume", "sagittal"};
    const Rect tiles[4] = {Rect(0, 322, 478, 318), Rect(482, 322, 478, 318), Rect(482, 0, 478, 318),
                           Rect(0, 0, 478, 318)};
};

} // namespace

TEST_F(MultiViewerRender, FourViewsOfThePhantomWithReferenceLines) {
    isImageData* volume = phantom();
    appManager* manager = showFourViews(volume);
    ASSERT_NE(manager, nullptr);

    const std::vector<unsigned char> px = readAll();
    EXPECT_TRUE(savePng(px, qptest::binaryDir() + "/multi_viewer_four_views.png"));
    for (int i = 0; i < 4; ++i) {
        const Rect inner(tiles[i].getMidX() - 60, tiles[i].getMidY() - 60, 120, 120);
        EXPECT_GT(count(px, inner, &grey), 2000) << kNames[i] << ": the body fills the middle";
    }
    for (int i : {0, 1, 3})
        EXPECT_GT(count(px, tiles[i], &coloured), 200) << kNames[i] << ": reference lines";
    // The coronal, sagittal and volume tiles fit the 127 x 95 mm the phantom spans across and
    // along its slices into the tile's height; its body is 102 mm wide and 77 mm deep. Rows
    // away from the middle keep clear of the reference lines and the side letters.
    const float perMm = 318.0f / 95.0f;
    const float expected[] = {0.0f, 102.4f * perMm, 102.4f * perMm, 76.8f * perMm};
    for (int i : {1, 2, 3})
        for (int row : {int(tiles[i].getMidY()) - 60, int(tiles[i].getMidY()) + 60})
            EXPECT_NEAR(bodyWidth(px, tiles[i], row), expected[i], 8.0f)
                << kNames[i] << ": whole body, fitted";
    manager->cleanup();
    manager->release();
    volume->release();
}

TEST_F(MultiViewerRender, AStackTwentyMillimetresAcrossShowsInAllFourViews) {
    // 20 slices of 64 x 64 at 0.3125 mm: every plane is nearer than the camera's near distance
    // when the camera stands off by the plane's own size.
    const int dims[3] = {64, 64, 20};
    isImageData* volume = phantom(dims, 0.3125f);
    appManager* manager = showFourViews(volume);
    ASSERT_NE(manager, nullptr);
    const std::vector<unsigned char> px = readAll();
    EXPECT_TRUE(savePng(px, qptest::binaryDir() + "/multi_viewer_small_stack.png"));
    for (int i = 0; i < 4; ++i)
        EXPECT_GT(count(px, tiles[i], &grey), 5000) << kNames[i];
    manager->cleanup();
    manager->release();
    volume->release();
}
