// One measurement of each kind drawn with the pointer on a real CT slice under Xvfb, measured
// by the window's image actor. The frame is written to <build>/measurements_ct.png for a look.

#include <gtest/gtest.h>

#include <string>

#include "GLWindowFixture.h"
#include "MeasureFixture.h"
#include "support/PixelProbe.h"
#include "imaging/core/data/isImageData.h"
#include "imaging/core/io/isDcmReader.h"
#include "imaging/core/roi/ROIData.h"
#include "imaging/display/actor/isActorImage.h"
#include "imaging/display/interactor/isInteractorImage.h"
#include "imaging/display/text/isNodeText.h"

using namespace cocos2d;
using namespace displaytest;
using namespace isImageSDK;

namespace {

const float kOrigin = 20.0f;
const float kSide = 400.0f;

class MeasurementsOnCt : public GLWindowFixture<440, 440> {
protected:
    void SetUp() override
    {
        GLWindowFixture::SetUp();
        if (!view) return;
        FileUtils::getInstance()->addSearchPath(qptest::sourceDir() + "/imageSDK");
        reader = isDcmReader::create();
        reader->retain();
        reader->setFileName(qptest::pydicomDir() + "/CT_small.dcm");
        reader->Update();
    }
    void TearDown() override
    {
        if (reader) reader->release();
        isROIManager::destroyInstance();
        GLWindowFixture::TearDown();
    }
    void drag(Vec2 from, Vec2 to)
    {
        input->touchBegan(0, from);
        input->advance(0.05f);
        input->touchMoved(0, (from + to) * 0.5f);
        input->touchMoved(0, to);
        input->touchEnded(0, to);
        input->advance(0.3f);
    }
    void tap(Vec2 at)
    {
        input->touchBegan(0, at);
        input->touchEnded(0, at);
        input->advance(0.05f);
    }
    /// The label text of the measurement of the type.
    std::string labelOf(isActorROI* roi, int type)
    {
        for (isActorROIBase* actor : roi->getActors())
            if (actor->getData()->type == type && actor->getLabel()) return actor->getLabel()->getString();
        return "";
    }

    isDcmReader* reader = nullptr;
};

} // namespace

TEST_F(MeasurementsOnCt, EachKindDrawnAndMeasured)
{
    isImageData* image = reader->getOutputImage();
    if (!image || !image->getSlice(0)) GTEST_SKIP() << "cannot read the CT file";
    PlaneWindow* window = TestWindow::create<PlaneWindow>();
    window->setContentSize(Size(kSide, kSide));
    window->setPosition(Vec2(kOrigin, kOrigin));
    scene->addChild(window);
    window->setImageData(image);
    isActorImage* actor = isActorImage::create();
    actor->retain();
    actor->attachTo(window);
    actor->setInputData(image);

    // Looking along the slice normal with its first row at the top.
    const Mat4& m = image->getSlice(0)->matrix;
    const Vec3 rows(m.m[0], m.m[1], m.m[2]), columns(m.m[4], m.m[5], m.m[6]);
    Vec3 normal;
    Vec3::cross(rows, columns, &normal);
    Vec3 centre;
    actor->getImageCenter(centre);
    window->setCameraPosition(centre - normal * 1000.0f);
    window->setCameraFocalAndUp(centre, -columns);
    window->setZoomRatio(4.0f);
    actor->publishDisplayState();
    input->advance(0.2f);

    auto* interactor = isInteractorImage::create();
    interactor->setRenderWindow(window);
    window->setInteractor(interactor);
    const Vec2 c(kOrigin + kSide / 2, kOrigin + kSide / 2);
    interactor->setInteractionMode(isInteractorImage::kModeLine);
    drag(c + Vec2(-170, 160), c + Vec2(-70, 160));
    interactor->setInteractionMode(isInteractorImage::kModePoint);
    tap(c + Vec2(10, 125));
    input->advance(0.3f);
    interactor->setInteractionMode(isInteractorImage::kModeAngle);
    drag(c + Vec2(-170, -20), c + Vec2(-110, -20));
    drag(c + Vec2(-170, -20), c + Vec2(-170, 40));
    interactor->setInteractionMode(isInteractorImage::kModeCircle);
    drag(c + Vec2(-50, 10), c + Vec2(-5, 10));
    interactor->setInteractionMode(isInteractorImage::kModePolygon);
    drag(c + Vec2(-110, -90), c + Vec2(0, -80));
    drag(c + Vec2(0, -80), c + Vec2(10, -160));
    drag(c + Vec2(10, -160), c + Vec2(-90, -165));
    tap(c + Vec2(-90, -165));
    tap(c + Vec2(-90, -165));
    input->advance(0.5f);

    isActorROI* roi = window->getROIActor();
    ASSERT_EQ(roi->getActors().size(), 5u);
    EXPECT_EQ(labelOf(roi, ROIData::kLine), "25.0mm") << "100 points at 4 points per mm";
    EXPECT_EQ(labelOf(roi, ROIData::kAngle), "90.0deg");
    EXPECT_EQ(labelOf(roi, ROIData::kPoint).rfind("Value:", 0), 0u) << labelOf(roi, ROIData::kPoint);
    EXPECT_EQ(labelOf(roi, ROIData::kCircle).rfind("Area:3.98,", 0), 0u) << labelOf(roi, ROIData::kCircle);
    EXPECT_EQ(labelOf(roi, ROIData::kPolygon).rfind("Area:", 0), 0u) << labelOf(roi, ROIData::kPolygon);

    const std::vector<unsigned char> px = readAll();
    EXPECT_TRUE(savePng(px, qptest::binaryDir() + "/measurements_ct.png"));
    const qptest::Px lineMiddle = qptest::readPixel(int(c.x - 120), int(c.y + 160));
    EXPECT_TRUE(qptest::isColour(lineMiddle, 0, 255, 0, 40)) << "the line is drawn in green";
    actor->release();
}
