#include "imaging/core/roi/ROILine.h"

namespace isImageSDK {

ROILine* ROILine::create()
{
    return createObject<ROILine>();
}

bool ROILine::init()
{
    if (!ROIData::init()) return false;
    p0 = p1 = cocos2d::Vec3(0.0f, 0.0f, 0.0f);
    return true;
}

void ROILine::pick(const cocos2d::Vec3& A, const cocos2d::Vec3& D, float& outDistance, int& outIndex)
{
    const float d0 = distanceToRay(p0, A, D), d1 = distanceToRay(p1, A, D);
    if (d1 > d0) {
        outIndex = 0;
        outDistance = d0;
    } else {
        outIndex = 1;
        outDistance = d1;
    }
}

void ROILine::setPoint(int index, const cocos2d::Vec3& p)
{
    (index == 0 ? p0 : p1) = p;
}

bool ROILine::isValid() const
{
    return (p1 - p0).length() >= 0.05f;
}

void ROILine::copyTo(ROILine* other) const
{
    if (!other) return;
    copyBaseTo(other);
    other->p0 = p0;
    other->p1 = p1;
}

} // namespace isImageSDK
