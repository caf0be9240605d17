#include "NetMessageText.h"

#include <cstdio>

namespace dcmSDK {

namespace {

void appendQuoted(std::string& out, const std::string& text)
{
    out += '"';
    for (unsigned char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof(buf), "\\u%04x", c);
                out += buf;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    out += '"';
}

} // namespace

std::string NetMessageText::object(const std::vector<std::pair<std::string, std::string>>& fields)
{
    std::string out = "{";
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out += ',';
        appendQuoted(out, fields[i].first);
        out += ':';
        appendQuoted(out, fields[i].second);
    }
    out += '}';
    return out;
}

std::string NetMessageText::progress(unsigned taskID, float percent)
{
    char value[64];
    std::snprintf(value, sizeof(value), "%.6f", static_cast<double>(percent));
    return object({{"taskID", std::to_string(taskID)}, {"value", value}});
}

std::string NetMessageText::task(unsigned taskID)
{
    return object({{"taskID", std::to_string(taskID)}});
}

std::string NetMessageText::echoResult(bool ok, const std::string& appid, const std::string& ip,
                                       const std::string& port, const std::string& name)
{
    return object({{"ok", ok ? "1" : "0"}, {"appid", appid}, {"ip", ip}, {"port", port},
                   {"name", name}});
}

} // namespace dcmSDK
