// Measurement actors and their container in a window without a display: the numbers they show,
// statistics requests and replies, numbering across slices, picking and per-view filtering.

#include <gtest/gtest.h>

#include <cmath>

#include "MeasureFixture.h"
#include "imaging/core/roi/ROIAngle.h"
#include "imaging/core/roi/ROICircle.h"
#include "imaging/core/roi/ROILine.h"
#include "imaging/display/roi/isActorROIAngle.h"
#include "imaging/display/roi/isActorROICircle.h"
#include "imaging/display/roi/isActorROILine.h"
#include "imaging/display/text/isNodeText.h"

using namespace cocos2d;
using namespace displaytest;
using namespace isImageSDK;

namespace {

const unsigned int kStatistics = 9095;

class Measurements : public MeasureFixture {
protected:
    std::string labelOf(isActorROIBase* actor) { return actor->getLabel() ? actor->getLabel()->getString() : "?"; }
    /// Posts what the window's image actor would post for a new slice or orientation.
    void showSlice(unsigned int id, const char* key, int value)
    {
        std::string json = std::string("{\"") + key + "\":\"" + std::to_string(value) + "\"}";
        NSUI::NSNotificationCenter::getInstance()->postNotificationWithString(nullptr, id, json, window, true);
        frames(2);
    }
    std::vector<int> numbers() const
    {
        std::vector<int> out;
        for (isActorROIBase* actor : roi->getActors())
            out.push_back(actor->getNumber());
        return out;
    }
};

} // namespace

TEST_F(Measurements, LineAndAngleShowTheirLengthAndAngle)
{
    isActorROIBase* line = roi->newTwoPoint(ROIData::kLine, Vec3(0, 0, 0));
    line->movePoint(Vec3(30, 40, 0));
    isActorROIBase* angle = roi->newAngle(Vec3(0, 0, 0));
    angle->movePoint(Vec3(20, 0, 0));
    static_cast<isActorROIAngle*>(angle)->advancePoint();
    angle->movePoint(Vec3(0, 25, 0));
    redraw();
    EXPECT_EQ(labelOf(line), "50.0mm");
    EXPECT_EQ(labelOf(angle), "90.0deg");
    EXPECT_FALSE(line->isDirty());

    EXPECT_EQ(isActorROIAngle::degrees(Vec3(1, 1, 0), Vec3(1, 1, 0), Vec3(5, 1, 0)), 0.0f)
        << "an arm of no length gives no NaN";
    EXPECT_NEAR(isActorROIAngle::degrees(Vec3(0, 0, 0), Vec3(1e-3f, 0, 0), Vec3(2e-3f, 0, 0)), 0.0f, 0.01f)
        << "rounding past a cosine of 1 gives no NaN";
}

TEST_F(Measurements, OnlyARealChangeAsksForStatisticsAndCameraMovesPlaceTheLabelAgain)
{
    Recorder requests;
    requests.listen(kStatistics, window);
    isActorROIBase* circle = roi->newTwoPoint(ROIData::kCircle, Vec3(0, 0, 0));
    circle->movePoint(Vec3(20, 0, 0));
    redraw();
    frames(3); // the request waits in the one-per-frame queue
    EXPECT_EQ(requests.count(kStatistics), 1);
    const Vec2 before = circle->getLabel()->getPosition();

    // Dragging the label: the figure is redrawn, nothing is measured again.
    NSUI::NSNotificationCenter::getInstance()->postNotification(circle->getLabel(), 9092, nullptr, window, true);
    frames(1);
    EXPECT_TRUE(circle->isLabelMoved());
    redraw();
    frames(3);
    EXPECT_EQ(requests.count(kStatistics), 1);

    // Zooming moves the shape on screen: its label follows, still without a new request.
    window->zoomBy(2.0f);
    frames(3);
    redraw();
    frames(3);
    EXPECT_EQ(requests.count(kStatistics), 1);
    EXPECT_NE(circle->getLabel()->getPosition(), before) << "the label follows the zoomed circle";
    EXPECT_NEAR(circle->getLabel()->getPositionX(), screenOf(Vec3(-20, 0, 0)).x, 0.5f);

    circle->movePoint(Vec3(30, 0, 0));
    redraw();
    frames(3);
    EXPECT_EQ(requests.count(kStatistics), 2) << "a moved rim is measured again";
}

