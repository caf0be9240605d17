#pragma once
// An axis-aligned rectangle (origin at the bottom-left corner): bounding boxes, hit tests, viewports.

#include "math/Size.h"

namespace cocos2d {

class Rect {
public:
    Vec2 origin;
    Size size;

    Rect() = default;
    Rect(float x, float y, float width, float height) : origin(x, y), size(width, height) {}
    Rect(const Vec2& pos, const Size& dimension) : origin(pos), size(dimension) {}

    void setRect(float x, float y, float width, float height);
    float getMinX() const { return origin.x; }
    float getMidX() const { return origin.x + size.width / 2.0f; }
    float getMaxX() const { return origin.x + size.width; }
    float getMinY() const { return origin.y; }
    float getMidY() const { return origin.y + size.height / 2.0f; }
    float getMaxY() const { return origin.y + size.height; }

    bool equals(const Rect& rect) const { return origin.equals(rect.origin) && size.equals(rect.size); }
    /// Edges count as inside.
    bool containsPoint(const Vec2& point) const;
    /// Touching edges count as intersecting.
    bool intersectsRect(const Rect& rect) const;
    bool intersectsCircle(const Vec2& center, float radius) const;
    /// The smallest rectangle holding both.
    Rect unionWithRect(const Rect& rect) const;
    /// Grows this rectangle to hold `rect` as well.
    void merge(const Rect& rect);

    bool operator==(const Rect& r) const { return origin == r.origin && size == r.size; }
    bool operator!=(const Rect& r) const { return !(*this == r); }

    static const Rect ZERO;
};

} // namespace cocos2d
