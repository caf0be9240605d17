#pragma once
// A 3D point or vector: positions, directions and the camera's axes.

#include "math/MathBase.h"

namespace cocos2d {

class Vec3 {
public:
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    Vec3() = default;
    Vec3(float xx, float yy, float zz) : x(xx), y(yy), z(zz) {}
    explicit Vec3(const float* array) : x(array[0]), y(array[1]), z(array[2]) {}
    Vec3(const Vec3& p1, const Vec3& p2) : x(p2.x - p1.x), y(p2.y - p1.y), z(p2.z - p1.z) {}

    /// From a packed 0xRRGGBB colour, each channel scaled to [0, 1].
    static Vec3 fromColor(unsigned int color);

    bool isZero() const { return x == 0.0f && y == 0.0f && z == 0.0f; }
    bool isOne() const { return x == 1.0f && y == 1.0f && z == 1.0f; }

    void set(float xx, float yy, float zz) { x = xx; y = yy; z = zz; }
    void set(const float* array) { x = array[0]; y = array[1]; z = array[2]; }
    void set(const Vec3& v) { *this = v; }
    void set(const Vec3& p1, const Vec3& p2) { *this = Vec3(p1, p2); }
    void setZero() { x = y = z = 0.0f; }

    void add(const Vec3& v) { x += v.x; y += v.y; z += v.z; }
    void add(float xx, float yy, float zz) { x += xx; y += yy; z += zz; }
    void subtract(const Vec3& v) { x -= v.x; y -= v.y; z -= v.z; }
    void scale(float s) { x *= s; y *= s; z *= s; }
    void negate() { x = -x; y = -y; z = -z; }
    static void add(const Vec3& v1, const Vec3& v2, Vec3* dst);
    static void subtract(const Vec3& v1, const Vec3& v2, Vec3* dst);

    float length() const;
    float lengthSquared() const { return x * x + y * y + z * z; }
    float distance(const Vec3& v) const;
    float distanceSquared(const Vec3& v) const;
    float dot(const Vec3& v) const { return x * v.x + y * v.y + z * v.z; }
    static float dot(const Vec3& v1, const Vec3& v2) { return v1.dot(v2); }
    void cross(const Vec3& v);
    static void cross(const Vec3& v1, const Vec3& v2, Vec3* dst);
    static float angle(const Vec3& v1, const Vec3& v2);
    /// Leaves a zero vector unchanged.
    void normalize();
    Vec3 getNormalized() const;
    void clamp(const Vec3& min, const Vec3& max);
    static void clamp(const Vec3& v, const Vec3& min, const Vec3& max, Vec3* dst);
    Vec3 lerp(const Vec3& target, float alpha) const { return *this * (1.0f - alpha) + target * alpha; }
    void smooth(const Vec3& target, float elapsedTime, float responseTime);

    Vec3 operator+(const Vec3& v) const { return Vec3(x + v.x, y + v.y, z + v.z); }
    Vec3& operator+=(const Vec3& v) { add(v); return *this; }
    Vec3 operator-(const Vec3& v) const { return Vec3(x - v.x, y - v.y, z - v.z); }
    Vec3& operator-=(const Vec3& v) { subtract(v); return *this; }
    Vec3 operator-() const { return Vec3(-x, -y, -z); }
    Vec3 operator*(float s) const { return Vec3(x * s, y * s, z * s); }
    Vec3& operator*=(float s) { scale(s); return *this; }
    Vec3 operator/(float s) const { return Vec3(x / s, y / s, z / s); }
    bool operator<(const Vec3& v) const;
    bool operator==(const Vec3& v) const { return x == v.x && y == v.y && z == v.z; }
    bool operator!=(const Vec3& v) const { return !(*this == v); }

    static const Vec3 ZERO;
    static const Vec3 ONE;
    static const Vec3 UNIT_X;
    static const Vec3 UNIT_Y;
    static const Vec3 UNIT_Z;
};

inline Vec3 operator*(float s, const Vec3& v) { return v * s; }

} // namespace cocos2d
