#include "imaging/core/roi/ROIData.h"

namespace isImageSDK {

bool ROIData::init()
{
    if (!isObject::init()) return false;
    type = _initType;
    ownerKey = 0;
    color = cocos2d::Color4F::GREEN;
    label.clear();
    return true;
}

void ROIData::pick(const cocos2d::Vec3&, const cocos2d::Vec3&, float&, int& outIndex)
{
    outIndex = -1;
}

void ROIData::setPoint(int, const cocos2d::Vec3&) {}

int ROIData::getPointCount() const
{
    return 0;
}

cocos2d::Vec3 ROIData::getPoint(int) const
{
    return cocos2d::Vec3(0.0f, 0.0f, 0.0f);
}

bool ROIData::isValid() const
{
    return true;
}

void ROIData::copyBaseTo(ROIData* other) const
{
    if (!other) return;
    other->type = type;
    other->ownerKey = ownerKey;
    other->color = color;
    if (other != this) other->label = label;
}

cocos2d::Vec3 ROIData::nearestOnRay(const cocos2d::Vec3& P, const cocos2d::Vec3& A, const cocos2d::Vec3& D)
{
    const double pd = double(P.x) * D.x + double(P.y) * D.y + double(P.z) * D.z;
    const double ad = double(A.x) * D.x + double(A.y) * D.y + double(A.z) * D.z;
    const double dd = double(D.x) * D.x + double(D.y) * D.y + double(D.z) * D.z;
    const double t = dd > 0.0 ? (pd - ad) / dd : 0.0;
    return cocos2d::Vec3(static_cast<float>(A.x + t * D.x), static_cast<float>(A.y + t * D.y),
                         static_cast<float>(A.z + t * D.z));
}

float ROIData::distanceToRay(const cocos2d::Vec3& P, const cocos2d::Vec3& A, const cocos2d::Vec3& D)
{
    return (P - nearestOnRay(P, A, D)).length();
}

} // namespace isImageSDK
