#include "platform/Device.h"

#include <sys/utsname.h>

#include "platform/GLViewImpl.h"

namespace cocos2d {

int Device::getDPI()
{
    static int dpi = 0;
    if (dpi == 0) {
        dpi = GLViewImpl::getMonitorDPI();
    }
    return dpi;
}

std::string Device::getDeviceInfo()
{
    struct utsname info;
    if (uname(&info) != 0) {
        return "Linux";
    }
    // No host name: this text is sent to the update service.
    return std::string(info.sysname) + " " + info.release + " " + info.machine;
}

} // namespace cocos2d
