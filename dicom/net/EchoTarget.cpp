#include "EchoTarget.h"

namespace dcmSDK {

namespace {

std::string trimmed(const std::string& s)
{
    const char* ws = " \t\r\n";
    size_t b = s.find_first_not_of(ws);
    if (b == std::string::npos)
        return std::string();
    size_t e = s.find_last_not_of(ws);
    return s.substr(b, e - b + 1);
}

} // namespace

bool EchoTarget::parse(const std::string& text, bool sweep, EchoTarget& out)
{
    size_t lastComma = text.rfind(',');
    if (lastComma == std::string::npos || lastComma == 0)
        return false;
    size_t ipComma = text.rfind(',', lastComma - 1);
    EchoTarget t;
    t.sweep = sweep;
    t.port = trimmed(text.substr(lastComma + 1));
    if (ipComma == std::string::npos) {
        t.ip = trimmed(text.substr(0, lastComma));
    } else {
        t.ip = trimmed(text.substr(ipComma + 1, lastComma - ipComma - 1));
        t.name = text.substr(0, ipComma);
    }
    if (t.ip.empty() || t.port.empty())
        return false;
    out = t;
    return true;
}

std::string EchoTarget::appid() const
{
    return ip + ":" + port;
}

std::string EchoTarget::reportedName() const
{
    return name.empty() ? ip : name;
}

std::string EchoTarget::mergeKey() const
{
    return (sweep ? "s|" : "n|") + ip + "|" + port + "|" + name;
}

} // namespace dcmSDK
