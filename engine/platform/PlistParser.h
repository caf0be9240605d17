#pragma once
// Reads and writes XML property lists (dict, array, string, integer, real, true/false, date, data).

#include <string>

#include "base/Value.h"

namespace cocos2d {

class PlistParser {
public:
    /// The root object of the list; false (with one log line naming the source) when the
    /// text is not a well-formed property list.
    static bool parse(const char* data, size_t size, Value& root, const std::string& source);
    /// The XML text of a property list whose root is the value (maps and lists nest).
    static std::string serialize(const Value& root);
};

} // namespace cocos2d
