#pragma once
// A rotation as a unit quaternion: 3D node rotation and camera orientation.

#include "math/Vec3.h"

namespace cocos2d {

class Mat4;

class Quaternion {
public:
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float w = 1.0f;

    Quaternion() = default;
    Quaternion(float xx, float yy, float zz, float ww) : x(xx), y(yy), z(zz), w(ww) {}
    explicit Quaternion(const float* array) : x(array[0]), y(array[1]), z(array[2]), w(array[3]) {}
    explicit Quaternion(const Mat4& m);
    /// `angle` in radians about `axis` (need not be normalised).
    Quaternion(const Vec3& axis, float angle);

    static const Quaternion& identity();
    static const Quaternion& zero();
    bool isIdentity() const { return x == 0.0f && y == 0.0f && z == 0.0f && w == 1.0f; }
    bool isZero() const { return x == 0.0f && y == 0.0f && z == 0.0f && w == 0.0f; }

    static void createFromRotationMatrix(const Mat4& m, Quaternion* dst);
    static void createFromAxisAngle(const Vec3& axis, float angle, Quaternion* dst);

    void conjugate() { x = -x; y = -y; z = -z; }
    Quaternion getConjugated() const { return Quaternion(-x, -y, -z, w); }
    /// False (unchanged) for the zero quaternion.
    bool inverse();
    Quaternion getInversed() const;
    void multiply(const Quaternion& q) { multiply(*this, q, this); }
    static void multiply(const Quaternion& q1, const Quaternion& q2, Quaternion* dst);
    void normalize();
    Quaternion getNormalized() const;

    void set(float xx, float yy, float zz, float ww) { x = xx; y = yy; z = zz; w = ww; }
    void set(const float* array) { x = array[0]; y = array[1]; z = array[2]; w = array[3]; }
    void set(const Mat4& m) { createFromRotationMatrix(m, this); }
    void set(const Vec3& axis, float angle) { createFromAxisAngle(axis, angle, this); }
    void set(const Quaternion& q) { *this = q; }
    void setIdentity() { x = y = z = 0.0f; w = 1.0f; }

    /// Returns the angle in radians and writes the unit axis.
    float toAxisAngle(Vec3* axis) const;

    static void lerp(const Quaternion& q1, const Quaternion& q2, float t, Quaternion* dst);
    static void slerp(const Quaternion& q1, const Quaternion& q2, float t, Quaternion* dst);

    Quaternion operator*(const Quaternion& q) const;
    Quaternion& operator*=(const Quaternion& q) { multiply(q); return *this; }
    /// Rotates a vector.
    Vec3 operator*(const Vec3& v) const;
    bool operator==(const Quaternion& q) const { return x == q.x && y == q.y && z == q.z && w == q.w; }
    bool operator!=(const Quaternion& q) const { return !(*this == q); }

    static const Quaternion ZERO;
};

} // namespace cocos2d
