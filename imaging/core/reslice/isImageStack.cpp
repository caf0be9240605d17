#include "imaging/core/reslice/isImageStack.h"

namespace isImageSDK {

isSliceStack sliceStackOf(isImageData& image)
{
    isSliceStack s;
    for (int a = 0; a < 3; ++a) {
        s.dims[a] = image.dimensions[a];
        s.spacing[a] = image.spacing[a];
    }
    s.pixelType = image.pixelType;
    if (s.dims[2] < 1 || image.slices.size() < size_t(s.dims[2])) return s;
    s.slices.resize(size_t(s.dims[2]));
    for (int z = 0; z < s.dims[2]; ++z) {
        const isSliceInfo* slice = image.slices[size_t(z)];
        // A slice of another size or type cannot be addressed as part of the volume.
        const bool fits = slice && slice->columns == s.dims[0] && slice->rows == s.dims[1] &&
                          slice->pixelType == s.pixelType;
        s.slices[size_t(z)] = fits ? slice->pixels : nullptr;
    }
    return s;
}

void copySliceDescription(const isSliceInfo& from, isSliceInfo& to)
{
    to.filePath = from.filePath;
    to.modality = from.modality;
    to.intercept = from.intercept;
    to.slope = from.slope;
    to.windowWidth = from.windowWidth;
    to.windowCenter = from.windowCenter;
    to.displayCode = from.displayCode;
    to.acquisitionTime = from.acquisitionTime;
    to.injectionTime = from.injectionTime;
    to.petTimesValid = from.petTimesValid;
    to.halfLife = from.halfLife;
    to.decayCorrection = from.decayCorrection;
    to.decayFactor = from.decayFactor;
    to.sex = from.sex;
    to.units = from.units;
    to.totalDose = from.totalDose;
    to.weight = from.weight;
    to.size = from.size;
    to.suvFactor = from.suvFactor;
    to.scanOptions = from.scanOptions;
    to.triggerValue = from.triggerValue;
    to.loaded.store(from.loaded.load());
}

} // namespace isImageSDK
