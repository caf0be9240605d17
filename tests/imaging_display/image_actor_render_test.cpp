// A CT phantom drawn under Xvfb by three image actors, axial, sagittal and coronal, each with its
// corner overlay: patient letters on the edges and texts in the corners. The frame is written to
// <build>/image_actor_planes.png for a look.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "GLWindowFixture.h"
#include "display_volumes.h"
#include "support/PixelProbe.h"
#include "imaging/display/actor/isActorImage.h"
#include "imaging/display/actor/isActorOverlay.h"
#include "imaging/display/overlay/isNodeOverlayText.h"

using namespace cocos2d;
using namespace displaytest;
using namespace isImageSDK;

namespace {

const int kSide = 300;
const int kN = 128;

// Hounsfield units of a body: water-like tissue, a bright spine behind the middle, a dense organ
// on the patient's left front, dark lungs on both sides, air around it.
float phantom(int x, int y, int z) {
    const float px = (x - 64) / 54.0f, py = (y - 64) / 40.0f, pz = (z - 64) / 60.0f;
    if (px * px + py * py + pz * pz > 1.0f)
        return -1000;
    const float sx = x - 64.0f, sy = y - 96.0f;
    if (sx * sx + sy * sy < 64.0f)
        return 900;
    const float hx = x - 84.0f, hy = y - 50.0f, hz = z - 70.0f;
    if (hx * hx + hy * hy + hz * hz < 196.0f)
        return 200;
    const float lx = std::fabs(x - 64.0f) - 28.0f, ly = y - 60.0f, lz = z - 80.0f;
    if (lx * lx / 100.0f + ly * ly / 300.0f + lz * lz / 500.0f < 1.0f)
        return -700;
    return 40;
}

class ImageActorPlanes : public GLWindowFixture<940, 320> {
protected:
    void SetUp() override {
        GLWindowFixture::SetUp();
        if (!view)
            return;
        FileUtils::getInstance()->addSearchPath(qptest::sourceDir() + "/imageSDK");
        volume = makeVolume(kN, kN, kN, kPixelS16, phantom);
    }
    void TearDown() override {
        if (volume)
            volume->release();
        GLWindowFixture::TearDown();
    }

    /// A viewer of one plane through the middle, seen with `up` and `right` on screen.
    isActorImage* viewer(float x, int orientation, Vec3 up, Vec3 right, const char* name) {
        TestWindow* window = addWindow(Vec2(x, 10), Size(kSide, kSide));
        window->setImageData(volume);
        // The overlay listens before the actor and the camera announce anything.
        isActorOverlay* overlay = window->getActorManager()->getOverlay();
        overlay->addTopLeftText("")->bind("", "", "", 9081, false);
        overlay->addRow(isActorOverlay::kTopLeft);
        overlay->addTopLeftText("")->bind("", "Im: ", "", 9073, false);
        overlay->addTopRightText(name);
        overlay->addBottomLeftText("")->bind("", "W: ", "", 9072, false);
        overlay->addBottomLeftRow();
        overlay->addBottomLeftText("")->bind("", "", "", 9077, false);
        overlay->relayoutForDpi(96);
        isActorImage* actor = isActorImage::create();
        actors.pushBack(actor);
        actor->attachTo(window);
        actor->setInputData(volume);
        if (orientation == 1)
            actor->setResliceOrientation1();
        if (orientation == 2)
            actor->setResliceOrientation2();
        Vec3 centre;
        actor->getImageCenter(centre);
        Vec3 direction;
        Vec3::cross(up, right, &direction);
        window->setCameraPosition(centre - direction * 1000.0f);
        window->setCameraFocalAndUp(centre, up);
        window->setZoomRatio(2.0f);

        actor->publishDisplayState();
        NSUI::NSNotificationCenter::getInstance()->postNotificationWithString(
            nullptr, 9084, "{\"patient\":\"PHANTOM\",\"hospital\":\"\"}", window, true);
        return actor;
    }
    /// Bright text pixels in a box of the frame.
    static int brightIn(const std::vector<unsigned char>& px, int x0, int y0, int x1, int y1) {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                n += px[(size_t(y) * kW + size_t(x)) * 4] > 200;
        return n;
    }

    isImageData* volume = nullptr;
    Vector<isActorImage*> actors;
};

} // namespace

TEST_F(ImageActorPlanes, AxialSagittalCoronalWithLettersAndTexts) {
    ASSERT_NE(volume, nullptr);
    const Vec3 anterior(0, 0, 1), superior(0, 1, 0), left(1, 0, 0);
    isActorImage* axial = viewer(10, 0, anterior, left, "Axial");
    isActorImage* sagittal = viewer(320, 1, superior, -anterior, "Sagittal");
    isActorImage* coronal = viewer(630, 2, superior, left, "Coronal");
    input->advance(0.2f);
    EXPECT_EQ(axial->getPositionText(), "S:64.0mm");
    EXPECT_EQ(sagittal->getPositionText(), "L:63.0mm");
    EXPECT_EQ(coronal->getPositionText(), "P:64.0mm");

    const std::vector<unsigned char> px = readAll();
    EXPECT_TRUE(savePng(px, qptest::binaryDir() + "/image_actor_planes.png"));
    const int cy = 10 + kSide / 2;
    for (int cx : {10 + kSide / 2, 320 + kSide / 2, 630 + kSide / 2})
        EXPECT_TRUE(qptest::isColour(qptest::readPixel(cx, cy - 40), 138, 138, 138, 12))
            << "soft tissue at " << cx;
    // The spine lies behind the middle: below it in the axial view, right of it in the sagittal.
    EXPECT_GT(qptest::readPixel(10 + kSide / 2, cy - 64).r, 240);
    EXPECT_GT(qptest::readPixel(320 + kSide / 2 + 64, cy).r, 240);
    EXPECT_LT(qptest::readPixel(630 + kSide / 2, cy - 64).r, 200)
        << "the coronal plane passes in front of it";
    // Letters on the edges and texts in the corners of every view.
    for (int x0 : {10, 320, 630}) {
        EXPECT_GT(brightIn(px, x0 + kSide / 2 - 15, 10 + kSide - 30, x0 + kSide / 2 + 15, 10 + kSide), 10);
        EXPECT_GT(brightIn(px, x0 + kSide - 25, cy - 15, x0 + kSide, cy + 15), 10);
        EXPECT_GT(brightIn(px, x0, 10 + kSide - 50, x0 + 120, 10 + kSide), 40);
        EXPECT_GT(brightIn(px, x0, 10, x0 + 120, 60), 40);
    }
}
