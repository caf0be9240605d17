// Vectors, sizes, rectangles and colours.

#include "math/CCMath.h"

#include <gtest/gtest.h>

using namespace cocos2d;

TEST(Vec, NormalizingAZeroVectorLeavesItZero)
{
    Vec2 v2;
    v2.normalize();
    EXPECT_TRUE(v2.isZero());
    Vec3 v3;
    EXPECT_TRUE(v3.getNormalized().isZero());
    EXPECT_NEAR(Vec3(3, 4, 12).getNormalized().length(), 1.0f, 1e-6f);
    EXPECT_NEAR(Vec2(3, 4).getNormalized().x, 0.6f, 1e-6f);
}

TEST(Vec, AnglesCrossProductsAndRotation)
{
    EXPECT_NEAR(Vec2(1, 0).getAngle(Vec2(0, 1)), MATH_PIOVER2, 1e-5f);
    EXPECT_NEAR(Vec2(0, 1).getAngle(Vec2(1, 0)), -MATH_PIOVER2, 1e-5f);
    EXPECT_NEAR(Vec2(0, -1).getAngle(), -MATH_PIOVER2, 1e-5f);
    const Vec2 r = Vec2(2, 1).rotateByAngle(Vec2(1, 1), MATH_PIOVER2);
    EXPECT_NEAR(r.x, 1.0f, 1e-5f);
    EXPECT_NEAR(r.y, 2.0f, 1e-5f);

    Vec3 c = Vec3::UNIT_X;
    c.cross(Vec3::UNIT_Y); // the result may overwrite an operand
    EXPECT_EQ(c, Vec3::UNIT_Z);
    EXPECT_NEAR(Vec3::angle(Vec3(1, 0, 0), Vec3(0, 0, 5)), MATH_PIOVER2, 1e-5f);
    EXPECT_NEAR(Vec2(1, 1).distance(Vec2(4, 5)), 5.0f, 1e-6f);
}

TEST(Rect, EdgesCountAsInsideAndTouchingRectsIntersect)
{
    const Rect r(10, 20, 100, 50);
    EXPECT_TRUE(r.containsPoint(Vec2(10, 20)));
    EXPECT_TRUE(r.containsPoint(Vec2(110, 70)));
    EXPECT_FALSE(r.containsPoint(Vec2(110.01f, 70)));
    EXPECT_FALSE(r.containsPoint(Vec2(9.99f, 30)));
    EXPECT_TRUE(r.intersectsRect(Rect(110, 70, 5, 5)));
    EXPECT_FALSE(r.intersectsRect(Rect(111, 20, 5, 5)));
    EXPECT_TRUE(r.intersectsRect(Rect(0, 0, 500, 500))); // containing
    EXPECT_TRUE(r.intersectsCircle(Vec2(0, 45), 10.0f));
    EXPECT_FALSE(r.intersectsCircle(Vec2(0, 0), 10.0f)); // the corner is ~22.4 away
    EXPECT_EQ(r.getMidX(), 60.0f);
    EXPECT_EQ(r.getMaxY(), 70.0f);
}

TEST(Rect, UnionHoldsBothRectangles)
{
    Rect a(0, 0, 10, 10);
    const Rect b(-5, 20, 5, 5);
    const Rect u = a.unionWithRect(b);
    EXPECT_EQ(u, Rect(-5, 0, 15, 25));
    a.merge(b);
    EXPECT_EQ(a, u);
    EXPECT_TRUE(Size(1, 2).equals(Size(1.0000001f, 2)));
    EXPECT_EQ(Size(2, 3) * 2.0f, Size(4, 6));
    EXPECT_EQ(Vec2(Size(3, 4)), Vec2(3, 4));
}

TEST(Color, ConversionsRoundAndClamp)
{
    EXPECT_EQ(Color4B(Color4F(0.5f, 1.0f, 0.0f, 1.0f)), Color4B(128, 255, 0, 255));
    // Out-of-range float channels saturate instead of wrapping.
    EXPECT_EQ(Color4B(Color4F(1.5f, -0.2f, 2.0f, 1.0f)), Color4B(255, 0, 255, 255));
    EXPECT_EQ(Color3B(Color4B(1, 2, 3, 4)), Color3B(1, 2, 3));
    EXPECT_EQ(Color4B(Color3B::RED), Color4B::RED);
    EXPECT_EQ(Color4B(Color3B::RED, 7).a, 7);
    EXPECT_TRUE(Color4B::RED == Color3B::RED);
    EXPECT_FALSE(Color4B(255, 0, 0, 128) == Color3B::RED);
    EXPECT_EQ(Color4F(Color4B::WHITE), Color4F::WHITE);
    EXPECT_TRUE(Color4F::ORANGE == Color4B(255, 128, 0, 255));
    EXPECT_EQ(Color4F(Color3B::BLUE, 0.25f).a, 0.25f);
}
