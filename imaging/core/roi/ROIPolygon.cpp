#include "imaging/core/roi/ROIPolygon.h"

namespace isImageSDK {

ROIPolygon* ROIPolygon::create()
{
    return createObject<ROIPolygon>();
}

bool ROIPolygon::init()
{
    if (!ROIData::init()) return false;
    points.clear();
    return true;
}

void ROIPolygon::pick(const cocos2d::Vec3& A, const cocos2d::Vec3& D, float& outDistance, int& outIndex)
{
    outDistance = 99999.0f;
    for (size_t i = 0; i < points.size(); ++i) {
        const float d = distanceToRay(points[i], A, D);
        if (d < outDistance) {
            outDistance = d;
            outIndex = static_cast<int>(i);
        }
    }
}

void ROIPolygon::setPoint(int index, const cocos2d::Vec3& p)
{
    if (index >= 0 && index < getPointCount()) points[static_cast<size_t>(index)] = p;
}

cocos2d::Vec3 ROIPolygon::getPoint(int index) const
{
    if (index < 0 || index >= getPointCount()) return cocos2d::Vec3(0.0f, 0.0f, 0.0f);
    return points[static_cast<size_t>(index)];
}

bool ROIPolygon::isValid() const
{
    if (points.size() < 3) return false;
    if (points.size() > 3) return true;
    return (points[0] - points[1]).length() >= 0.05f && (points[0] - points[2]).length() >= 0.05f &&
           (points[1] - points[2]).length() >= 0.05f;
}

void ROIPolygon::copyTo(ROIPolygon* other) const
{
    if (!other) return;
    copyBaseTo(other);
    if (other == this) return;
    other->points.clear();
    other->points.insert(other->points.end(), points.begin(), points.end());
}

} // namespace isImageSDK
