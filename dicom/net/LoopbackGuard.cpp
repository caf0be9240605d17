#include "LoopbackGuard.h"

#include "dcmCallbacks.h"

#include <arpa/inet.h>
#include <atomic>
#include <cstdlib>
#include <cstring>

namespace dcmSDK {

namespace {

bool envFlag(const char* name)
{
    const char* v = std::getenv(name);
    return v != nullptr && std::strcmp(v, "1") == 0;
}

// -1 unset (decide from the environment on first use), 0 off, 1 on.
std::atomic<int> g_enforced{-1};

} // namespace

void LoopbackGuard::setEnforced(bool on)
{
    g_enforced.store(on ? 1 : 0);
}

bool LoopbackGuard::isEnforced()
{
    int state = g_enforced.load();
    if (state < 0) {
        int fromEnv = (envFlag("QP_ISOLATED") || envFlag("QP_LOOPBACK_ONLY")) ? 1 : 0;
        g_enforced.compare_exchange_strong(state, fromEnv);
        return g_enforced.load() == 1;
    }
    return state == 1;
}

bool LoopbackGuard::isLoopbackAddress(const std::string& host)
{
    in_addr addr{};
    if (inet_pton(AF_INET, host.c_str(), &addr) != 1)
        return false;
    return (ntohl(addr.s_addr) >> 24) == 127;
}

bool LoopbackGuard::allows(const std::string& host)
{
    if (!isEnforced() || isLoopbackAddress(host))
        return true;
    dcmLog("LoopbackGuard: refused connection to %s: only loopback is allowed here", host.c_str());
    return false;
}

} // namespace dcmSDK
