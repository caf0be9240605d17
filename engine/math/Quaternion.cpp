#include "math/Quaternion.h"

#include "math/Mat4.h"

#include <algorithm>

namespace cocos2d {

const Quaternion Quaternion::ZERO(0.0f, 0.0f, 0.0f, 0.0f);

Quaternion::Quaternion(const Mat4& m) { createFromRotationMatrix(m, this); }

Quaternion::Quaternion(const Vec3& axis, float angle) { createFromAxisAngle(axis, angle, this); }

const Quaternion& Quaternion::identity()
{
    static const Quaternion value(0.0f, 0.0f, 0.0f, 1.0f);
    return value;
}

const Quaternion& Quaternion::zero() { return ZERO; }

void Quaternion::createFromRotationMatrix(const Mat4& mat, Quaternion* dst)
{
    // Picks the largest diagonal term as the pivot so the square root never sees a tiny value.
    const float* m = mat.m;
    const float trace = m[0] + m[5] + m[10];
    if (trace > 0.0f) {
        const float s = 0.5f / std::sqrt(trace + 1.0f);
        dst->w = 0.25f / s;
        dst->x = (m[6] - m[9]) * s;
        dst->y = (m[8] - m[2]) * s;
        dst->z = (m[1] - m[4]) * s;
    } else if (m[0] > m[5] && m[0] > m[10]) {
        const float s = 2.0f * std::sqrt(1.0f + m[0] - m[5] - m[10]);
        dst->w = (m[6] - m[9]) / s;
        dst->x = 0.25f * s;
        dst->y = (m[4] + m[1]) / s;
        dst->z = (m[8] + m[2]) / s;
    } else if (m[5] > m[10]) {
        const float s = 2.0f * std::sqrt(1.0f + m[5] - m[0] - m[10]);
        dst->w = (m[8] - m[2]) / s;
        dst->x = (m[4] + m[1]) / s;
        dst->y = 0.25f * s;
        dst->z = (m[9] + m[6]) / s;
    } else {
        const float s = 2.0f * std::sqrt(1.0f + m[10] - m[0] - m[5]);
        dst->w = (m[1] - m[4]) / s;
        dst->x = (m[8] + m[2]) / s;
        dst->y = (m[9] + m[6]) / s;
        dst->z = 0.25f * s;
    }
    dst->normalize();
}

void Quaternion::createFromAxisAngle(const Vec3& axis, float angle, Quaternion* dst)
{
    const float half = angle * 0.5f;
    const float s = std::sin(half);
    const Vec3 n = axis.getNormalized();
    dst->x = n.x * s;
    dst->y = n.y * s;
    dst->z = n.z * s;
    dst->w = std::cos(half);
}

bool Quaternion::inverse()
{
    const float n = x * x + y * y + z * z + w * w;
    if (n == 1.0f) {
        conjugate();
        return true;
    }
    if (n < MATH_TOLERANCE)
        return false;
    const float inv = 1.0f / n;
    x = -x * inv;
    y = -y * inv;
    z = -z * inv;
    w = w * inv;
    return true;
}

Quaternion Quaternion::getInversed() const
{
    Quaternion q(*this);
    q.inverse();
    return q;
}

void Quaternion::multiply(const Quaternion& q1, const Quaternion& q2, Quaternion* dst)
{
    const float rx = q1.w * q2.x + q1.x * q2.w + q1.y * q2.z - q1.z * q2.y;
    const float ry = q1.w * q2.y - q1.x * q2.z + q1.y * q2.w + q1.z * q2.x;
    const float rz = q1.w * q2.z + q1.x * q2.y - q1.y * q2.x + q1.z * q2.w;
    const float rw = q1.w * q2.w - q1.x * q2.x - q1.y * q2.y - q1.z * q2.z;
    dst->set(rx, ry, rz, rw);
}

void Quaternion::normalize()
{
    const float n = x * x + y * y + z * z + w * w;
    if (n == 1.0f || n < MATH_TOLERANCE)
        return;
    const float inv = 1.0f / std::sqrt(n);
    x *= inv;
    y *= inv;
    z *= inv;
    w *= inv;
}

Quaternion Quaternion::getNormalized() const
{
    Quaternion q(*this);
    q.normalize();
    return q;
}

float Quaternion::toAxisAngle(Vec3* axis) const
{
    Quaternion q = getNormalized();
    const float s = std::sqrt(std::max(0.0f, 1.0f - q.w * q.w));
    if (s < MATH_EPSILON)
        axis->set(1.0f, 0.0f, 0.0f); // no rotation: any axis will do
    else
        axis->set(q.x / s, q.y / s, q.z / s);
    return 2.0f * std::acos(std::min(1.0f, std::max(-1.0f, q.w)));
}

void Quaternion::lerp(const Quaternion& q1, const Quaternion& q2, float t, Quaternion* dst)
{
    const float u = 1.0f - t;
    dst->set(u * q1.x + t * q2.x, u * q1.y + t * q2.y, u * q1.z + t * q2.z, u * q1.w + t * q2.w);
}

void Quaternion::slerp(const Quaternion& q1, const Quaternion& q2, float t, Quaternion* dst)
{
    float cosom = q1.x * q2.x + q1.y * q2.y + q1.z * q2.z + q1.w * q2.w;
    Quaternion end = q2;
    // Take the short way round.
    if (cosom < 0.0f) {
        cosom = -cosom;
        end.set(-q2.x, -q2.y, -q2.z, -q2.w);
    }
    float s1, s2;
    if (1.0f - cosom > 1e-5f) {
        const float omega = std::acos(cosom);
        const float sinom = std::sin(omega);
        s1 = std::sin((1.0f - t) * omega) / sinom;
        s2 = std::sin(t * omega) / sinom;
    } else {
        s1 = 1.0f - t;
        s2 = t;
    }
    dst->set(s1 * q1.x + s2 * end.x, s1 * q1.y + s2 * end.y, s1 * q1.z + s2 * end.z, s1 * q1.w + s2 * end.w);
    dst->normalize();
}

Quaternion Quaternion::operator*(const Quaternion& q) const
{
    Quaternion r;
    multiply(*this, q, &r);
    return r;
}

Vec3 Quaternion::operator*(const Vec3& v) const
{
    // v' = v + 2w(q x v) + 2 q x (q x v)
    const Vec3 qv(x, y, z);
    Vec3 uv, uuv;
    Vec3::cross(qv, v, &uv);
    Vec3::cross(qv, uv, &uuv);
    return v + uv * (2.0f * w) + uuv * 2.0f;
}

} // namespace cocos2d
