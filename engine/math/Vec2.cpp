#include "math/Vec2.h"

#include <algorithm>

namespace cocos2d {

const Vec2 Vec2::ZERO(0.0f, 0.0f);
const Vec2 Vec2::ONE(1.0f, 1.0f);
const Vec2 Vec2::UNIT_X(1.0f, 0.0f);
const Vec2 Vec2::UNIT_Y(0.0f, 1.0f);
const Vec2 Vec2::ANCHOR_MIDDLE(0.5f, 0.5f);
const Vec2 Vec2::ANCHOR_BOTTOM_LEFT(0.0f, 0.0f);
const Vec2 Vec2::ANCHOR_TOP_LEFT(0.0f, 1.0f);
const Vec2 Vec2::ANCHOR_BOTTOM_RIGHT(1.0f, 0.0f);
const Vec2 Vec2::ANCHOR_TOP_RIGHT(1.0f, 1.0f);
const Vec2 Vec2::ANCHOR_MIDDLE_RIGHT(1.0f, 0.5f);
const Vec2 Vec2::ANCHOR_MIDDLE_LEFT(0.0f, 0.5f);
const Vec2 Vec2::ANCHOR_MIDDLE_TOP(0.5f, 1.0f);
const Vec2 Vec2::ANCHOR_MIDDLE_BOTTOM(0.5f, 0.0f);

void Vec2::add(const Vec2& v1, const Vec2& v2, Vec2* dst)
{
    dst->x = v1.x + v2.x;
    dst->y = v1.y + v2.y;
}

void Vec2::subtract(const Vec2& v1, const Vec2& v2, Vec2* dst)
{
    dst->x = v1.x - v2.x;
    dst->y = v1.y - v2.y;
}

float Vec2::length() const { return std::sqrt(x * x + y * y); }

float Vec2::distance(const Vec2& v) const { return std::sqrt(distanceSquared(v)); }

float Vec2::distanceSquared(const Vec2& v) const
{
    const float dx = v.x - x;
    const float dy = v.y - y;
    return dx * dx + dy * dy;
}

float Vec2::angle(const Vec2& v1, const Vec2& v2)
{
    const float dz = v1.x * v2.y - v1.y * v2.x;
    return std::atan2(std::fabs(dz) + MATH_FLOAT_SMALL, dot(v1, v2));
}

void Vec2::normalize()
{
    const float n = lengthSquared();
    if (n == 1.0f || n < MATH_TOLERANCE)
        return;
    const float inv = 1.0f / std::sqrt(n);
    x *= inv;
    y *= inv;
}

Vec2 Vec2::getNormalized() const
{
    Vec2 v(*this);
    v.normalize();
    return v;
}

void Vec2::clamp(const Vec2& min, const Vec2& max)
{
    x = std::min(std::max(x, min.x), max.x);
    y = std::min(std::max(y, min.y), max.y);
}

void Vec2::clamp(const Vec2& v, const Vec2& min, const Vec2& max, Vec2* dst)
{
    *dst = v;
    dst->clamp(min, max);
}

void Vec2::rotate(const Vec2& point, float angle)
{
    const float s = std::sin(angle);
    const float c = std::cos(angle);
    const float dx = x - point.x;
    const float dy = y - point.y;
    x = dx * c - dy * s + point.x;
    y = dy * c + dx * s + point.y;
}

void Vec2::smooth(const Vec2& target, float elapsedTime, float responseTime)
{
    if (elapsedTime > 0)
        *this += (target - *this) * (elapsedTime / (elapsedTime + responseTime));
}

float Vec2::getAngle() const { return std::atan2(y, x); }

float Vec2::getAngle(const Vec2& other) const
{
    const Vec2 a = getNormalized();
    const Vec2 b = other.getNormalized();
    const float angle = std::atan2(a.cross(b), a.dot(b));
    return std::fabs(angle) < MATH_EPSILON ? 0.0f : angle;
}

Vec2 Vec2::getClampPoint(const Vec2& min, const Vec2& max) const
{
    Vec2 v(*this);
    v.clamp(min, max);
    return v;
}

Vec2 Vec2::project(const Vec2& other) const
{
    const float len = other.dot(other);
    if (len == 0.0f)
        return Vec2::ZERO;
    return other * (dot(other) / len);
}

Vec2 Vec2::rotateByAngle(const Vec2& pivot, float angle) const
{
    Vec2 v(*this);
    v.rotate(pivot, angle);
    return v;
}

bool Vec2::fuzzyEquals(const Vec2& b, float var) const
{
    return x - var <= b.x && b.x <= x + var && y - var <= b.y && b.y <= y + var;
}

bool Vec2::equals(const Vec2& target) const
{
    return std::fabs(x - target.x) < MATH_EPSILON && std::fabs(y - target.y) < MATH_EPSILON;
}

} // namespace cocos2d
