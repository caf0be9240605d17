#include "imaging/core/reslice/isImageReslice2D.h"

#include <cmath>
#include <cstring>

#include "imaging/core/data/isImageData.h"
#include "imaging/core/reslice/isImageStack.h"
#include "imaging/core/reslice/isResliceKernel.h"

namespace isImageSDK {

isImageReslice2D* isImageReslice2D::create()
{
    return createObject<isImageReslice2D>();
}

bool isImageReslice2D::init()
{
    if (!isImageFilter::init()) return false;
    outputColumns = outputRows = 1;
    outputSpacingX = outputSpacingY = slabSpacing = 1.0f;
    interpolation = 1;
    const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    std::memcpy(resliceAxes, identity, sizeof(resliceAxes));
    backgroundValue = 0.0f;
    slabMode = 1;
    slabSampleCount = 1;
    sampleSpacing = 1.0f;
    slabThickness = 0.01f;
    return true;
}

void isImageReslice2D::setInputImage(isImageData* image)
{
    isImageFilter::setInputImage(image);
    if (!image) return;
    image->updateInformation();
    if (image->pixelType == kPixelS16) backgroundValue = -1024.0f; // air in CT
    else if (image->pixelType != kPixelRGB8) backgroundValue = 0.0f;
    const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    setResliceAxes(identity);
}

bool isImageReslice2D::setResliceAxes(const float axes[16])
{
    if (!_inputImage) return false;
    _inputImage->updateInformation();
    if (!_inputImage->isVolume()) return false;
    isResliceGeometry g;
    if (!computeResliceGeometry(_inputImage->dimensions, _inputImage->spacing, axes, g)) {
        cocos2d::log("isImageReslice2D: degenerate reslice axes ignored");
        return false;
    }
    std::memcpy(resliceAxes, g.axes, sizeof(resliceAxes));
    outputSpacingX = g.spacingX;
    outputSpacingY = g.spacingY;
    slabSpacing = g.slabSpacing;
    outputColumns = g.columns;
    outputRows = g.rows;
    sampleSpacing = slabSpacing;
    updateSlabSamples();
    setModified();
    return true;
}

void isImageReslice2D::setSlabThickness(float thickness)
{
    slabThickness = thickness;
    updateSlabSamples();
    setDataModified(true);
}

void isImageReslice2D::updateSlabSamples()
{
    if (!(sampleSpacing > 0.0f) || !std::isfinite(slabThickness)) {
        slabSampleCount = 1;
        return;
    }
    // A slab thicker than the volume's diagonal adds only background samples; limiting it keeps
    // an absurd thickness from stalling the pipeline (and from overflowing the count).
    double thickness = slabThickness;
    if (_inputImage) {
        double diagonal = 0.0;
        for (int a = 0; a < 3; ++a) {
            const double e = double(_inputImage->dimensions[a]) * double(_inputImage->spacing[a]);
            diagonal += e * e;
        }
        thickness = std::min(thickness, std::sqrt(diagonal));
    }
    const double half = std::trunc(std::min(thickness / (double(sampleSpacing) * 2.0), 4096.0));
    int count = 2 * int(half) + 1;
    if (count < 1) count = 1;
    slabSampleCount = count;
    if (count > 1) slabSpacing = float(thickness) / float(count - 1);
}

void isImageReslice2D::updateInformation()
{
    if (!propagateInformation()) return;
    isImageData* out = getOutputImage();
    if (!out) return;
    out->releaseSlices();
    out->reset();
    isImageData* in = _inputImage;
    if (!in || !in->hasSlices || !in->isVolume() || in->slices.empty() || in->slices[0]->pixelType == kPixelRGB8)
        return;
    const isSliceInfo& first = *in->slices[0];
    const int dims[2] = {std::max(1, outputColumns), std::max(1, outputRows)};
    const float spacing[2] = {outputSpacingX, outputSpacingY};
    cocos2d::Mat4 axes;
    std::memcpy(axes.m, resliceAxes, sizeof(axes.m));
    cocos2d::Mat4 matrix;
    cocos2d::Mat4::multiply(in->volumeMatrix, axes, &matrix);
    isSliceInfo* slice = out->addSlice(dims, 1, spacing, first.pixelType, first.facing, first.headFeet, matrix);
    if (!slice) return;
    slice->modality = first.modality;
    slice->intercept = first.intercept;
    slice->slope = first.slope;
    slice->windowWidth = first.windowWidth;
    slice->windowCenter = first.windowCenter;
    slice->displayCode = first.displayCode;
    std::memset(slice->pixels, 0, size_t(slice->byteSize()));
    slice->loaded.store(1);
}

void isImageReslice2D::execute(isImageData* input, isImageData* output)
{
    if (!output) return;
    output->updateInformation();
    if (output->slices.empty() || !input) return;
    isSliceInfo* dst = output->slices[0];
    isResliceParams p;
    std::memcpy(p.geometry.axes, resliceAxes, sizeof(resliceAxes));
    p.geometry.columns = dst->columns;
    p.geometry.rows = dst->rows;
    p.geometry.spacingX = outputSpacingX;
    p.geometry.spacingY = outputSpacingY;
    p.geometry.slabSpacing = slabSpacing;
    p.slabMode = slabMode;
    p.slabSampleCount = slabSampleCount;
    p.interpolation = interpolation;
    p.background = backgroundValue;
    const isSliceStack stack = sliceStackOf(*input);
    if (stack.pixelType != dst->pixelType) return;
    resliceVolume(stack, p, dst->pixels);
}

} // namespace isImageSDK
