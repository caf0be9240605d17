#include "imaging/core/reslice/isImageSlice.h"

#include <algorithm>
#include <cstring>

#include "imaging/core/data/isImageData.h"

namespace isImageSDK {

isImageSlice* isImageSlice::create()
{
    return createObject<isImageSlice>();
}

void isImageSlice::updateInformation()
{
    if (!propagateInformation()) return;
    isImageData* out = getOutputImage();
    if (!out) return;
    out->releaseSlices();
    out->reset();
    if (_inputImage && !_inputImage->slices.empty()) out->addSliceCopy(*_inputImage->slices[0]);
}

void isImageSlice::execute(isImageData* input, isImageData* output)
{
    if (!output) return;
    output->updateInformation();
    if (!input || input->slices.empty() || output->slices.empty()) return;
    const isSliceInfo* src = input->slices[0];
    isSliceInfo* dst = output->slices[0];
    if (!src->pixels || !dst->pixels) return;
    const int64_t bytes = std::min(src->byteSize(), dst->byteSize());
    if (bytes > 0) std::memcpy(dst->pixels, src->pixels, size_t(bytes));
    dst->loaded.store(src->loaded.load());
}

} // namespace isImageSDK
