#pragma once
// The local IPv4 network: host name and adapters, address texts, the hosts of the local
// subnets for sweeps, the cached IPv6 answer, and the e-mail and account-name rules.

#include <string>
#include <vector>

/// Longest subnet swept: shorter prefixes are skipped.
constexpr int kSubnetMinPrefix = 22;
/// Most hosts listSubnetHosts gives, over all adapters together.
constexpr size_t kSubnetMaxHosts = 1024;
/// Longest text the e-mail and account-name rules look at; longer texts are refused.
constexpr size_t kValidatorMaxLength = 254;

/// Host name (sanitised for flat JSON) and the comma-joined addresses and masks of the
/// adapters, leaving out 127.0.0.1 and 0.0.0.0.
void getLocalNetworkInfo(std::string& hostName, std::string& addresses, std::string& masks);

/// Dotted text to a value with the first number in the lowest byte (network order in
/// memory); 0 for a malformed text, more than four numbers or a number above 255.
unsigned parseIPv4(const char* text);
/// Host-order value (first number in the highest byte) to dotted text.
std::string formatIPv4(unsigned value);
bool isValidIPv4(std::string text);

/// Hosts of each local subnet, nearest to this host first, alternately above and below;
/// network, broadcast, last octets 0 and 255 and this host left out.
void listSubnetHosts(std::vector<std::string>& out);

/// Always false here: the adapter list holds IPv4 addresses only.
bool checkIPv6Address();
/// Body of the background check that fills the cached answer.
void ipv6CheckThread();
/// The cached answer; the first call starts the check in the background and returns false.
bool isIPv6Network();

bool isValidEmail(std::string text);
bool isValidAccountName(std::string text);
/// An http or https address without spaces or control characters: the only kind the program
/// fetches or opens in the browser when the address comes from a server or a page.
bool isWebAddress(const std::string& address);
