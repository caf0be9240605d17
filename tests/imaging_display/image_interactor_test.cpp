// The image interactor's tool modes driven by injected touches: what each gesture posts to the
// window, the zoom limits, the rotation of the volume view, and measurements drawn, closed and
// dropped with the pointer.

#include <gtest/gtest.h>

#include <cmath>

#include "MeasureFixture.h"
#include "imaging/core/roi/ROIData.h"
#include "imaging/display/interactor/isInteractorImage.h"
#include "imaging/display/interactor/isInteractorTrackVR.h"

using namespace cocos2d;
using namespace displaytest;
using namespace isImageSDK;

namespace {

/// What the interactor posts to its window: id, text and float value.
class Posts : public Ref {
public:
    struct Post {
        unsigned int id;
        std::string text;
        float value;
    };
    /// Before the fixture's notification centre goes.
    void stop() { NSUI::NSNotificationCenter::getInstance()->removeObserver(this); }
    void listen(Ref* object, std::initializer_list<unsigned int> ids)
    {
        for (unsigned int id : ids)
            NSUI::NSNotificationCenter::getInstance()->addObserver(
                this, object,
                [this](Ref*, unsigned int got, NSUI::NSNotificationData* data) {
                    posts.push_back({got, data ? data->text : "", data ? data->floatValue : 0.0f});
                },
                id);
    }
    std::vector<Post> of(unsigned int id) const
    {
        std::vector<Post> out;
        for (const Post& p : posts)
            if (p.id == id) out.push_back(p);
        return out;
    }
    std::vector<Post> posts;
};

class ImageInteractor : public MeasureFixture {
protected:
    void SetUp() override
    {
        MeasureFixture::SetUp();
        interactor = isInteractorImage::create();
        interactor->setRenderWindow(window);
        window->setInteractor(interactor);
        posts.listen(window, {9061, 9062, 9064, 9065, 9066, 9067, 9068, 9071, 9085});
    }
    void TearDown() override
    {
        input->reset();
        posts.stop();
        MeasureFixture::TearDown();
    }
    /// A one-finger drag through the points, then frames for the queued posts.
    void drag(std::vector<Vec2> path)
    {
        input->touchBegan(0, path.front());
        frames(1); // readouts of the press are not withdrawn by those of the drag
        for (size_t i = 1; i < path.size(); ++i)
            input->touchMoved(0, path[i]);
        input->touchEnded(0, path.back());
        frames(4);
        input->advance(0.3f); // no double tap with the next press
    }
    void tap(Vec2 at)
    {
        input->touchBegan(0, at);
        input->touchEnded(0, at);
        input->advance(0.05f);
    }
    size_t measurementsOfType(int type) const
    {
        size_t n = 0;
        for (ROIData* model : isROIManager::getInstance()->getROIs())
            n += model->type == type;
        return n;
    }

    isInteractorImage* interactor = nullptr;
    Posts posts;
};

} // namespace

TEST_F(ImageInteractor, ZoomDragsStopAtTheRatioLimitAndIgnoreSidewaysMoves)
{
    interactor->setInteractionMode(isInteractorImage::kModeZoom);
    drag({Vec2(200, 200), Vec2(260, 202)});
    EXPECT_TRUE(posts.posts.empty()) << "a horizontal drag zooms nothing";

    window->setZoomRatio(10.2f);
    drag({Vec2(200, 200), Vec2(200, 210)});
    EXPECT_TRUE(posts.of(9062).empty()) << "no further in at 10.2";
    drag({Vec2(200, 200), Vec2(200, 190)});
    ASSERT_EQ(posts.of(9062).size(), 1u);
    EXPECT_FLOAT_EQ(posts.of(9062)[0].value, 0.95f);
    ASSERT_EQ(posts.of(9066).size(), 1u);
    EXPECT_FLOAT_EQ(posts.of(9066)[0].value, 0.95f);
}

