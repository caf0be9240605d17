#pragma once
// The one JSON line a benchmark prints: fields in the order added, numbers as printf writes them.

#include <cstdio>
#include <string>
#include <vector>

namespace benchcommon {

class JsonObject {
public:
    /// v with that many decimals ("%.*f").
    JsonObject& number(const std::string& key, double v, int decimals = 1) { return raw(key, format(v, decimals)); }
    /// As number(), but null for a negative v (a figure that was not taken).
    JsonObject& numberOrNull(const std::string& key, double v, int decimals = 1)
    {
        return v < 0 ? raw(key, "null") : number(key, v, decimals);
    }
    JsonObject& integer(const std::string& key, long long v) { return raw(key, std::to_string(v)); }
    JsonObject& flag(const std::string& key, bool v) { return raw(key, v ? "true" : "false"); }
    /// A string that needs no escapes.
    JsonObject& text(const std::string& key, const std::string& v) { return raw(key, "\"" + v + "\""); }
    /// A value that is JSON already (an object, an array, null).
    JsonObject& raw(const std::string& key, const std::string& json)
    {
        _fields += (_fields.empty() ? "\"" : ",\"") + key + "\":" + json;
        return *this;
    }
    /// v as number() writes it.
    static std::string format(double v, int decimals)
    {
        char text[64];
        std::snprintf(text, sizeof text, "%.*f", decimals, v);
        return text;
    }

    std::string str() const { return "{" + _fields + "}"; }
    /// Prints the object as one line on stdout.
    void print() const { std::printf("%s\n", str().c_str()); }

private:
    std::string _fields;
};

/// The values, already JSON, as an array.
inline std::string jsonArray(const std::vector<std::string>& values)
{
    std::string out = "[";
    for (size_t i = 0; i < values.size(); ++i)
        out += (i ? "," : "") + values[i];
    return out + "]";
}

} // namespace benchcommon
