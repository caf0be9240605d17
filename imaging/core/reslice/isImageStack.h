#pragma once
// Views an image data object's slices as a slice stack for the reslice and plane kernels, and
// copies the descriptive fields of a slice record between records.

#include "imaging/core/data/isImageData.h"
#include "imaging/core/reslice/isSliceStack.h"

namespace isImageSDK {

/// The slices of `image` (after an update) with their own pixel pointers, whether they share one
/// voxel buffer or not; a slice without pixels leaves a null pointer (the stack is then invalid).
isSliceStack sliceStackOf(isImageData& image);

/// Copies path, modality, rescale, window, display code, dates, PET and patient values and the
/// loaded flag; geometry and pixels are left alone.
void copySliceDescription(const isSliceInfo& from, isSliceInfo& to);

} // namespace isImageSDK
