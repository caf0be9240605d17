// Matrix and quaternion behaviour the scene graph and the cameras rely on.

#include "math/CCMath.h"

#include <gtest/gtest.h>

using namespace cocos2d;

namespace {

void expectNear(const Vec3& a, const Vec3& b, float tol = 1e-4f)
{
    EXPECT_NEAR(a.x, b.x, tol);
    EXPECT_NEAR(a.y, b.y, tol);
    EXPECT_NEAR(a.z, b.z, tol);
}

void expectNear(const Mat4& a, const Mat4& b, float tol = 1e-4f)
{
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(a.m[i], b.m[i], tol) << "element " << i;
}

Vec3 project(const Mat4& m, const Vec3& p)
{
    Vec4 c = m * Vec4(p.x, p.y, p.z, 1.0f);
    return Vec3(c.x / c.w, c.y / c.w, c.z / c.w);
}

} // namespace

TEST(Mat4, RowOrderArgumentsAreStoredColumnMajor)
{
    Mat4 m(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
    EXPECT_EQ(m.m[0], 1);
    EXPECT_EQ(m.m[1], 5);
    EXPECT_EQ(m.m[4], 2);
    EXPECT_EQ(m.m[12], 4); // m14 is the x translation
    EXPECT_EQ(m.m[15], 16);
    EXPECT_TRUE(Mat4().isIdentity());
    EXPECT_EQ(Mat4(), Mat4::IDENTITY);
}

TEST(Mat4, ColumnVectorsGiveAxesAndTranslation)
{
    Mat4 m(Vec3(0, 1, 0), Vec3(-1, 0, 0), Vec3(0, 0, 1), Vec3(5, 6, 7));
    expectNear(m * Vec3(1, 0, 0), Vec3(0, 1, 0));
    expectNear(m * Vec3(0, 1, 0), Vec3(-1, 0, 0));
    expectNear(project(m, Vec3(1, 0, 0)), Vec3(5, 7, 7));
    EXPECT_EQ(m.m[3], 0.0f);
    EXPECT_EQ(m.m[15], 1.0f);
}

TEST(Mat4, PointsTakeTranslationButVectorsDoNot)
{
    Mat4 m;
    Mat4::createTranslation(10, 20, 30, &m);
    Vec3 p(1, 2, 3);
    m.transformPoint(&p);
    expectNear(p, Vec3(11, 22, 33));
    Vec3 v(1, 2, 3);
    m.transformVector(&v);
    expectNear(v, Vec3(1, 2, 3));
    expectNear(m * Vec3(1, 0, 0), Vec3(1, 0, 0));
}

TEST(Mat4, RotationsTurnCounterClockwiseAboutTheirAxis)
{
    const float quarter = MATH_PIOVER2;
    Mat4 rz, rx, ry;
    Mat4::createRotationZ(quarter, &rz);
    Mat4::createRotationX(quarter, &rx);
    Mat4::createRotationY(quarter, &ry);
    expectNear(rz * Vec3(1, 0, 0), Vec3(0, 1, 0));
    expectNear(rx * Vec3(0, 1, 0), Vec3(0, 0, 1));
    expectNear(ry * Vec3(0, 0, 1), Vec3(1, 0, 0));

    Mat4 axis;
    Mat4::createRotation(Vec3(0, 0, 5), quarter, &axis); // axis need not be unit length
    expectNear(axis, rz);
}

TEST(Mat4, OperationsPostMultiplySoTheLastOneAppliesFirst)
{
    Mat4 m;
    m.translate(100, 0, 0);
    m.rotateZ(MATH_PIOVER2);
    m.scale(2.0f);
    Vec3 p(1, 0, 0);
    m.transformPoint(&p);
    // scaled to (2,0), turned to (0,2), then moved by 100
    expectNear(p, Vec3(100, 2, 0));

    Mat4 other;
    other.rotateY(0.3f);
    other.translate(Vec3(1, 2, 3));
    Mat4 expected;
    Mat4 r, t;
    Mat4::createRotationY(0.3f, &r);
    Mat4::createTranslation(1, 2, 3, &t);
    Mat4::multiply(r, t, &expected);
    expectNear(other, expected);
}

TEST(Mat4, MultiplyMayWriteIntoEitherOperand)
{
    Mat4 a, b;
    Mat4::createRotationX(0.7f, &a);
    a.translate(3, -2, 5);
    Mat4::createScale(2, 3, 4, &b);
    b.rotateZ(1.1f);
    const Mat4 expected = a * b;
    Mat4 c = a;
    Mat4::multiply(c, b, &c);
    expectNear(c, expected);
    Mat4 d = b;
    Mat4::multiply(a, d, &d);
    expectNear(d, expected);
}

TEST(Mat4, InverseUndoesAnAffineTransformAndRefusesSingularOnes)
{
    Mat4 m;
    m.translate(5, -7, 11);
    m.rotate(Vec3(1, 1, 0), 0.8f);
    m.scale(2, 0.5f, 3);
    Mat4 inv = m.getInversed();
    expectNear(m * inv, Mat4::IDENTITY);
    expectNear(inv * m, Mat4::IDENTITY);

    Mat4 singular;
    Mat4::createScale(1, 0, 1, &singular);
    Mat4 copy = singular;
    EXPECT_FALSE(copy.inverse());
    EXPECT_EQ(copy, singular);
    EXPECT_FALSE(Mat4::ZERO.getInversed().isIdentity());
}

TEST(Mat4, DecomposeRecoversScaleRotationAndTranslation)
{
    Mat4 m;
    const Quaternion q(Vec3(0.2f, 1, 0.3f), 1.2f);
    m.translate(4, 5, 6);
    m.rotate(q);
    m.scale(2, 3, 4);
    Vec3 s, t;
    Quaternion r;
    ASSERT_TRUE(m.decompose(&s, &r, &t));
    expectNear(s, Vec3(2, 3, 4));
    expectNear(t, Vec3(4, 5, 6));
    // q and -q are the same rotation
    const float sign = (r.w * q.w < 0) ? -1.0f : 1.0f;
    EXPECT_NEAR(r.x * sign, q.x, 1e-4f);
    EXPECT_NEAR(r.y * sign, q.y, 1e-4f);
    EXPECT_NEAR(r.z * sign, q.z, 1e-4f);
    EXPECT_NEAR(r.w * sign, q.w, 1e-4f);
    EXPECT_NEAR(m.determinant(), 24.0f, 1e-3f);
}

TEST(Mat4, OrthographicOffCenterMapsTheBoxToClipSpace)
{
    Mat4 p;
    Mat4::createOrthographicOffCenter(0, 800, 0, 600, -1024, 1024, &p);
    expectNear(project(p, Vec3(0, 0, 0)), Vec3(-1, -1, 0));
    expectNear(project(p, Vec3(800, 600, 0)), Vec3(1, 1, 0));
    expectNear(project(p, Vec3(400, 300, -1024)), Vec3(0, 0, 1)); // far plane (looking down -z)
    expectNear(project(p, Vec3(400, 300, 1024)), Vec3(0, 0, -1));

    Mat4 degenerate;
    Mat4::createOrthographicOffCenter(5, 5, 0, 10, -1, 1, &degenerate);
    for (float v : degenerate.m)
        EXPECT_TRUE(std::isfinite(v));
}

TEST(Mat4, PerspectiveMapsNearAndFarPlanesToDepthLimits)
{
    Mat4 p;
    Mat4::createPerspective(60.0f, 4.0f / 3.0f, 1.0f, 100.0f, &p);
    expectNear(project(p, Vec3(0, 0, -1)), Vec3(0, 0, -1));
    expectNear(project(p, Vec3(0, 0, -100)), Vec3(0, 0, 1));
    // The top edge of the view at distance d is d * tan(30 degrees).
    const float top = 10.0f * std::tan(MATH_DEG_TO_RAD(30.0f));
    EXPECT_NEAR(project(p, Vec3(0, top, -10)).y, 1.0f, 1e-4f);
    EXPECT_NEAR(project(p, Vec3(top * 4.0f / 3.0f, 0, -10)).x, 1.0f, 1e-4f);

    Mat4 degenerate;
    Mat4::createPerspective(60.0f, 1.0f, 5.0f, 5.0f, &degenerate);
    for (float v : degenerate.m)
        EXPECT_TRUE(std::isfinite(v));
}

TEST(Mat4, LookAtPutsTheEyeAtTheOriginFacingMinusZ)
{
    Mat4 view;
    const Vec3 eye(10, 20, 30), target(10, 20, 0);
    Mat4::createLookAt(eye, target, Vec3(0, 1, 0), &view);
    Vec3 e = eye, t = target, above(10, 25, 30);
    view.transformPoint(&e);
    view.transformPoint(&t);
    view.transformPoint(&above);
    expectNear(e, Vec3(0, 0, 0));
    expectNear(t, Vec3(0, 0, -30));
    expectNear(above, Vec3(0, 5, 0));

    // Looking along +x with z up.
    Mat4::createLookAt(Vec3(0, 0, 0), Vec3(1, 0, 0), Vec3(0, 0, 1), &view);
    expectNear(view * Vec3(1, 0, 0), Vec3(0, 0, -1));
    expectNear(view * Vec3(0, 0, 1), Vec3(0, 1, 0));
}

TEST(Quaternion, AgreesWithMatricesAndRoundTripsThroughThem)
{
    const Vec3 v(1, 2, 3);
    for (float angle : {0.0f, 0.5f, 2.0f, 3.14159265f}) {
        for (const Vec3& axis : {Vec3(1, 0, 0), Vec3(0, 1, 0), Vec3(0, 0, 1), Vec3(1, -2, 0.5f)}) {
            Quaternion q(axis, angle);
            Mat4 m;
            Mat4::createRotation(q, &m);
            expectNear(q * v, m * v);
            Quaternion back(m);
            expectNear(back * v, m * v); // also for half turns, where the trace is negative
        }
    }
    Vec3 axis;
    const float angle = Quaternion(Vec3(0, 0, 2), 1.0f).toAxisAngle(&axis);
    EXPECT_NEAR(angle, 1.0f, 1e-5f);
    expectNear(axis, Vec3(0, 0, 1));
}

TEST(Quaternion, ComposesInverseAndInterpolates)
{
    const Quaternion a(Vec3(0, 0, 1), 0.4f), b(Vec3(0, 0, 1), 0.6f);
    expectNear((a * b) * Vec3(1, 0, 0), Quaternion(Vec3(0, 0, 1), 1.0f) * Vec3(1, 0, 0));
    expectNear((a * a.getInversed()) * Vec3(1, 2, 3), Vec3(1, 2, 3));

    Quaternion mid;
    Quaternion::slerp(Quaternion::identity(), Quaternion(Vec3(0, 1, 0), 2.0f), 0.5f, &mid);
    expectNear(mid * Vec3(1, 0, 0), Quaternion(Vec3(0, 1, 0), 1.0f) * Vec3(1, 0, 0));

    Quaternion z = Quaternion::ZERO;
    EXPECT_FALSE(z.inverse());
}
