#pragma once
// An angle measurement: point 0 is the vertex, points 1 and 2 end the arms.

#include "imaging/core/roi/ROIData.h"

namespace isImageSDK {

class ROIAngle : public ROIData {
public:
    static ROIAngle* create();
    ROIAngle() { _initType = kAngle; }

    bool init() override;
    void pick(const cocos2d::Vec3& rayOrigin, const cocos2d::Vec3& rayDirection, float& outDistance,
              int& outIndex) override;
    void setPoint(int index, const cocos2d::Vec3& p) override;
    int getPointCount() const override { return 3; }
    cocos2d::Vec3 getPoint(int index) const override;
    /// Both arms at least 0.05 mm.
    bool isValid() const override;
    virtual void copyTo(ROIAngle* other) const;

    cocos2d::Vec3 points[3];
};

} // namespace isImageSDK
