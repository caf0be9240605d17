// Geometry functions: distances, intersections, Euler angles and camera frames.

#include <gtest/gtest.h>

#include <cmath>

#include "imaging/core/geometry/Geometry.h"

using namespace isImageSDK;

TEST(Geometry, DistancesAndIntersections)
{
    const float p[3] = {0, 1, 0}, a[3] = {0, 0, 0}, d[3] = {2, 0, 0};
    EXPECT_FLOAT_EQ(distancePointToLine(p, a, d), 1.0f);
    const float q[3] = {3, 4, 9}, along[3] = {0, 0, -7};
    EXPECT_FLOAT_EQ(distancePointToLine(q, a, along), 5.0f);

    float x, y, z;
    const float p2[3] = {1, 2, 3}, n[3] = {0, 0, 5};
    intersectLinePlane(p2, a, n, x, y, z);
    EXPECT_FLOAT_EQ(x, 1);
    EXPECT_FLOAT_EQ(y, 2);
    EXPECT_FLOAT_EQ(z, 0);

    double ox, oy, oz;
    const double lp[3] = {0, 0, 10}, ld[3] = {0, 0, -1}, ln[3] = {0, 0, 1};
    intersectLinePlaneDouble(lp, ld, ln, 2.0, ox, oy, oz);
    EXPECT_DOUBLE_EQ(oz, 2.0);
    EXPECT_DOUBLE_EQ(ox, 0.0);
}

TEST(Geometry, EulerAnglesRoundTripAndTheNinetyDegreeBranch)
{
    double ax, ay, az;
    matrixToEulerAngles(cocos2d::Mat4(), ax, ay, az);
    EXPECT_NEAR(ax, 0, 1e-9);
    EXPECT_NEAR(ay, 0, 1e-9);
    EXPECT_NEAR(az, 0, 1e-9);

    cocos2d::Mat4 m;
    eulerToMatrix(cocos2d::Vec3(5, 6, 7), 10, 20, 30, m);
    EXPECT_FLOAT_EQ(m.m[12], 5);
    EXPECT_FLOAT_EQ(m.m[14], 7);
    matrixToEulerAngles(m, ax, ay, az);
    EXPECT_NEAR(ax, 10, 1e-4);
    EXPECT_NEAR(ay, 20, 1e-4);
    EXPECT_NEAR(az, 30, 1e-4);

    // First column exactly (0, 0, -1), second (0, 1, 0): y rotated by +90 degrees.
    cocos2d::Mat4 exact;
    exact.m[0] = 0;
    exact.m[1] = 0;
    exact.m[2] = -1;
    exact.m[8] = 1;
    exact.m[10] = 0;
    matrixToEulerAngles(exact, ax, ay, az);
    EXPECT_DOUBLE_EQ(az, 0);
    EXPECT_NEAR(ay, 90, 1e-5);
    EXPECT_NEAR(ax, 0, 1e-9);

    // The same rotation built in single precision leaves cos as about -4.4e-8 and takes the
    // general branch, still giving 90 degrees about y.
    cocos2d::Mat4 built;
    rotateY(built, 3.1415927410125732 / 2);
    EXPECT_NE(built.m[0], 0.0f);
    matrixToEulerAngles(built, ax, ay, az);
    EXPECT_NEAR(ay, 90, 1e-4);
}

TEST(Geometry, RotationsPostMultiply)
{
    cocos2d::Mat4 m;
    cocos2d::Mat4::createTranslation(1, 2, 3, &m);
    rotateX(m, M_PI / 2);
    // The y axis now points along +z; the translation is untouched.
    EXPECT_NEAR(m.m[6], 1.0f, 1e-6);
    EXPECT_NEAR(m.m[5], 0.0f, 1e-6);
    EXPECT_FLOAT_EQ(m.m[13], 2.0f);
    double q[7];
    const double pos[3] = {1, 2, 3};
    eulerToQuaternion(pos, 0, 0, 180, q);
    EXPECT_NEAR(q[3], 0, 1e-7);
    EXPECT_NEAR(q[6], 1, 1e-7);
}

TEST(Geometry, LookAtBasisIsTheCameraFrame)
{
    cocos2d::Mat4 m;
    lookAtBasis(cocos2d::Vec3(0, 0, 10), cocos2d::Vec3(0, 0, 0), cocos2d::Vec3(0, 3, 0), m);
    const float expected[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 10, 1};
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(m.m[i], expected[i], 1e-6) << i;
}
