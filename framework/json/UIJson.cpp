#include "json/UIJson.h"

#include <cstdio>
#include <cstdlib>

namespace NSUI {

namespace {

using Position = UIJson::Position;

// Positions are signed only so that -1 can mean "none"; every one used as an index is >= 0.
size_t at(Position position)
{
    return static_cast<size_t>(position);
}

Position position(size_t index)
{
    return static_cast<Position>(index);
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Position of the first non-blank byte at or after pos (json.size() when none).
size_t skipBlanks(const std::string& json, size_t pos)
{
    while (pos < json.size() && isBlank(json[pos]))
        ++pos;
    return pos;
}

std::string escapeValue(const std::string& value)
{
    if (value.find_first_of("\"\\") == std::string::npos)
        return value;
    std::string out;
    out.reserve(value.size() + 8);
    for (char c : value) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out;
}

std::string unescapeValue(const std::string& raw)
{
    if (raw.find('\\') == std::string::npos)
        return raw;
    std::string out;
    out.reserve(raw.size());
    for (size_t i = 0; i < raw.size(); ++i) {
        // Only the two escapes the writer produces are undone; others (as "\/" from a
        // server) are passed on as they stand.
        if (raw[i] == '\\' && i + 1 < raw.size() && (raw[i + 1] == '"' || raw[i + 1] == '\\'))
            ++i;
        out += raw[i];
    }
    return out;
}

// Finds the closing quote of a string whose opening quote is at `open`; npos when unterminated.
size_t closingQuote(const std::string& json, size_t open)
{
    for (size_t i = open + 1; i < json.size(); ++i) {
        if (json[i] == '\\')
            ++i;
        else if (json[i] == '"')
            return i;
    }
    return std::string::npos;
}

bool readValue(const std::string& json, const std::string& key, std::string& out)
{
    Position start = -1;
    Position end = -1;
    if (!UIJson::findJsonValue(json, key, start, end))
        return false;
    std::string raw = json.substr(at(start + 1), at(end - start - 1));
    out = json[at(start)] == '"' ? unescapeValue(raw) : raw;
    return true;
}

} // namespace

bool UIJson::scanJson(const std::string& json, int mode, Position from, Position& first, Position& last)
{
    first = -1;
    last = -1;
    const size_t size = json.size();
    if (from < 0 || at(from) >= size)
        return false;
    size_t pos = at(from);

    switch (mode) {
    case kScanQuoted: {
        size_t open = json.find('"', pos);
        if (open == std::string::npos)
            return false;
        size_t close = closingQuote(json, open);
        if (close == std::string::npos)
            return false;
        first = position(open);
        last = position(close);
        return true;
    }
    case kScanExtent: {
        size_t colon = json.find(':', pos);
        if (colon == std::string::npos)
            return false;
        size_t sep = json.find_first_of(",]}", colon + 1);
        if (sep == std::string::npos)
            return false;
        first = position(colon);
        last = position(sep);
        return true;
    }
    case kScanArray: {
        size_t open = json.find('[', pos);
        if (open == std::string::npos)
            return false;
        size_t depth = 0;
        for (size_t i = open + 1; i < size; ++i) {
            char c = json[i];
            if (c == '"') {
                // Brackets inside strings of the array do not count.
                i = closingQuote(json, i);
                if (i == std::string::npos)
                    return false;
            } else if (c == '[') {
                ++depth;
            } else if (c == ']') {
                if (depth == 0) {
                    first = position(open);
                    last = position(i);
                    return true;
                }
                --depth;
            }
        }
        return false;
    }
    case kScanValue: {
        size_t colon = json.find(':', pos);
        if (colon == std::string::npos)
            return false;
        size_t valueStart = skipBlanks(json, colon + 1);
        if (valueStart < size && json[valueStart] == '"') {
            // A quoted value runs to its closing quote, whatever separators it holds.
            size_t close = closingQuote(json, valueStart);
            if (close == std::string::npos)
                return false;
            first = position(valueStart);
            last = position(close);
            return true;
        }
        return scanJson(json, kScanExtent, position(colon), first, last);
    }
    default:
        return false;
    }
}

bool UIJson::findJsonValue(const std::string& json, const std::string& key, Position& start, Position& end)
{
    start = -1;
    end = -1;
    Position keyFirst = -1;
    Position keyLast = -1;
    Position pos = 0;
    while (scanJson(json, kScanQuoted, pos, keyFirst, keyLast)) {
        const size_t keyLen = at(keyLast - keyFirst - 1);
        if (keyLen == key.size() && json.compare(at(keyFirst + 1), keyLen, key) == 0)
            return scanJson(json, kScanValue, keyLast + 1, start, end);

        // Not our key: step over its value. Arrays are skipped whole, so that strings
        // inside them are never taken for keys.
        size_t colon = json.find(':', at(keyLast + 1));
        if (colon == std::string::npos)
            return false;
        size_t valueStart = skipBlanks(json, colon + 1);
        Position first = -1;
        Position last = -1;
        if (valueStart < json.size() && json[valueStart] == '[') {
            if (!scanJson(json, kScanArray, position(valueStart), first, last))
                return false;
        } else if (!scanJson(json, kScanValue, keyLast + 1, first, last)) {
            return false;
        }
        pos = last + 1;
    }
    return false;
}

std::string UIJson::getJsonString(const std::string& json, const std::string& key)
{
    return getJsonString(json, key, std::string());
}

std::string UIJson::getJsonString(const std::string& json, const std::string& key,
                                  const std::string& defaultValue)
{
    std::string value;
    return readValue(json, key, value) ? value : defaultValue;
}

float UIJson::getJsonFloat(const std::string& json, const std::string& key, float defaultValue)
{
    std::string value;
    return readValue(json, key, value) ? static_cast<float>(std::atof(value.c_str())) : defaultValue;
}

int UIJson::getJsonInt(const std::string& json, const std::string& key, int defaultValue)
{
    std::string value;
    return readValue(json, key, value) ? std::atoi(value.c_str()) : defaultValue;
}

void UIJson::setJsonString(std::string& json, const std::string& key, const std::string& value)
{
    const std::string quoted = "\"" + escapeValue(value) + "\"";
    if (skipBlanks(json, 0) == json.size()) {
        json = "{\"" + key + "\":" + quoted + "}";
        return;
    }

    Position start = -1;
    Position end = -1;
    if (findJsonValue(json, key, start, end)) {
        if (json[at(start)] == '"')
            json.replace(at(start), at(end - start + 1), quoted);
        else // a bare value: keep the colon and the separator around it
            json.replace(at(start + 1), at(end - start - 1), quoted);
        return;
    }

    size_t brace = json.find_last_not_of(" \t\r\n");
    if (json[brace] != '}')
        return; // not an object: changing it would lose what it holds
    size_t before = json.find_last_not_of(" \t\r\n", brace == 0 ? 0 : brace - 1);
    const bool emptyObject = brace == 0 || before == std::string::npos || json[before] == '{';
    json.insert(brace, (emptyObject ? "\"" : ",\"") + key + "\":" + quoted);
}

void UIJson::setJsonFloat(std::string& json, const std::string& key, float value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.6f", static_cast<double>(value));
    setJsonString(json, key, buffer);
}

void UIJson::setJsonInt(std::string& json, const std::string& key, int value)
{
    setJsonString(json, key, std::to_string(value));
}

} // namespace NSUI
