#include "imaging/core/roi/ROICircle.h"

namespace isImageSDK {

ROICircle* ROICircle::create()
{
    return createObject<ROICircle>();
}

bool ROICircle::init()
{
    if (!ROIData::init()) return false;
    center = rim = cocos2d::Vec3(0.0f, 0.0f, 0.0f);
    return true;
}

void ROICircle::pick(const cocos2d::Vec3& A, const cocos2d::Vec3& D, float& outDistance, int& outIndex)
{
    const float r = radius();
    const cocos2d::Vec3 q = nearestOnRay(center, A, D);
    const float dq = (center - q).length();
    if (dq >= 0.01f) {
        cocos2d::Vec3 dir = q - center;
        dir.normalize();
        rim = center + dir * r;
    }
    float cd = dq;
    if (r > dq && r * 0.5f > dq) cd = 0.0f;
    const float rd = r > dq ? r - cd : dq - r;
    if (rd > cd) {
        outIndex = 0;
        outDistance = cd;
    } else {
        outIndex = 1;
        outDistance = rd;
    }
}

void ROICircle::setPoint(int index, const cocos2d::Vec3& p)
{
    if (index == 0) {
        rim += p - center;
        center = p;
    } else {
        rim = p;
    }
}

bool ROICircle::isValid() const
{
    return radius() > 0.05f;
}

void ROICircle::copyTo(ROICircle* other) const
{
    if (!other) return;
    copyBaseTo(other);
    other->center = center;
    other->rim = rim;
}

} // namespace isImageSDK
