#pragma once
// Draws an angle measurement: the two arms from the vertex and the angle between them in
// degrees; it stays open while the user places the arm ends.

#include "imaging/display/roi/isActorROIBase.h"

namespace isImageSDK {

class isDrawNode;

class isActorROIAngle : public isActorROIBase {
public:
    static isActorROIAngle* create();

    bool init() override;
    /// Sets closed from the model's validity.
    void setData(ROIData* model) override;
    bool hasAllPoints() const override;
    bool isDrawingDone() const override { return closed; }
    /// Called when a drag ends: the first arm placed moves on to the second; the second closes it.
    void advancePoint();
    bool isClosed() const { return closed; }

protected:
    isActorROIAngle() = default;
    friend class isObject;

    bool acceptsType(int type) const override;
    void drawFigure() override;

    isDrawNode* drawNode = nullptr;
    bool closed = false;
};

} // namespace isImageSDK
