#pragma once
// Draws a circle measurement: its outline round the centre and the area statistics the image
// actor reports for it.

#include "imaging/display/roi/isActorROIBase.h"

namespace isImageSDK {


class isActorROICircle : public isActorROIBase {
public:
    static isActorROICircle* create();

    bool init() override;
    bool hasAllPoints() const override { return modelValid(); }

protected:
    isActorROICircle() = default;
    friend class isObject;

    bool acceptsType(int type) const override;
    bool measuresStatistics() const override { return true; }
    void drawFigure() override;

};

} // namespace isImageSDK
