#pragma once
// The space-leaping grid of float volumes.

#include "imaging/core/volume/vrSpaceLeapingBase.h"

namespace isImageSDK {

class vrSpaceLeapingFloat : public vrSpaceLeapingBase {
public:
    vrSpaceLeapingFloat() : vrSpaceLeapingBase(2) {}
    bool accepts(int pixelType) const override { return pixelType == 2; }
};

} // namespace isImageSDK
