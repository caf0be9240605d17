#include "NetworkSetup.h"

#include "dcmtk/config/osconfig.h"
#include "dcmtk/dcmnet/dul.h"
#include "dcmtk/oflog/oflog.h"

#include <cstdlib>
#include <cstring>
#include <mutex>

namespace dcmSDK {

void NetworkSetup::prepare()
{
    static std::once_flag once;
    std::call_once(once, [] {
        const char* nodelay = std::getenv("TCP_NODELAY");
        if (nodelay == nullptr || std::strcmp(nodelay, "1") != 0)
            setenv("TCP_NODELAY", "1", 1);
        dcmDisableGethostbyaddr.set(OFTrue);
        dcmConnectionTimeout.set(kConnectTimeoutSeconds);
        // DCMTK's own chatter would flood the log during sweeps; our code logs what matters.
        OFLog::configure(OFLogger::ERROR_LOG_LEVEL);
    });
}

} // namespace dcmSDK
