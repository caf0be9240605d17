#include "imaging/display/volume/isVRThreadBest.h"

namespace isImageSDK {

bool isVRThreadBest::addRequest(NSUI::NSThreadRequest* request)
{
    if (!request) return false;
    cancelAll();
    return isVRThread::addRequest(request);
}

} // namespace isImageSDK
