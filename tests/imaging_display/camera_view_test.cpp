// The view camera: its initial pose, re-aiming, projections both ways, rays, fitting, degenerate
// input, and agreement with the view the volume ray caster is given.

#include <gtest/gtest.h>

#include <cmath>

#include "imaging/display/isCamera.h"

using namespace isImageSDK;
using cocos2d::Vec3;

namespace {

struct CameraFixture : ::testing::Test {
    isCamera* camera = nullptr;
    void SetUp() override
    {
        camera = isCamera::create();
        ASSERT_NE(camera, nullptr);
        camera->retain();
    }
    void TearDown() override { camera->release(); }

    void expectNear(const Vec3& a, const Vec3& b, float tol = 1e-3f)
    {
        EXPECT_NEAR(a.x, b.x, tol);
        EXPECT_NEAR(a.y, b.y, tol);
        EXPECT_NEAR(a.z, b.z, tol);
    }
};

} // namespace

TEST_F(CameraFixture, StartsBehindTheOriginLookingAlongZ)
{
    expectNear(camera->getPosition3D(), Vec3(0, 0, -1));
    expectNear(camera->getFocalPoint(), Vec3(0, 0, 0));
    expectNear(camera->getViewUp(), Vec3(0, -1, 0));
    expectNear(camera->getDirectionOfProjection(), Vec3(0, 0, 1));
    expectNear(camera->getViewRight(), Vec3(1, 0, 0));
    EXPECT_FALSE(camera->isPerspective());
    EXPECT_FLOAT_EQ(camera->getZoom(), 1.0f);
}

TEST_F(CameraFixture, MovingKeepsTheFocalPointAndReaims)
{
    camera->setPosition3D(Vec3(10, 0, 0));
    expectNear(camera->getFocalPoint(), Vec3(0, 0, 0));
    expectNear(camera->getDirectionOfProjection(), Vec3(-1, 0, 0));
    EXPECT_NEAR(camera->focalDistance, 10.0f, 1e-4);
    // A position on the focal point has no line of sight: the pose stays as it was.
    camera->setPosition3D(Vec3(0, 0, 0));
    expectNear(camera->getDirectionOfProjection(), Vec3(-1, 0, 0));
    expectNear(camera->storedPosition, Vec3(10, 0, 0));
}

TEST_F(CameraFixture, ProjectAndUnprojectRoundTrip)
{
    for (bool perspective : {false, true}) {
        camera->setPerspective(perspective);
        ASSERT_TRUE(camera->setProjection(45, 400, 300, 1, 1000, cocos2d::Mat4()));
        ASSERT_TRUE(camera->setZoom(0.5f));
        camera->setPosition3D(Vec3(30, -40, 200));
        camera->lookAt(Vec3(5, 5, 5), Vec3(0, 1, 0));
        for (const Vec3& world : {Vec3(5, 5, 5), Vec3(20, -10, 40), Vec3(-30, 25, 0)}) {
            Vec3 screen, back;
            camera->project(world, screen);
            camera->unproject(screen.x, screen.y, screen.z, back);
            expectNear(back, world, 0.05f);
        }
        // The focal point projects to the viewport's centre.
        Vec3 centre;
        camera->project(Vec3(5, 5, 5), centre);
        EXPECT_NEAR(centre.x, 200, 1e-2);
        EXPECT_NEAR(centre.y, 150, 1e-2);
        Vec3 origin, direction;
        camera->screenPointToRay(123, 45, origin, direction);
        EXPECT_NEAR(direction.length(), 1.0f, 1e-5);
    }
}

