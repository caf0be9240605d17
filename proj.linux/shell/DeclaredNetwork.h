#pragma once
// A local network given on the command environment instead of the machine's adapters.

#include "net/NetworkInfoProvider.h"

#include <memory>
#include <string>

/// QP_LOCAL_NETWORK="address/mask" puts this installation on that one address of that
/// network: discovery listens and sends there and the subnet sweeps cover that network. Several
/// installations can then share one machine on loopback addresses, as the tests run them.
class DeclaredNetwork : public NSUI::NetworkInfoProvider {
public:
    /// Installs the network the text declares; false (and nothing changes) for a text that is
    /// not two dotted IPv4 addresses joined by "/".
    static bool install(const std::string& declaration);

    /// The machine's own host name.
    std::string hostName() override { return _machine->hostName(); }
    std::vector<NSUI::NetworkAdapter> adapters() override { return {_adapter}; }

private:
    DeclaredNetwork(std::shared_ptr<NSUI::NetworkInfoProvider> machine, const NSUI::NetworkAdapter& adapter)
        : _machine(std::move(machine)), _adapter(adapter) {}

    const std::shared_ptr<NSUI::NetworkInfoProvider> _machine;
    const NSUI::NetworkAdapter _adapter;
};
