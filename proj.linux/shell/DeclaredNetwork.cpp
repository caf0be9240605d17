#include "DeclaredNetwork.h"

#include "cocos2d.h"
#include "discovery/sniffer.h"
#include "net/NetUtils.h"

bool DeclaredNetwork::install(const std::string& declaration) {
    size_t slash = declaration.find('/');
    NSUI::NetworkAdapter adapter;
    if (slash != std::string::npos) {
        adapter.address = declaration.substr(0, slash);
        adapter.mask = declaration.substr(slash + 1);
    }
    if (!isValidIPv4(adapter.address) || !isValidIPv4(adapter.mask)) {
        cocos2d::log("network: \"%s\" is not address/mask; the machine's adapters are used", declaration.c_str());
        return false;
    }
    std::shared_ptr<NSUI::NetworkInfoProvider> machine = NSUI::NetworkInfoProvider::current();
    NSUI::NetworkInfoProvider::setCurrent(std::shared_ptr<DeclaredNetwork>(new DeclaredNetwork(machine, adapter)));
    NSUI::sniffer::setDefaultBindAddress(adapter.address);
    cocos2d::log("network: this installation is %s/%s", adapter.address.c_str(), adapter.mask.c_str());
    return true;
}
