#include "net/NetUtils.h"

#include "net/NetworkInfoProvider.h"
#include "util/StringUtils.h"

#include <arpa/inet.h>
#include <algorithm>
#include <atomic>
#include <cctype>
#include <ctime>
#include <regex>
#include <thread>

void getLocalNetworkInfo(std::string& hostName, std::string& addresses, std::string& masks)
{
    hostName.clear();
    addresses.clear();
    masks.clear();
    auto provider = NSUI::NetworkInfoProvider::current();

    for (const auto& adapter : provider->adapters()) {
        if (adapter.address.empty() || adapter.address == "127.0.0.1" ||
            adapter.address == "0.0.0.0")
            continue;
        if (!addresses.empty()) {
            addresses += ",";
            masks += ",";
        }
        addresses += adapter.address;
        masks += adapter.mask;
    }

    std::string name = provider->hostName();
    if (name.empty())
        name = "Win32";
    // The name travels inside flat JSON texts and comma-joined lists.
    for (char c : name) {
        if (c == '"' || c == ':' || c == '{' || c == '}' || c == '[' || c == ']')
            continue;
        hostName += c == ',' ? '_' : c;
    }
}

unsigned parseIPv4(const char* text)
{
    if (!text)
        return 0;
    unsigned result = 0;
    int count = 0;
    const char* p = text;
    for (;;) {
        unsigned number = 0;
        int digits = 0;
        while (std::isdigit(static_cast<unsigned char>(*p))) {
            number = number * 10 + static_cast<unsigned>(*p - '0');
            if (number > 255)
                return 0;
            ++digits;
            ++p;
        }
        if (digits == 0 && count == 0 && *p != '.')
            return 0; // no number at all
        if (count == 4)
            return 0; // a fifth number
        result |= number << (8 * count);
        ++count;
        if (*p == '.') {
            ++p;
            continue;
        }
        return (*p == '\0' || std::isspace(static_cast<unsigned char>(*p))) ? result : 0;
    }
}

std::string formatIPv4(unsigned value)
{
    return formatString("%u.%u.%u.%u", (value >> 24) & 0xFF, (value >> 16) & 0xFF,
                        (value >> 8) & 0xFF, value & 0xFF);
}

bool isValidIPv4(std::string text)
{
    if (text.empty() || text.size() > 64 || text.back() == '.')
        return false;
    int dots = 0;
    unsigned run = 0;
    for (char c : text) {
        if (c == '.') {
            ++dots;
            run = 0;
        } else if (c >= '0' && c <= '9') {
            run = run * 10 + static_cast<unsigned>(c - '0');
            if (run > 255)
                return false;
        } else {
            return false;
        }
    }
    return dots == 3;
}

void listSubnetHosts(std::vector<std::string>& out)
{
    std::string host;
    std::string addressList;
    std::string maskList;
    getLocalNetworkInfo(host, addressList, maskList);
    if (addressList.empty() || maskList.empty())
        return;
    std::vector<std::string> addresses;
    std::vector<std::string> masks;
    splitString(addressList, ",", addresses);
    splitString(maskList, ",", masks);

    size_t added = 0;
    for (size_t i = 0; i < addresses.size() && i < masks.size(); ++i) {
        const unsigned ip = ntohl(parseIPv4(addresses[i].c_str()));
        const unsigned mask = ntohl(parseIPv4(masks[i].c_str()));
        if (mask == 0)
            continue;
        int hostBits = 0;
        while (!(mask & (1u << hostBits)))
            ++hostBits;
        // Whole subnets are swept by echo and discovery: large ones are left alone.
        if (hostBits == 0 || hostBits > 32 - kSubnetMinPrefix)
            continue;
        const unsigned span = (1u << hostBits) - 1;
        unsigned first = ip & mask;
        unsigned last = first + span;
        if (hostBits > 1) {
            // The network and broadcast addresses are no hosts (a /31 has neither).
            ++first;
            --last;
        }
        const unsigned steps = std::max(ip - first + 1, last - ip + 1);
        auto take = [&](unsigned candidate) {
            const unsigned low = candidate & 0xFF;
            if (candidate >= first && candidate <= last && low != 0 && low != 255 &&
                added < kSubnetMaxHosts) {
                out.push_back(formatIPv4(candidate));
                ++added;
            }
        };
        if (ip < first || ip > last)
            continue; // the adapter's own address is not a host of its subnet
        for (unsigned d = 1; d < steps && added < kSubnetMaxHosts; ++d) {
            take(ip + d);
            if (d <= ip)
                take(ip - d);
        }
    }
}

namespace {
std::atomic<bool> gIPv6Answer {false};
std::atomic<bool> gIPv6CheckRunning {false};
std::atomic<unsigned> gIPv6CheckStart {0};
// A check is repeated only after this many seconds, so once a run in practice.
constexpr unsigned kIPv6Recheck = 60000000u;
} // namespace

bool checkIPv6Address()
{
    std::string host;
    std::string addresses;
    std::string masks;
    getLocalNetworkInfo(host, addresses, masks);
    return addresses.find(':') != std::string::npos;
}

void ipv6CheckThread()
{
    gIPv6CheckRunning = true;
    gIPv6CheckStart = static_cast<unsigned>(std::time(nullptr));
    gIPv6Answer = checkIPv6Address();
    gIPv6CheckRunning = false;
}

bool isIPv6Network()
{
    const bool answer = gIPv6Answer.load();
    const unsigned now = static_cast<unsigned>(std::time(nullptr));
    if (now - gIPv6CheckStart.load() >= kIPv6Recheck) {
        bool idle = false;
        // Only the caller that flips the flag starts a check.
        if (gIPv6CheckRunning.compare_exchange_strong(idle, true)) {
            gIPv6CheckStart = now;
            std::thread(ipv6CheckThread).detach();
        }
    }
    return answer;
}

bool isValidEmail(std::string text)
{
    if (text.empty() || text.size() > kValidatorMaxLength)
        return false;
    static const std::regex rule(
        "([0-9A-Za-z\\-_\\.]+)@([0-9A-Za-z]+\\.[a-z0-9A-Z]{2,5}(\\.[a-z0-9A-Z]{2,5})?)");
    return std::regex_match(text, rule);
}

bool isValidAccountName(std::string text)
{
    if (text.empty() || text.size() > kValidatorMaxLength)
        return false;
    static const std::regex rule("[0-9A-Za-z\\-_\\.]+");
    return std::regex_match(text, rule);
}

bool isWebAddress(const std::string& address)
{
    size_t colon = address.find("://");
    std::string scheme = address.substr(0, colon == std::string::npos ? 0 : colon);
    for (auto& c : scheme)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (scheme != "http" && scheme != "https")
        return false;
    if (address.size() <= scheme.size() + 3)
        return false;
    for (unsigned char c : address)
        if (c <= ' ' || c == 0x7f)
            return false;
    return true;
}
