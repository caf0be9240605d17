#pragma once
// The geometry of one measurement drawn on an image, in world millimetres, with the hit-testing
// and editing rules the interactor and the measurement actors use.

#include <cstdint>
#include <string>

#include "imaging/core/object/isObject.h"

namespace isImageSDK {

class ROIData : public isObject {
public:
    enum Type : int32_t { kNone = 0, kLine = 1, kAngle = 2, kPoint = 3, kCircle = 4, kPolygon = 5 };

    ROIData() = default;
    ~ROIData() override = default;

    bool init() override;
    /// Hit-tests the control points against the pick ray; writes the nearest handle and its distance.
    virtual void pick(const cocos2d::Vec3& rayOrigin, const cocos2d::Vec3& rayDirection, float& outDistance,
                      int& outIndex);
    virtual void setPoint(int index, const cocos2d::Vec3& p);
    virtual int getPointCount() const;
    virtual cocos2d::Vec3 getPoint(int index) const;
    /// Whether the measurement is large enough to keep.
    virtual bool isValid() const;
    /// Type, owner key, colour and (for another object) label.
    virtual void copyBaseTo(ROIData* other) const;

    /// Distance of P from the infinite line through A along D.
    static float distanceToRay(const cocos2d::Vec3& P, const cocos2d::Vec3& A, const cocos2d::Vec3& D);
    /// The point of the line through A along D nearest to P.
    static cocos2d::Vec3 nearestOnRay(const cocos2d::Vec3& P, const cocos2d::Vec3& A, const cocos2d::Vec3& D);

    int32_t type = kNone;
    uint32_t ownerKey = 0;
    cocos2d::Color4F color;
    std::string label;

protected:
    int32_t _initType = kNone;
};

} // namespace isImageSDK
