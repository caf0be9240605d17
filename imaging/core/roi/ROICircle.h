#pragma once
// An area measurement over a circle: the centre and a rim point; the radius is their distance.

#include "imaging/core/roi/ROIData.h"

namespace isImageSDK {

class ROICircle : public ROIData {
public:
    static ROICircle* create();
    ROICircle() { _initType = kCircle; }

    bool init() override;
    /// Also moves the rim handle onto the circle in the direction of the pick.
    void pick(const cocos2d::Vec3& rayOrigin, const cocos2d::Vec3& rayDirection, float& outDistance,
              int& outIndex) override;
    /// Index 0 moves the whole circle; any other index sets the rim point.
    void setPoint(int index, const cocos2d::Vec3& p) override;
    int getPointCount() const override { return 2; }
    cocos2d::Vec3 getPoint(int index) const override { return index == 0 ? center : rim; }
    /// Radius above 0.05 mm.
    bool isValid() const override;
    virtual void copyTo(ROICircle* other) const;

    float radius() const { return (center - rim).length(); }

    cocos2d::Vec3 center, rim;
};

} // namespace isImageSDK
