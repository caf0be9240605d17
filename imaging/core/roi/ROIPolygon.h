#pragma once
// An area measurement over a polygon; its creator appends to `points` in drawing order.

#include <vector>

#include "imaging/core/roi/ROIData.h"

namespace isImageSDK {

class ROIPolygon : public ROIData {
public:
    static ROIPolygon* create();
    ROIPolygon() { _initType = kPolygon; }

    bool init() override;
    void pick(const cocos2d::Vec3& rayOrigin, const cocos2d::Vec3& rayDirection, float& outDistance,
              int& outIndex) override;
    void setPoint(int index, const cocos2d::Vec3& p) override;
    int getPointCount() const override { return static_cast<int>(points.size()); }
    cocos2d::Vec3 getPoint(int index) const override;
    /// More than three points; or three points pairwise at least 0.05 mm apart.
    bool isValid() const override;
    virtual void copyTo(ROIPolygon* other) const;

    std::vector<cocos2d::Vec3> points;
};

} // namespace isImageSDK
