#pragma once
// Draws a polygon measurement: its edges (the closing one dotted while the user still adds
// points) and, once closed, the area statistics the image actor reports for it.

#include "imaging/display/roi/isActorROIBase.h"

namespace isImageSDK {


class isActorROIPolygon : public isActorROIBase {
public:
    static isActorROIPolygon* create();

    bool init() override;
    /// The base's; the draw nodes went with the node lists.
    void leaveWindow() override;
    /// Sets closed from the model's validity.
    void setData(ROIData* model) override;
    bool hasAllPoints() const override { return modelValid(); }
    bool isDrawingDone() const override { return closed; }
    /// Called when a drag ends: a new moving point is appended when the last one was placed.
    void addVertex();
    /// Called when the user closes the polygon: drops the moving point and its duplicate.
    void finishPolygon();
    void setClosed(bool value);
    bool isClosed() const { return closed; }

protected:
    isActorROIPolygon() = default;
    friend class isObject;

    bool acceptsType(int type) const override;
    bool measuresStatistics() const override { return true; }
    void drawFigure() override;

    /// The closing edge while the polygon is open; the solid edges go to the draw node.
    isDrawNode* dottedNode = nullptr;
    bool closed = false;
};

} // namespace isImageSDK
