#include "net/NetworkInfoProvider.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <mutex>
#include <net/if.h>
#include <netinet/in.h>
#include <unistd.h>

namespace NSUI {

namespace {

std::string dotted(const sockaddr* address)
{
    char text[INET_ADDRSTRLEN] = {0};
    const auto* in = reinterpret_cast<const sockaddr_in*>(address);
    if (!inet_ntop(AF_INET, &in->sin_addr, text, sizeof text))
        return std::string();
    return text;
}

// The machine's own adapters through getifaddrs.
class SystemNetworkInfoProvider : public NetworkInfoProvider {
public:
    std::string hostName() override
    {
        char name[256] = {0};
        if (gethostname(name, sizeof name - 1) != 0)
            return std::string();
        return name;
    }

    std::vector<NetworkAdapter> adapters() override
    {
        std::vector<NetworkAdapter> out;
        ifaddrs* list = nullptr;
        if (getifaddrs(&list) != 0)
            return out;
        std::vector<std::string> seen;
        for (ifaddrs* it = list; it; it = it->ifa_next) {
            if (!it->ifa_addr || it->ifa_addr->sa_family != AF_INET || !it->ifa_netmask)
                continue;
            if (!(it->ifa_flags & IFF_UP))
                continue;
            // The first IPv4 address of each adapter, as the adapter list gives it.
            std::string name = it->ifa_name ? it->ifa_name : "";
            bool known = false;
            for (const auto& s : seen)
                known = known || s == name;
            if (known)
                continue;
            seen.push_back(name);
            out.push_back({dotted(it->ifa_addr), dotted(it->ifa_netmask)});
        }
        freeifaddrs(list);
        return out;
    }
};

// Both live for the whole process and are never destroyed: the detached IPv6 check may
// still be reading the provider while the program exits.
std::mutex& providerMutex()
{
    static auto* m = new std::mutex;
    return *m;
}

std::shared_ptr<NetworkInfoProvider>& providerSlot()
{
    static auto* slot = new std::shared_ptr<NetworkInfoProvider>;
    return *slot;
}

} // namespace

std::shared_ptr<NetworkInfoProvider> NetworkInfoProvider::current()
{
    std::lock_guard<std::mutex> lock(providerMutex());
    auto& slot = providerSlot();
    if (!slot)
        slot = std::make_shared<SystemNetworkInfoProvider>();
    return slot;
}

void NetworkInfoProvider::setCurrent(std::shared_ptr<NetworkInfoProvider> provider)
{
    std::lock_guard<std::mutex> lock(providerMutex());
    providerSlot() = std::move(provider);
}

} // namespace NSUI
