#include "imaging/core/roi/ROIPoint.h"

namespace isImageSDK {

ROIPoint* ROIPoint::create()
{
    return createObject<ROIPoint>();
}

bool ROIPoint::init()
{
    if (!ROIData::init()) return false;
    point = cocos2d::Vec3(0.0f, 0.0f, 0.0f);
    return true;
}

void ROIPoint::pick(const cocos2d::Vec3& A, const cocos2d::Vec3& D, float& outDistance, int& outIndex)
{
    outIndex = 0;
    outDistance = distanceToRay(point, A, D);
}

void ROIPoint::copyTo(ROIPoint* other) const
{
    if (!other) return;
    copyBaseTo(other);
    other->point = point;
}

} // namespace isImageSDK
