#include "imaging/core/reslice/isImagePlane.h"

#include <cmath>
#include <cstring>

#include "imaging/core/reslice/isImageStack.h"
#include "imaging/core/reslice/isPlaneKernel.h"

namespace isImageSDK {

namespace {

void setColumn(cocos2d::Mat4& m, int column, const float* v, float sign = 1.0f)
{
    for (int r = 0; r < 3; ++r) m.m[column * 4 + r] = sign * v[r];
    m.m[column * 4 + 3] = 0.0f;
}

} // namespace

isImagePlane* isImagePlane::create()
{
    return createObject<isImagePlane>();
}

bool isImagePlane::init()
{
    if (!isImageFilter::init()) return false;
    slabCount = 1;
    slabMode = 1;
    orientation = 0;
    sliceIndex = -1;
    return true;
}

void isImagePlane::setInputImage(isImageData* image)
{
    isImageFilter::setInputImage(image);
    sliceIndex = 0;
}

int isImagePlane::getSliceCount()
{
    if (!_inputImage) return -1;
    _inputImage->updateInformation();
    const int32_t* d = _inputImage->dimensions;
    return orientation == 0 ? d[2] : (orientation == 1 ? d[0] : d[1]);
}

float isImagePlane::axisSpacing() const
{
    const float* s = _inputImage->spacing;
    return orientation == 0 ? s[2] : (orientation == 1 ? s[0] : s[1]);
}

int isImagePlane::getSliceIndexAt(double x, double y, double z)
{
    if (!_inputImage) return -1;
    _inputImage->Update();
    const cocos2d::Mat4 inv = _inputImage->volumeMatrix.getInversed();
    const float w[3] = {float(x), float(y), float(z)};
    float p[3];
    for (int r = 0; r < 3; ++r) p[r] = inv.m[r] * w[0] + inv.m[4 + r] * w[1] + inv.m[8 + r] * w[2] + inv.m[12 + r];
    const float* s = _inputImage->spacing;
    double along;
    if (orientation == 0) along = p[2];
    else if (orientation == 1) along = double(_inputImage->dimensions[0] - 1) * s[0] - p[0];
    else along = p[1];
    const double a = axisSpacing();
    if (!(a > 0.0)) return -1;
    return int(along / a + 0.5);
}

void isImagePlane::setSlabThickness(double thickness)
{
    if (!_inputImage) return;
    const double a = axisSpacing();
    if (!(a > 0.0) || !std::isfinite(thickness)) return;
    // Limit before converting so that an absurd thickness cannot overflow the count.
    const double half = std::trunc(std::min(thickness / (a * 2.0), 1.0e6));
    int count = 2 * int(half) + 1;
    if (count < 1) count = 1;
    if (count != slabCount) {
        slabCount = count;
        setDataModified(true);
    }
}

void isImagePlane::updateInformation()
{
    if (!propagateInformation()) return;
    isImageData* out = getOutputImage();
    if (!out) return;
    out->releaseSlices();
    out->reset();
    isImageData* in = _inputImage;
    if (!in) return;
    in->updateInformation();
    const int nx = in->dimensions[0], ny = in->dimensions[1], nz = in->dimensions[2];
    if (in->isVolume()) {
        if (in->pixelType == kPixelRGB8) slabCount = 1;
        if (in->slices.empty()) return;
        const cocos2d::Mat4& V = in->volumeMatrix;
        const float* sp = in->spacing;
        if (orientation == 0) {
            if (sliceIndex < 0 || sliceIndex >= nz || size_t(sliceIndex) >= in->slices.size()) return;
            const isSliceInfo& src = *in->slices[size_t(sliceIndex)];
            const int dims[3] = {src.columns, src.rows, 1};
            const float spacing[3] = {src.spacingX, src.spacingY, 1.0f};
            if (!out->buildVolume(dims, spacing, src.pixelType, src.facing, src.headFeet, src.matrix)) return;
            copySliceDescription(src, *out->slices[0]);
            return;
        }
        if (orientation != 1 && orientation != 2) return;
        const int n = orientation == 1 ? nx : ny;
        if (sliceIndex < 0 || sliceIndex >= n) return;
        cocos2d::Mat4 m;
        setColumn(m, 0, V.m + 8);
        float origin[3];
        if (orientation == 1) {
            setColumn(m, 1, V.m + 4);
            setColumn(m, 2, V.m + 0, -1.0f);
            const float t = float(nx - sliceIndex - 1) * sp[0];
            for (int r = 0; r < 3; ++r) origin[r] = V.m[12 + r] + V.m[r] * t;
        } else {
            setColumn(m, 1, V.m + 0);
            setColumn(m, 2, V.m + 4);
            const float t = float(sliceIndex) * sp[1];
            for (int r = 0; r < 3; ++r) origin[r] = V.m[12 + r] + V.m[4 + r] * t;
        }
        for (int r = 0; r < 3; ++r) m.m[12 + r] = origin[r];
        m.m[15] = 1.0f;
        const int dims[3] = {nz, orientation == 1 ? ny : nx, 1};
        const float spacing[3] = {sp[2], orientation == 1 ? sp[1] : sp[0], orientation == 1 ? sp[0] : sp[1]};
        if (!out->buildVolume(dims, spacing, in->pixelType, in->facing, in->headFeet, m)) return;
        copySliceDescription(*in->slices[0], *out->slices[0]);
        return;
    }
    // A single image or a list of separate images: only the acquisition plane exists.
    if (orientation != 0) return;
    slabCount = 1;
    slabMode = 1;
    if (sliceIndex >= 0 && sliceIndex < nz && size_t(sliceIndex) < in->slices.size())
        out->addSliceCopy(*in->slices[size_t(sliceIndex)]);
}

void isImagePlane::execute(isImageData* input, isImageData* output)
{
    if (!output) return;
    output->updateInformation();
    if (output->slices.empty() || !input) return;
    isSliceInfo* dst = output->slices[0];
    if (!input->isVolume()) {
        isSliceInfo* src = input->getSlice(sliceIndex);
        if (!src || !src->pixels || !dst->pixels) return;
        const int64_t bytes = std::min(src->byteSize(), dst->byteSize());
        if (bytes > 0) std::memcpy(dst->pixels, src->pixels, size_t(bytes));
        return;
    }
    isPlaneParams p;
    p.orientation = orientation;
    p.sliceIndex = sliceIndex;
    p.slabCount = slabCount;
    p.slabMode = slabMode;
    int columns = 0, rows = 0;
    const isSliceStack stack = sliceStackOf(*input);
    planeOutputSize(stack, orientation, columns, rows);
    // The output was sized from the same input; refuse to write if they disagree.
    if (columns != dst->columns || rows != dst->rows || stack.pixelType != dst->pixelType) return;
    extractPlane(stack, p, dst->pixels);
}

} // namespace isImageSDK
