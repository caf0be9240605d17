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

std::mutex& NetworkSetup::networkInitMutex()
{
    static std::mutex mutex;
    return mutex;
}

bool NetworkSetup::parsePort(const std::string& text, unsigned short& port)
{
    if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    long value = std::strtol(text.c_str(), nullptr, 10);
    if (value < 1 || value > 65535)
        return false;
    port = static_cast<unsigned short>(value);
    return true;
}

} // namespace dcmSDK
