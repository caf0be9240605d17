#include "discovery/sniffer.h"

#include "cocos2d.h"
#include "lang/UILocalConfig.h"
#include "net/NetUtils.h"
#include "notify/NSNotificationCenter.h"

#include <cstdlib>
#include <vector>

namespace NSUI {

namespace {

sniffer* g_sniffer = nullptr;
std::atomic<int> g_defaultPort{sniffer::kDefaultPort};
std::string g_defaultBindAddress; // set and read on the main thread
std::atomic<sniffer::LoginStateReader> g_loginStateReader{nullptr};

const char* const kMsg = "dicom_node_recognize";

/// This host's name and its first IPv4 address; false when it has none.
bool localIdentity(std::string& hostName, std::string& firstAddress) {
    std::string addresses, masks;
    getLocalNetworkInfo(hostName, addresses, masks);
    firstAddress = addresses.substr(0, addresses.find(','));
    return !firstAddress.empty();
}

/// The signed-in user's id, or empty when nobody is signed in.
std::string signedInUser() {
    sniffer::LoginStateReader reader = g_loginStateReader;
    if (!reader)
        return std::string();
    std::string logined = "0", userId;
    reader(logined, userId);
    return atoi(logined.c_str()) != 0 ? userId : std::string();
}

} // namespace

sniffer::sniffer(int port, const std::string& bindAddress, const std::string& appIdentifier)
    : udpComm(port, kBufferSize, bindAddress), _appIdentifier(appIdentifier) {}

sniffer* sniffer::getInstance() {
    if (!g_sniffer) {
        // The identifier is read here, on the main thread that owns the settings.
        g_sniffer = new sniffer(g_defaultPort, g_defaultBindAddress,
                                UILocalConfig::getStringForKey("app_identifier", ""));
        if (!isIPv6Network())
            g_sniffer->startReceive();
    }
    return g_sniffer;
}

sniffer* sniffer::peekInstance() {
    return g_sniffer;
}

void sniffer::setDefaultPort(int port) {
    g_defaultPort = port;
}

void sniffer::setDefaultBindAddress(const std::string& address) {
    g_defaultBindAddress = address;
}

void sniffer::setLoginStateReader(LoginStateReader reader) {
    g_loginStateReader = reader;
}

bool sniffer::shutdownInstance(unsigned maxWaitMs) {
    sniffer* instance = g_sniffer;
    if (!instance)
        return true;
    g_sniffer = nullptr;
    instance->requestStop();
    bool ended =
        waitUntil([instance] { return !instance->isReceiving() && !instance->isPingSweeping(); }, maxWaitMs);
    if (!ended) {
        cocos2d::log("sniffer: discovery threads did not end within %u ms; leaving them the object",
                     maxWaitMs);
        reap(instance->_sweepThread, false);
        instance->stopReceive(0);
        return false;
    }
    delete instance;
    return true;
}

sniffer::~sniffer() {
    // onReceive and the sweep use this object's members: both end before they go.
    requestStop();
    stopReceive(~0u);
    if (_sweepThread.joinable())
        _sweepThread.join();
}

void sniffer::startPingSweep() {
    if (isStopRequested() || isIPv6Network())
        return;
    // Only the caller that raises the flag starts a sweep: sweeps never overlap.
    bool idle = false;
    if (!_sweeping.compare_exchange_strong(idle, true))
        return;
    reap(_sweepThread, true);
    _sweepThread = std::thread(&sniffer::pingSweep, this);
}

std::string sniffer::buildMessage(const std::string& command, const std::string& firstAddress,
                                  const std::string& hostName) const {
    std::string json;
    setJsonString(json, "ip", firstAddress);
    setJsonString(json, "name", hostName);
    setJsonString(json, "command", command);
    setJsonString(json, "device", "2");
    setJsonString(json, "appid", _appIdentifier);
    setJsonString(json, "msg", kMsg);
    std::string user = signedInUser();
    if (!user.empty())
        setJsonString(json, "userid", user);
    return json;
}

void sniffer::pingSweep() {
    std::string hostName, first;
    if (localIdentity(hostName, first)) {
        std::string ping = buildMessage("ping", first, hostName);
        std::vector<std::string> hosts;
        listSubnetHosts(hosts);
        for (const std::string& host : hosts) {
            if (isStopRequested())
                break;
            if (host != first)
                sendTo(host.c_str(), ping.c_str());
        }
        // A sweep at most once a second, but a shutdown does not wait for the pause.
        waitUntil([this] { return isStopRequested(); }, 1000);
    }
    _sweeping = false;
}

void sniffer::onReceive(const char* text, int length) {
    if (!text || length <= 0)
        return;
    std::string json(text, static_cast<size_t>(length));
    // One whole flat object: a cut or foreign text is not read key by key.
    if (json.front() != '{' || json.back() != '}' || json.find('\0') != std::string::npos)
        return;
    if (getJsonString(json, "msg") != kMsg || senderAddress().empty())
        return;
    // The node is where the datagram came from. The address the text claims could name any
    // host, and a send target planted there would receive patient data; it only tells this
    // host's own datagrams apart.
    const std::string& ip = senderAddress();
    std::string name = getJsonString(json, "name");
    std::string appid = getJsonString(json, "appid");
    if (appid.empty())
        appid = name + ip;

    std::string hostName, first;
    if (!localIdentity(hostName, first) || getJsonString(json, "ip") == first)
        return;
    if (getJsonString(json, "command") == "ping")
        sendTo(ip.c_str(), buildMessage("response", first, hostName).c_str());

    std::string found;
    setJsonString(found, "ip", ip);
    setJsonString(found, "name", name);
    setJsonString(found, "device", getJsonString(json, "device"));
    setJsonString(found, "appid", appid);
    NSNotificationCenter::getInstance()->postNotificationWithString(nullptr, kDiscoveredId, found, nullptr,
                                                                    false);
}

} // namespace NSUI