TEST_F(ImageInteractor, PanAndWindowDragsEndWithTheirSummary)
{
    drag({Vec2(200, 200), Vec2(201, 200)});
    ASSERT_EQ(posts.of(9065).size(), 1u);
    EXPECT_EQ(NSUI::UIJson::getJsonString(posts.of(9065)[0].text, "x"), "-1.0000");
    EXPECT_EQ(NSUI::UIJson::getJsonString(posts.of(9061)[0].text, "y"), "0.0000");
    tap(Vec2(200, 200));
    frames(4);
    EXPECT_EQ(posts.of(9065).size(), 1u) << "a release without movement posts nothing";

    interactor->setInteractionMode(isInteractorImage::kModeWindowLevel);
    drag({Vec2(200, 200), Vec2(230, 190)});
    ASSERT_EQ(posts.of(9064).size(), 1u);
    EXPECT_EQ(posts.of(9064)[0].text, "{\"ww\":\"30.00\",\"wl\":\"-10.00\"}");
    EXPECT_EQ(posts.of(9067).size(), 1u);

    interactor->setInteractionMode(isInteractorImage::kModeProbe);
    drag({Vec2(210, 220), Vec2(212, 220)});
    EXPECT_EQ(posts.of(9085).front().text, "{\"x\":\"10.00\",\"y\":\"20.00\",\"z\":\"0.00\"}");
    EXPECT_EQ(posts.of(9071).back().text, "{\"x\":\"12.00\",\"y\":\"20.00\",\"z\":\"0.00\"}");
    EXPECT_EQ(posts.of(9068).size(), 1u);
}

TEST_F(ImageInteractor, TheVolumeInteractorTurnsTheViewAQuarterPer122Points)
{
    auto* track = isInteractorTrackVR::create();
    EXPECT_EQ(track->getInteractionMode(), isInteractorImage::kModeRotate);
    EXPECT_EQ(track->getTypeTag(), 2);
    track->setRenderWindow(window);
    window->setInteractor(track);
    isCameraState before, after;
    window->getCameraState(before);
    drag({Vec2(100, 200), Vec2(161, 200), Vec2(222, 200)});
    window->getCameraState(after);
    const Vec3 dop0(before.directionOfProjection), dop1(after.directionOfProjection);
    const Vec3 right0(before.rightAxis);
    EXPECT_NEAR(dop0.dot(dop1), 0.0f, 1e-4f) << "a quarter turn";
    EXPECT_NEAR(std::fabs(dop1.dot(right0)), 1.0f, 1e-4f) << "about the view-up axis";
    EXPECT_NEAR(Vec3(after.viewUp).dot(Vec3(before.viewUp)), 1.0f, 1e-4f);
    EXPECT_NEAR(Vec3(after.focalPoint).distance(Vec3(before.focalPoint)), 0.0f, 1e-3f);
}

TEST_F(ImageInteractor, ALineIsDrawnByADragAndATapLeavesNone)
{
    interactor->setInteractionMode(isInteractorImage::kModeLine);
    drag({Vec2(100, 200), Vec2(130, 240), Vec2(130, 240)});
    ASSERT_EQ(roi->getActors().size(), 1u);
    ROIData* line = roi->getActors()[0]->getData();
    EXPECT_LT(line->getPoint(0).distance(Vec3(-100, 0, 0)), 1e-3f);
    EXPECT_LT(line->getPoint(1).distance(Vec3(-70, 40, 0)), 1e-3f);
    EXPECT_EQ(line->ownerKey, roi->keyHash());

    // Zoomed out, a finger that shakes by one point still makes a 4 mm line: a tap is no line.
    lookAtPlane(0.25f);
    input->touchBegan(0, Vec2(350, 350));
    input->touchMoved(0, Vec2(351, 350));
    input->touchEnded(0, Vec2(351, 350));
    input->advance(0.3f);
    interactor->setInteractionMode(isInteractorImage::kModeCircle);
    tap(Vec2(300, 50));
    EXPECT_EQ(roi->getActors().size(), 1u);
    EXPECT_EQ(isROIManager::getInstance()->getROIs().size(), 1u);
    EXPECT_EQ(interactor->getCurrentROI(), nullptr);
}

