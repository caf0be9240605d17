#pragma once
// Draws a length measurement: the segment between its two ends and its length in millimetres.

#include "imaging/display/roi/isActorROIBase.h"

namespace isImageSDK {


class isActorROILine : public isActorROIBase {
public:
    static isActorROILine* create();

    bool init() override;
    bool hasAllPoints() const override { return modelValid(); }

protected:
    isActorROILine() = default;
    friend class isObject;

    bool acceptsType(int type) const override;
    void drawFigure() override;

};

} // namespace isImageSDK
