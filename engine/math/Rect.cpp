#include "math/Rect.h"

#include <algorithm>

namespace cocos2d {

const Rect Rect::ZERO(0.0f, 0.0f, 0.0f, 0.0f);

void Rect::setRect(float x, float y, float width, float height)
{
    origin.set(x, y);
    size.setSize(width, height);
}

bool Rect::containsPoint(const Vec2& point) const
{
    return point.x >= getMinX() && point.x <= getMaxX() && point.y >= getMinY() && point.y <= getMaxY();
}

bool Rect::intersectsRect(const Rect& rect) const
{
    return !(getMaxX() < rect.getMinX() || rect.getMaxX() < getMinX() || getMaxY() < rect.getMinY() ||
             rect.getMaxY() < getMinY());
}

bool Rect::intersectsCircle(const Vec2& center, float radius) const
{
    // Distance from the centre to the nearest point of the rectangle.
    const float nx = std::max(getMinX(), std::min(center.x, getMaxX()));
    const float ny = std::max(getMinY(), std::min(center.y, getMaxY()));
    const float dx = center.x - nx;
    const float dy = center.y - ny;
    return dx * dx + dy * dy <= radius * radius;
}

Rect Rect::unionWithRect(const Rect& rect) const
{
    const float minX = std::min(getMinX(), rect.getMinX());
    const float minY = std::min(getMinY(), rect.getMinY());
    const float maxX = std::max(getMaxX(), rect.getMaxX());
    const float maxY = std::max(getMaxY(), rect.getMaxY());
    return Rect(minX, minY, maxX - minX, maxY - minY);
}

void Rect::merge(const Rect& rect) { *this = unionWithRect(rect); }

} // namespace cocos2d
