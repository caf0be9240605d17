#pragma once
// The space-leaping grid of integer volumes (8- and 16-bit, signed or not).

#include "imaging/core/volume/vrSpaceLeapingBase.h"

namespace isImageSDK {

class vrSpaceLeaping : public vrSpaceLeapingBase {
public:
    vrSpaceLeaping() : vrSpaceLeapingBase(1) {}
    bool accepts(int pixelType) const override { return pixelType == 0 || pixelType == 1 || pixelType == 3; }
};

} // namespace isImageSDK
