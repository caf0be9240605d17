#include "imaging/core/roi/ROIAngle.h"

namespace isImageSDK {

ROIAngle* ROIAngle::create()
{
    return createObject<ROIAngle>();
}

bool ROIAngle::init()
{
    if (!ROIData::init()) return false;
    for (auto& p : points) p = cocos2d::Vec3(0.0f, 0.0f, 0.0f);
    return true;
}

void ROIAngle::pick(const cocos2d::Vec3& A, const cocos2d::Vec3& D, float& outDistance, int& outIndex)
{
    const float d0 = distanceToRay(points[0], A, D);
    const float d1 = distanceToRay(points[1], A, D);
    const float d2 = distanceToRay(points[2], A, D);
    if (d1 > d0 && d2 > d0) {
        outIndex = 0;
        outDistance = d0;
    } else if (d0 > d1 && d2 > d1) {
        outIndex = 1;
        outDistance = d1;
    } else {
        outIndex = 2;
        outDistance = d2;
    }
}

void ROIAngle::setPoint(int index, const cocos2d::Vec3& p)
{
    if (index >= 0 && index <= 2) points[index] = p;
}

cocos2d::Vec3 ROIAngle::getPoint(int index) const
{
    return index >= 0 && index <= 2 ? points[index] : cocos2d::Vec3(0.0f, 0.0f, 0.0f);
}

bool ROIAngle::isValid() const
{
    return (points[1] - points[0]).length() >= 0.05f && (points[2] - points[0]).length() >= 0.05f;
}

void ROIAngle::copyTo(ROIAngle* other) const
{
    if (!other) return;
    copyBaseTo(other);
    for (int i = 0; i < 3; ++i) other->points[i] = points[i];
}

} // namespace isImageSDK
