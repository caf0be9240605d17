#pragma once
// A width and a height: content sizes, window sizes.

#include "math/Vec2.h"

namespace cocos2d {

class Size {
public:
    float width = 0.0f;
    float height = 0.0f;

    Size() = default;
    Size(float w, float h) : width(w), height(h) {}
    explicit Size(const Vec2& point) : width(point.x), height(point.y) {}
    operator Vec2() const { return Vec2(width, height); }

    void setSize(float w, float h) { width = w; height = h; }
    /// Equal within a small tolerance, so sizes computed two ways compare equal.
    bool equals(const Size& target) const;

    Size operator+(const Size& s) const { return Size(width + s.width, height + s.height); }
    Size operator-(const Size& s) const { return Size(width - s.width, height - s.height); }
    Size operator*(float a) const { return Size(width * a, height * a); }
    Size operator/(float a) const { return Size(width / a, height / a); }
    bool operator==(const Size& s) const { return width == s.width && height == s.height; }
    bool operator!=(const Size& s) const { return !(*this == s); }

    static const Size ZERO;
};

} // namespace cocos2d
