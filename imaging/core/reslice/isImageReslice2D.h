#pragma once
// Pipeline stage of multiplanar reformatting: samples a volume on an arbitrary plane, given by
// reslice axes in the volume's own millimetre frame, into one image covering the whole
// cross-section, optionally combining a slab of parallel samples.

#include "imaging/core/object/isImageFilter.h"

namespace isImageSDK {

class isImageReslice2D : public isImageFilter {
public:
    static isImageReslice2D* create();

    bool init() override;
    void setInputImage(isImageData* image) override;
    void updateInformation() override;
    void execute(isImageData* input, isImageData* output) override;

    /// Stores the axes (column-major) and recomputes the output geometry. Degenerate axes (singular,
    /// not finite, or asking for an unbounded output) keep the previous geometry; false then.
    bool setResliceAxes(const float axes[16]);
    /// Slab thickness in millimetres: 2 trunc(t / 2 sampleSpacing) + 1 samples.
    void setSlabThickness(float thickness);

    int outputColumns = 1;
    int outputRows = 1;
    float outputSpacingX = 1.0f;
    float outputSpacingY = 1.0f;
    float slabSpacing = 1.0f;
    int interpolation = 1; // 2 tricubic, anything else trilinear
    float resliceAxes[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    float backgroundValue = 0.0f;
    int slabMode = 1; // written by the owner, which sets the data flag
    int slabSampleCount = 1;
    float sampleSpacing = 1.0f;
    float slabThickness = 0.01f;

private:
    void updateSlabSamples();
};

} // namespace isImageSDK
