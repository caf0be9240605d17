#pragma once
// Pipeline stage that cuts one plane (or a slab of planes) out of a volume along one of its own
// three axes: across z (the acquisition plane), across x or across y.

#include "imaging/core/object/isImageFilter.h"

namespace isImageSDK {

class isImagePlane : public isImageFilter {
public:
    static isImagePlane* create();

    bool init() override;
    void setInputImage(isImageData* image) override;
    void updateInformation() override;
    void execute(isImageData* input, isImageData* output) override;

    /// Planes along the current orientation's axis; -1 without input.
    int getSliceCount();
    /// Index of the plane through a world point (not limited to the valid range); -1 without input.
    int getSliceIndexAt(double x, double y, double z);
    /// Slab of 2 trunc(t / 2a) + 1 planes for a thickness t in millimetres along axis spacing a.
    void setSlabThickness(double thickness);

    // Written directly by the owner, which sets the modified flags itself.
    int slabCount = 1;   // odd, at least 1
    int slabMode = 1;    // 0 minimum, 1 maximum, 2 average, 3 sum
    int orientation = 0; // 0 across z, 1 across x, 2 across y
    int sliceIndex = -1;

private:
    float axisSpacing() const;
};

} // namespace isImageSDK
