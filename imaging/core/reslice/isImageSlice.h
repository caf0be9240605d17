#pragma once
// Pipeline stage that copies the first slice of its input into an image of its own, so that a
// display node always reads one plain one-slice image whatever stage feeds it.

#include "imaging/core/object/isImageFilter.h"

namespace isImageSDK {

class isImageSlice : public isImageFilter {
public:
    static isImageSlice* create();

    void updateInformation() override;
    void execute(isImageData* input, isImageData* output) override;
};

} // namespace isImageSDK
