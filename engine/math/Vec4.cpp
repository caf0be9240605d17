#include "math/Vec4.h"

namespace cocos2d {

const Vec4 Vec4::ZERO(0.0f, 0.0f, 0.0f, 0.0f);
const Vec4 Vec4::ONE(1.0f, 1.0f, 1.0f, 1.0f);
const Vec4 Vec4::UNIT_X(1.0f, 0.0f, 0.0f, 0.0f);
const Vec4 Vec4::UNIT_Y(0.0f, 1.0f, 0.0f, 0.0f);
const Vec4 Vec4::UNIT_Z(0.0f, 0.0f, 1.0f, 0.0f);
const Vec4 Vec4::UNIT_W(0.0f, 0.0f, 0.0f, 1.0f);

Vec4 Vec4::fromColor(unsigned int color)
{
    // Packed as 0xRRGGBBAA.
    return Vec4(((color >> 24) & 0xff) / 255.0f, ((color >> 16) & 0xff) / 255.0f,
                ((color >> 8) & 0xff) / 255.0f, (color & 0xff) / 255.0f);
}

float Vec4::length() const { return std::sqrt(lengthSquared()); }

void Vec4::normalize()
{
    const float n = lengthSquared();
    if (n == 1.0f || n < MATH_TOLERANCE)
        return;
    scale(1.0f / std::sqrt(n));
}

Vec4 Vec4::getNormalized() const
{
    Vec4 v(*this);
    v.normalize();
    return v;
}

} // namespace cocos2d
