#include "math/Vec3.h"

#include <algorithm>

namespace cocos2d {

const Vec3 Vec3::ZERO(0.0f, 0.0f, 0.0f);
const Vec3 Vec3::ONE(1.0f, 1.0f, 1.0f);
const Vec3 Vec3::UNIT_X(1.0f, 0.0f, 0.0f);
const Vec3 Vec3::UNIT_Y(0.0f, 1.0f, 0.0f);
const Vec3 Vec3::UNIT_Z(0.0f, 0.0f, 1.0f);

Vec3 Vec3::fromColor(unsigned int color)
{
    return Vec3(((color >> 16) & 0xff) / 255.0f, ((color >> 8) & 0xff) / 255.0f, (color & 0xff) / 255.0f);
}

void Vec3::add(const Vec3& v1, const Vec3& v2, Vec3* dst) { *dst = v1 + v2; }

void Vec3::subtract(const Vec3& v1, const Vec3& v2, Vec3* dst) { *dst = v1 - v2; }

float Vec3::length() const { return std::sqrt(lengthSquared()); }

float Vec3::distance(const Vec3& v) const { return std::sqrt(distanceSquared(v)); }

float Vec3::distanceSquared(const Vec3& v) const { return (v - *this).lengthSquared(); }

void Vec3::cross(const Vec3& v) { cross(*this, v, this); }

void Vec3::cross(const Vec3& v1, const Vec3& v2, Vec3* dst)
{
    // Computed into temporaries first so that dst may alias either input.
    const float cx = v1.y * v2.z - v1.z * v2.y;
    const float cy = v1.z * v2.x - v1.x * v2.z;
    const float cz = v1.x * v2.y - v1.y * v2.x;
    dst->set(cx, cy, cz);
}

float Vec3::angle(const Vec3& v1, const Vec3& v2)
{
    Vec3 c;
    cross(v1, v2, &c);
    return std::atan2(c.length() + MATH_FLOAT_SMALL, dot(v1, v2));
}

void Vec3::normalize()
{
    const float n = lengthSquared();
    if (n == 1.0f || n < MATH_TOLERANCE)
        return;
    scale(1.0f / std::sqrt(n));
}

Vec3 Vec3::getNormalized() const
{
    Vec3 v(*this);
    v.normalize();
    return v;
}

void Vec3::clamp(const Vec3& min, const Vec3& max)
{
    x = std::min(std::max(x, min.x), max.x);
    y = std::min(std::max(y, min.y), max.y);
    z = std::min(std::max(z, min.z), max.z);
}

void Vec3::clamp(const Vec3& v, const Vec3& min, const Vec3& max, Vec3* dst)
{
    *dst = v;
    dst->clamp(min, max);
}

void Vec3::smooth(const Vec3& target, float elapsedTime, float responseTime)
{
    if (elapsedTime > 0)
        *this += (target - *this) * (elapsedTime / (elapsedTime + responseTime));
}

bool Vec3::operator<(const Vec3& v) const
{
    if (x != v.x)
        return x < v.x;
    if (y != v.y)
        return y < v.y;
    return z < v.z;
}

} // namespace cocos2d