TEST_F(Measurements, AStatisticsReplyReachesOnlyTheActorWithItsNumberAndOwner)
{
    isActorROIBase* first = roi->newTwoPoint(ROIData::kCircle, Vec3(0, 0, 0));
    first->movePoint(Vec3(10, 0, 0));
    isActorROIBase* second = roi->newTwoPoint(ROIData::kCircle, Vec3(50, 0, 0));
    second->movePoint(Vec3(60, 0, 0));
    redraw();
    auto reply = [&](int number, uint32_t owner, const char* text) {
        auto* data = new NSUI::NSNotificationData();
        data->text = text;
        data->intValue = number;
        data->intValue2 = static_cast<int32_t>(owner);
        NSUI::NSNotificationCenter::getInstance()->postNotification(nullptr, kStatistics, data, window, true);
        data->release();
        frames(2);
    };
    reply(2, roi->keyHash(), "Area:3.14");
    reply(1, roi->keyHash() + 1, "other slice");
    EXPECT_EQ(labelOf(second), "Area:3.14");
    EXPECT_EQ(second->getData()->label, "Area:3.14") << "kept with the measurement";
    EXPECT_EQ(labelOf(first), "");
}

TEST_F(Measurements, NumbersSurviveASliceRoundTripAndOnlyTheLastIsHandedOutAgain)
{
    for (float x : {0.0f, 30.0f, 60.0f})
        roi->newTwoPoint(ROIData::kLine, Vec3(x, 0, 0))->movePoint(Vec3(x + 10, 0, 0));
    showSlice(isActorROI::kSliceChangedId, "index", 13);
    EXPECT_TRUE(roi->getActors().empty());
    showSlice(isActorROI::kSliceChangedId, "index", 12);
    EXPECT_EQ(numbers(), (std::vector<int>{1, 2, 3}));

    roi->removeROI(roi->getActors()[2]);
    EXPECT_EQ(roi->newPoint(Vec3(5, 5, 0))->getNumber(), 3) << "the last number is reused";
    roi->removeROI(roi->getActors()[1]);
    EXPECT_EQ(roi->newPoint(Vec3(9, 9, 0))->getNumber(), 4) << "a gap in the middle stays";
    EXPECT_EQ(isROIManager::getInstance()->getROIs().size(), 3u);
}

TEST_F(Measurements, APickFindsAHandleWithin15ScreenPixelsAtAnyZoom)
{
    isActorROIBase* line = roi->newTwoPoint(ROIData::kLine, Vec3(0, 0, 0));
    line->movePoint(Vec3(40, 0, 0));
    line->endPointEdit();
    for (float ratio : {1.0f, 4.0f}) {
        lookAtPlane(ratio);
        const Vec2 handle = screenOf(Vec3(40, 0, 0));
        Vec3 origin, direction;
        window->screenPointToWorldRay(handle + Vec2(0, 16), origin, direction);
        EXPECT_EQ(roi->pickROI(origin, direction), nullptr) << "16 px at ratio " << ratio;
        EXPECT_EQ(line->getCurrentPoint(), -1);
        window->screenPointToWorldRay(handle + Vec2(0, 14), origin, direction);
        EXPECT_EQ(roi->pickROI(origin, direction), line) << "14 px at ratio " << ratio;
        EXPECT_EQ(line->getCurrentPoint(), 1);
        line->endPointEdit();
    }
}

TEST_F(Measurements, AnOrientationChangeShowsOnlyThatViewsMeasurements)
{
    roi->newPoint(Vec3(1, 1, 0));
    showSlice(isActorROI::kOrientationChangedId, "orient", 2);
    EXPECT_TRUE(roi->getActors().empty());
    roi->newPoint(Vec3(2, 2, 0));
    roi->newPoint(Vec3(3, 3, 0));
    showSlice(isActorROI::kOrientationChangedId, "orient", 1);
    ASSERT_EQ(roi->getActors().size(), 1u);
    EXPECT_EQ(roi->getActors()[0]->getData()->getPoint(0), Vec3(1, 1, 0));
    showSlice(isActorROI::kOrientationChangedId, "orient", 2);
    EXPECT_EQ(numbers(), (std::vector<int>{1, 2}));

    // A series of its own keeps its own measurements.
    roi->setImageText("study,4");
    roi->rebuild();
    EXPECT_TRUE(roi->getActors().empty());
}