TEST_F(CameraFixture, OrthographicZoomScalesTheVisibleBox)
{
    ASSERT_TRUE(camera->setProjection(60, 200, 100, 1, 1000, cocos2d::Mat4()));
    ASSERT_TRUE(camera->setZoom(2.0f));
    // The right edge of the viewport lies 200 units (width / 2 * zoom) right of the focal point.
    Vec3 edge;
    camera->unproject(200, 50, 0.5f, edge);
    EXPECT_NEAR((edge - camera->getFocalPoint()).dot(camera->getViewRight()), 200.0f, 1e-2);
    // Degenerate sizes are refused and change nothing.
    EXPECT_FALSE(camera->setZoom(0.0f));
    EXPECT_FALSE(camera->setProjection(60, 0, 100, 1, 1000, cocos2d::Mat4()));
    EXPECT_FALSE(camera->setProjection(60, 200, 100, 5, 5, cocos2d::Mat4()));
    EXPECT_FLOAT_EQ(camera->getZoom(), 2.0f);
    Vec3 again;
    camera->unproject(200, 50, 0.5f, again);
    expectNear(again, edge);
}

TEST_F(CameraFixture, FittingCorners)
{
    ASSERT_TRUE(camera->setProjection(60, 400, 200, 1, 1000, cocos2d::Mat4()));
    // A 100 x 100 square facing the camera: limited by the height of a wide viewport.
    const float square[12] = {-50, -50, 0, 50, -50, 0, 50, 50, 0, -50, 50, 0};
    EXPECT_NEAR(camera->fitZoomForCorners(square), 100.0f / 200.0f, 1e-4);
    const float thin[12] = {-50, 0, 0, 50, 0, 0, 50, 0.2f, 0, -50, 0.2f, 0};
    EXPECT_FLOAT_EQ(camera->fitZoomForCorners(thin), 1.0f);
    EXPECT_FLOAT_EQ(camera->fitDistanceForCorners(square), 1.0f + 999.0f / 2.0f);
    camera->setPerspective(true);
    ASSERT_TRUE(camera->setProjection(60, 400, 200, 1, 1000, cocos2d::Mat4()));
    EXPECT_FLOAT_EQ(camera->fitZoomForCorners(square), 1.0f);
    const float d = camera->fitDistanceForCorners(square);
    EXPECT_NEAR(d, 50.0f / std::tan(30.0f * 3.1415925f / 180.0f), 1e-2);
    const float huge[12] = {-1e6f, -1e6f, 0, 1e6f, -1e6f, 0, 1e6f, 1e6f, 0, -1e6f, 1e6f, 0};
    EXPECT_FLOAT_EQ(camera->fitDistanceForCorners(huge), 999.0f);
    const float tiny[12] = {0, 0, 0, 0.1f, 0, 0, 0.1f, 0.1f, 0, 0, 0.1f, 0};
    EXPECT_FLOAT_EQ(camera->fitDistanceForCorners(tiny), 2.0f);
}

TEST_F(CameraFixture, FocalPlaneAndCameraSpace)
{
    camera->setPosition3D(Vec3(0, 0, -10));
    Vec3 p(3, 4, 25);
    camera->projectOntoFocalPlane(p);
    expectNear(p, Vec3(3, 4, 0));
    Vec3 q(0, 0, 0);
    camera->worldToCamera(q);
    expectNear(q, Vec3(0, 0, -10)); // ten units in front, down the camera's -z
}

TEST_F(CameraFixture, VolumeViewProjectsLikeTheCamera)
{
    for (bool perspective : {false, true}) {
        camera->setPerspective(perspective);
        ASSERT_TRUE(camera->setProjection(40, 320, 240, 2, 900, cocos2d::Mat4()));
        ASSERT_TRUE(camera->setZoom(0.8f));
        camera->setPosition3D(Vec3(100, 80, -300));
        camera->lookAt(Vec3(10, 20, 30), Vec3(0, -1, 0));
        const isVolumeView view = camera->toVolumeView();
        for (const Vec3& w : {Vec3(10, 20, 30), Vec3(60, -20, 90)}) {
            Vec3 a;
            camera->project(w, a);
            const float in[3] = {w.x, w.y, w.z};
            float b[3];
            ASSERT_TRUE(view.project(in, b));
            EXPECT_NEAR(a.x, b[0], 1e-2);
            EXPECT_NEAR(a.y, b[1], 1e-2);
            EXPECT_NEAR(a.z, b[2], 1e-4);
        }
    }
}
