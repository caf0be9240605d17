#pragma once
// Draws an angle measurement: the two arms from the vertex and the angle between them in
// degrees; it stays open while the user places the arm ends.

#include "imaging/display/roi/isActorROIBase.h"

namespace isImageSDK {


class isActorROIAngle : public isActorROIBase {
public:
    static isActorROIAngle* create();

    bool init() override;
    /// Sets closed from the model's validity.
    void setData(ROIData* model) override;
    bool hasAllPoints() const override { return modelValid(); }
    bool isDrawingDone() const override { return closed; }
    /// Called when a drag ends: the first arm placed moves on to the second; the second closes it.
    void advancePoint();
    bool isClosed() const { return closed; }
    /// The angle at the vertex between the arms to a and b; 0 when an arm has no length.
    static float degrees(const cocos2d::Vec3& vertex, const cocos2d::Vec3& a, const cocos2d::Vec3& b);

protected:
    isActorROIAngle() = default;
    friend class isObject;

    bool acceptsType(int type) const override;
    void drawFigure() override;

    bool closed = false;
};

} // namespace isImageSDK
