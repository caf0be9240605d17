#pragma once
// A 2D point or vector with the arithmetic the scene graph and widgets need.

#include "math/MathBase.h"

namespace cocos2d {

class Vec2 {
public:
    float x = 0.0f;
    float y = 0.0f;

    Vec2() = default;
    Vec2(float xx, float yy) : x(xx), y(yy) {}
    explicit Vec2(const float* array) : x(array[0]), y(array[1]) {}
    Vec2(const Vec2& p1, const Vec2& p2) : x(p2.x - p1.x), y(p2.y - p1.y) {}

    bool isZero() const { return x == 0.0f && y == 0.0f; }
    bool isOne() const { return x == 1.0f && y == 1.0f; }

    void set(float xx, float yy) { x = xx; y = yy; }
    void set(const float* array) { x = array[0]; y = array[1]; }
    void set(const Vec2& v) { x = v.x; y = v.y; }
    void set(const Vec2& p1, const Vec2& p2) { x = p2.x - p1.x; y = p2.y - p1.y; }
    void setZero() { x = y = 0.0f; }
    void setPoint(float xx, float yy) { x = xx; y = yy; }

    void add(const Vec2& v) { x += v.x; y += v.y; }
    void subtract(const Vec2& v) { x -= v.x; y -= v.y; }
    void scale(float s) { x *= s; y *= s; }
    void scale(const Vec2& s) { x *= s.x; y *= s.y; }
    void negate() { x = -x; y = -y; }
    static void add(const Vec2& v1, const Vec2& v2, Vec2* dst);
    static void subtract(const Vec2& v1, const Vec2& v2, Vec2* dst);

    float length() const;
    float lengthSquared() const { return x * x + y * y; }
    float distance(const Vec2& v) const;
    float distanceSquared(const Vec2& v) const;
    float dot(const Vec2& v) const { return x * v.x + y * v.y; }
    static float dot(const Vec2& v1, const Vec2& v2) { return v1.dot(v2); }
    static float angle(const Vec2& v1, const Vec2& v2);
    /// Leaves a zero vector unchanged.
    void normalize();
    Vec2 getNormalized() const;
    void clamp(const Vec2& min, const Vec2& max);
    static void clamp(const Vec2& v, const Vec2& min, const Vec2& max, Vec2* dst);
    /// Rotates about `point` by `angle` radians (counter-clockwise).
    void rotate(const Vec2& point, float angle);
    void smooth(const Vec2& target, float elapsedTime, float responseTime);

    // The older point-style helpers that UI code still uses.
    float getLength() const { return length(); }
    float getLengthSq() const { return lengthSquared(); }
    float getDistance(const Vec2& other) const { return distance(other); }
    float getDistanceSq(const Vec2& other) const { return distanceSquared(other); }
    float getAngle() const;
    float getAngle(const Vec2& other) const;
    float cross(const Vec2& other) const { return x * other.y - y * other.x; }
    Vec2 getPerp() const { return Vec2(-y, x); }
    Vec2 getRPerp() const { return Vec2(y, -x); }
    Vec2 getMidpoint(const Vec2& other) const { return Vec2((x + other.x) / 2.0f, (y + other.y) / 2.0f); }
    Vec2 getClampPoint(const Vec2& min, const Vec2& max) const;
    Vec2 project(const Vec2& other) const;
    Vec2 rotate(const Vec2& other) const { return Vec2(x * other.x - y * other.y, x * other.y + y * other.x); }
    Vec2 unrotate(const Vec2& other) const { return Vec2(x * other.x + y * other.y, y * other.x - x * other.y); }
    Vec2 rotateByAngle(const Vec2& pivot, float angle) const;
    Vec2 lerp(const Vec2& other, float alpha) const { return *this * (1.0f - alpha) + other * alpha; }
    bool fuzzyEquals(const Vec2& target, float variance) const;
    bool equals(const Vec2& target) const;
    static Vec2 forAngle(float a) { return Vec2(std::cos(a), std::sin(a)); }

    Vec2 operator+(const Vec2& v) const { return Vec2(x + v.x, y + v.y); }
    Vec2& operator+=(const Vec2& v) { add(v); return *this; }
    Vec2 operator-(const Vec2& v) const { return Vec2(x - v.x, y - v.y); }
    Vec2& operator-=(const Vec2& v) { subtract(v); return *this; }
    Vec2 operator-() const { return Vec2(-x, -y); }
    Vec2 operator*(float s) const { return Vec2(x * s, y * s); }
    Vec2& operator*=(float s) { scale(s); return *this; }
    Vec2 operator/(float s) const { return Vec2(x / s, y / s); }
    bool operator<(const Vec2& v) const { return x == v.x ? y < v.y : x < v.x; }
    bool operator>(const Vec2& v) const { return x == v.x ? y > v.y : x > v.x; }
    bool operator==(const Vec2& v) const { return x == v.x && y == v.y; }
    bool operator!=(const Vec2& v) const { return !(*this == v); }

    static const Vec2 ZERO;
    static const Vec2 ONE;
    static const Vec2 UNIT_X;
    static const Vec2 UNIT_Y;
    static const Vec2 ANCHOR_MIDDLE;
    static const Vec2 ANCHOR_BOTTOM_LEFT;
    static const Vec2 ANCHOR_TOP_LEFT;
    static const Vec2 ANCHOR_BOTTOM_RIGHT;
    static const Vec2 ANCHOR_TOP_RIGHT;
    static const Vec2 ANCHOR_MIDDLE_RIGHT;
    static const Vec2 ANCHOR_MIDDLE_LEFT;
    static const Vec2 ANCHOR_MIDDLE_TOP;
    static const Vec2 ANCHOR_MIDDLE_BOTTOM;
};

inline Vec2 operator*(float s, const Vec2& v) { return v * s; }

using Point = Vec2;

} // namespace cocos2d
