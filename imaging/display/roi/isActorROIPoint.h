#pragma once
// Draws a value measurement: an open cross round the point and the pixel value the image
// actor reports for it.

#include "imaging/display/roi/isActorROIBase.h"

namespace isImageSDK {


class isActorROIPoint : public isActorROIBase {
public:
    static isActorROIPoint* create();

    bool init() override;
    bool hasAllPoints() const override { return true; }

protected:
    isActorROIPoint() = default;
    friend class isObject;

    bool acceptsType(int type) const override;
    bool measuresStatistics() const override { return true; }
    void drawFigure() override;

};

} // namespace isImageSDK
