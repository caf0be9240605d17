#pragma once
// The flat JSON texts of the network messages (types 0, 1, 2 and 4).

#include <string>
#include <utility>
#include <vector>

namespace dcmSDK {

/// Builds the texts handed to the message callback. Every value is written as a quoted
/// JSON string (numbers too), the way the host's flat JSON reader expects them; quotes,
/// back-slashes and control characters in values are escaped.
class NetMessageText {
public:
    /// {"taskID":"<id>","value":"<percent, %.6f>"}
    static std::string progress(unsigned taskID, float percent);
    /// {"taskID":"<id>"} for the final done/failed messages.
    static std::string task(unsigned taskID);
    /// {"ok":"1|0","appid":...,"ip":...,"port":...,"name":...}
    static std::string echoResult(bool ok, const std::string& appid, const std::string& ip,
                                  const std::string& port, const std::string& name);

    /// One flat object from key/value pairs, in the given order.
    static std::string object(const std::vector<std::pair<std::string, std::string>>& fields);
};

} // namespace dcmSDK
