#pragma once
// A value measurement at one point.

#include "imaging/core/roi/ROIData.h"

namespace isImageSDK {

class ROIPoint : public ROIData {
public:
    static ROIPoint* create();
    ROIPoint() { _initType = kPoint; }

    bool init() override;
    void pick(const cocos2d::Vec3& rayOrigin, const cocos2d::Vec3& rayDirection, float& outDistance,
              int& outIndex) override;
    void setPoint(int, const cocos2d::Vec3& p) override { point = p; }
    int getPointCount() const override { return 1; }
    cocos2d::Vec3 getPoint(int) const override { return point; }
    virtual void copyTo(ROIPoint* other) const;

    cocos2d::Vec3 point;
};

} // namespace isImageSDK
