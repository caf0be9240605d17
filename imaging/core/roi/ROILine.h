#pragma once
// A length measurement: two ends.

#include "imaging/core/roi/ROIData.h"

namespace isImageSDK {

class ROILine : public ROIData {
public:
    static ROILine* create();
    ROILine() { _initType = kLine; }

    bool init() override;
    void pick(const cocos2d::Vec3& rayOrigin, const cocos2d::Vec3& rayDirection, float& outDistance,
              int& outIndex) override;
    void setPoint(int index, const cocos2d::Vec3& p) override;
    int getPointCount() const override { return 2; }
    cocos2d::Vec3 getPoint(int index) const override { return index == 0 ? p0 : p1; }
    /// Length at least 0.05 mm.
    bool isValid() const override;
    virtual void copyTo(ROILine* other) const;

    cocos2d::Vec3 p0, p1;
};

} // namespace isImageSDK
