#pragma once
// Source of the local network information (host name, IPv4 adapters), replaceable so that
// tests can declare a small loopback subnet instead of the machine's real adapters.

#include <memory>
#include <string>
#include <vector>

namespace NSUI {

/// One IPv4 adapter: its first address and its mask, dotted texts.
struct NetworkAdapter {
    std::string address;
    std::string mask;
};

/// Answers what the local network looks like. The default asks the operating system.
class NetworkInfoProvider {
public:
    virtual ~NetworkInfoProvider() = default;
    /// The host name; empty when it cannot be had.
    virtual std::string hostName() = 0;
    /// The IPv4 adapters in system order.
    virtual std::vector<NetworkAdapter> adapters() = 0;

    /// The provider in use (the system one unless replaced). Safe from any thread.
    static std::shared_ptr<NetworkInfoProvider> current();
    /// Replaces the provider; null restores the system one.
    static void setCurrent(std::shared_ptr<NetworkInfoProvider> provider);
};

} // namespace NSUI