TEST_F(ImageInteractor, ADoubleTapClosesAPolygonOfFivePointsNotFour)
{
    interactor->setInteractionMode(isInteractorImage::kModePolygon);
    drag({Vec2(100, 100), Vec2(300, 100)}); // first edge: points A, B and B's moving copy
    tap(Vec2(300, 300));                     // the copy lands: four points
    tap(Vec2(300, 300));                     // the second press is the double tap
    ASSERT_NE(interactor->getCurrentROI(), nullptr);
    EXPECT_EQ(interactor->getCurrentROI()->getData()->getPointCount(), 4);
    EXPECT_FALSE(interactor->getCurrentROI()->isDrawingDone()) << "four points stay open";

    input->advance(0.3f);
    tap(Vec2(100, 300)); // five points
    tap(Vec2(100, 300));
    EXPECT_EQ(interactor->getCurrentROI(), nullptr);
    ASSERT_EQ(roi->getActors().size(), 1u);
    EXPECT_TRUE(roi->getActors()[0]->isDrawingDone());
    EXPECT_EQ(roi->getActors()[0]->getData()->getPointCount(), 3) << "the moving point and its copy go";
    input->advance(0.3f);

    // A polygon left with two points is dropped when the tool changes.
    tap(Vec2(50, 50));
    ASSERT_NE(interactor->getCurrentROI(), nullptr);
    interactor->setInteractionMode(isInteractorImage::kModePan);
    EXPECT_EQ(roi->getActors().size(), 1u);
    EXPECT_EQ(measurementsOfType(ROIData::kPolygon), 1u);
}

TEST_F(ImageInteractor, TheMeasurementInHandOutlivesItsContainer)
{
    interactor->setInteractionMode(isInteractorImage::kModeAngle);
    drag({Vec2(200, 200), Vec2(250, 200)});
    isActorROIBase* angle = interactor->getCurrentROI();
    ASSERT_NE(angle, nullptr);
    EXPECT_EQ(angle->getCurrentPoint(), 2);
    window->getActorManager()->releaseActors(); // new data: every actor goes
    ASSERT_NE(angle->getData(), nullptr) << "the angle in hand keeps its model";
    const Vec3 before = angle->getData()->getPoint(2);
    drag({Vec2(200, 200), Vec2(200, 260)}); // keeps editing the angle it holds
    EXPECT_EQ(interactor->getCurrentROI(), angle) << "no new angle is begun";
    const Vec3 dragEnd(0, 60, 0);
    EXPECT_GT(before.distance(dragEnd), 1.0f);
    EXPECT_LT(angle->getData()->getPoint(2).distance(dragEnd), 1e-3f) << "the second arm follows the drag";
    EXPECT_EQ(measurementsOfType(ROIData::kAngle), 1u);
    interactor->setInteractionMode(isInteractorImage::kModePan);
    EXPECT_EQ(interactor->getCurrentROI(), nullptr);

    interactor->setInteractionMode(isInteractorImage::kModePoint);
    tap(Vec2(220, 220));
    ASSERT_NE(window->getROIActor()->getActors().size(), 0u);
    interactor->setInteractionMode(isInteractorImage::kModeAngle);
    input->advance(0.3f);
    drag({Vec2(100, 100), Vec2(100, 150)});
    ASSERT_NE(interactor->getCurrentROI(), nullptr);
    NSUI::NSNotificationCenter::getInstance()->postNotificationWithString(nullptr, 9093, "{\"index\":\"5\"}",
                                                                        window, true);
    frames(2);
    EXPECT_EQ(interactor->getCurrentROI(), nullptr) << "a new slice ends the drawing";
}

TEST_F(ImageInteractor, AMeasurementIsEditedAsItsOwnKindWhateverTheTool)
{
    // An unfinished angle let go of, then picked up again with the polygon tool.
    interactor->setInteractionMode(isInteractorImage::kModeAngle);
    drag({Vec2(200, 200), Vec2(250, 200)});
    isActorROIBase* angle = interactor->detachCurrentROI();
    ASSERT_NE(angle, nullptr);
    interactor->setInteractionMode(isInteractorImage::kModePolygon);
    drag({Vec2(250, 200), Vec2(250, 260)}); // its first arm's end
    ASSERT_EQ(interactor->getCurrentROI(), angle);
    EXPECT_EQ(angle->getCurrentPoint(), 2) << "the angle goes on to its second arm";
    EXPECT_EQ(measurementsOfType(ROIData::kPolygon), 0u);
}
