#include "imaging/core/data/isSliceInfo.h"

namespace isImageSDK {

isSliceInfo::isSliceInfo()
{
    matrix.setIdentity();
}

int64_t isSliceInfo::sampleCount() const
{
    if (columns <= 0 || rows <= 0 || frames <= 0) return 0;
    return static_cast<int64_t>(columns) * rows * frames;
}

} // namespace isImageSDK
