#include "imaging/display/volume/isVRThreadRT.h"

namespace isImageSDK {

bool isVRThreadRT::addRequest(NSUI::NSThreadRequest* request)
{
    if (!request) return false;
    dropWaitingRequests();
    return isVRThread::addRequest(request);
}

} // namespace isImageSDK
