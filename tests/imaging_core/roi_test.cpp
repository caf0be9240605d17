// Measurement models: validity, editing, picking and the application-wide list.

#include <gtest/gtest.h>

#include "imaging/core/roi/ROIAngle.h"
#include "imaging/core/roi/ROICircle.h"
#include "imaging/core/roi/ROILine.h"
#include "imaging/core/roi/ROIPoint.h"
#include "imaging/core/roi/ROIPolygon.h"
#include "imaging/core/roi/isROIManager.h"

using namespace isImageSDK;
using cocos2d::Vec3;

namespace {
const Vec3 kDown(0, 0, -1); // pick rays look down the z axis
}

TEST(ROI, ValidityThresholds)
{
    ROILine* line = ROILine::create();
    EXPECT_EQ(line->type, ROIData::kLine);
    line->setPoint(1, Vec3(0.04f, 0, 0));
    EXPECT_FALSE(line->isValid());
    line->setPoint(1, Vec3(0.05f, 0, 0));
    EXPECT_TRUE(line->isValid());

    ROICircle* circle = ROICircle::create();
    circle->setPoint(1, Vec3(0.05f, 0, 0));
    EXPECT_FALSE(circle->isValid());
    circle->setPoint(1, Vec3(0.06f, 0, 0));
    EXPECT_TRUE(circle->isValid());

    ROIAngle* angle = ROIAngle::create();
    angle->setPoint(1, Vec3(10, 0, 0));
    angle->setPoint(2, Vec3(10, 0, 0)); // arms coincide but are long
    EXPECT_TRUE(angle->isValid());
    angle->setPoint(2, Vec3(0, 0.01f, 0));
    EXPECT_FALSE(angle->isValid());

    ROIPolygon* polygon = ROIPolygon::create();
    polygon->points.assign(3, Vec3(1, 1, 0));
    EXPECT_FALSE(polygon->isValid());
    polygon->points[1] = Vec3(2, 1, 0);
    polygon->points[2] = Vec3(1, 2, 0);
    EXPECT_TRUE(polygon->isValid());
    polygon->points.assign(4, Vec3(1, 1, 0));
    EXPECT_TRUE(polygon->isValid());
    polygon->points.resize(2);
    EXPECT_FALSE(polygon->isValid());
}

TEST(ROI, PickingChoosesTheNearestHandle)
{
    ROILine* line = ROILine::create();
    line->setPoint(0, Vec3(0, 0, 0));
    line->setPoint(1, Vec3(10, 0, 0));
    float distance = -1;
    int index = -7;
    line->pick(Vec3(2, 1, 50), kDown, distance, index);
    EXPECT_EQ(index, 0);
    EXPECT_NEAR(distance, std::sqrt(5.0f), 1e-5);
    line->pick(Vec3(5, 0, 5), kDown, distance, index); // a tie picks the second end
    EXPECT_EQ(index, 1);

    ROIAngle* angle = ROIAngle::create();
    angle->setPoint(1, Vec3(10, 0, 0));
    angle->setPoint(2, Vec3(0, 10, 0));
    angle->pick(Vec3(1, 9, 3), kDown, distance, index);
    EXPECT_EQ(index, 2);

    ROIPolygon* empty = ROIPolygon::create();
    index = 42;
    empty->pick(Vec3(0, 0, 1), kDown, distance, index);
    EXPECT_EQ(index, 42);
    EXPECT_FLOAT_EQ(distance, 99999.0f);

    ROIData* base = ROIPoint::create();
    base->pick(Vec3(3, 4, 1), kDown, distance, index);
    EXPECT_EQ(index, 0);
    EXPECT_FLOAT_EQ(distance, 5.0f);
}

TEST(ROI, CirclePickGrabsTheCentreInsideAndMovesTheRimOutside)
{
    ROICircle* circle = ROICircle::create();
    circle->setPoint(0, Vec3(5, 5, 0));
    circle->setPoint(1, Vec3(9, 5, 0)); // r = 4
    float distance = -1;
    int index = -1;
    circle->pick(Vec3(5, 5, 20), kDown, distance, index);
    EXPECT_EQ(index, 0);
    EXPECT_FLOAT_EQ(distance, 0.0f);
    EXPECT_FLOAT_EQ(circle->radius(), 4.0f);
    EXPECT_EQ(circle->rim, Vec3(9, 5, 0));

    // A ray 0.7 r away along y: the rim swings toward it, keeping the radius.
    circle->pick(Vec3(5, 5 + 2.8f, 20), kDown, distance, index);
    EXPECT_EQ(index, 1);
    EXPECT_NEAR(distance, 4.0f - 2.8f, 1e-5);
    EXPECT_NEAR(circle->rim.x, 5.0f, 1e-5);
    EXPECT_NEAR(circle->rim.y, 9.0f, 1e-5);

    // Moving the centre drags the whole circle.
    circle->setPoint(0, Vec3(0, 0, 0));
    EXPECT_NEAR(circle->rim.x, 0.0f, 1e-5);
    EXPECT_NEAR(circle->rim.y, 4.0f, 1e-5);
}

TEST(ROI, CopiesAndTheApplicationList)
{
    ROIPolygon* a = ROIPolygon::create();
    a->points = {Vec3(1, 0, 0), Vec3(0, 1, 0)};
    a->ownerKey = 77;
    a->label = "liver";
    ROIPolygon* b = ROIPolygon::create();
    b->points = {Vec3(9, 9, 9)};
    a->copyTo(b);
    EXPECT_EQ(b->points.size(), 2u);
    EXPECT_EQ(b->ownerKey, 77u);
    EXPECT_EQ(b->label, "liver");
    a->copyTo(a); // copying onto itself keeps its points
    EXPECT_EQ(a->points.size(), 2u);

    isROIManager* list = isROIManager::getInstance();
    const unsigned refs = a->getReferenceCount();
    list->addROI(a);
    list->addROI(a);
    EXPECT_EQ(list->getROIs().size(), 1u);
    EXPECT_EQ(a->getReferenceCount(), refs + 1);
    EXPECT_TRUE(list->removeROI(a));
    EXPECT_FALSE(list->removeROI(a));
    EXPECT_EQ(a->getReferenceCount(), refs);
}
