#include "imaging/display/interactor/isInteractorTrackVR.h"

namespace isImageSDK {

isInteractorTrackVR* isInteractorTrackVR::create() { return createObject<isInteractorTrackVR>(); }

bool isInteractorTrackVR::init()
{
    if (!isInteractorImage::init()) return false;
    typeTag = 2;
    mode = kModeRotate;
    return true;
}

} // namespace isImageSDK
