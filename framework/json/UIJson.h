#pragma once
// Reads and writes one flat JSON object held as text, key by key, without building a tree.

#include <cstddef>
#include <string>

namespace NSUI {

/// Mixin for classes that keep small records as flat JSON text. Stateless: every operation
/// works only on the text passed in, so the operations are static and callable from any thread.
/// Values are written as quoted strings; a '"' or '\' inside a value is written with a
/// backslash before it and read back without it, so no value can break the record.
class UIJson {
public:
    virtual ~UIJson() = default;

    static std::string getJsonString(const std::string& json, const std::string& key);
    static std::string getJsonString(const std::string& json, const std::string& key,
                                     const std::string& defaultValue);
    static float getJsonFloat(const std::string& json, const std::string& key, float defaultValue);
    static int getJsonInt(const std::string& json, const std::string& key, int defaultValue);

    /// Sets the key in place: an existing key keeps its position, a new key goes last.
    /// A non-empty text that is not an object (no closing brace) is left unchanged.
    static void setJsonString(std::string& json, const std::string& key, const std::string& value);
    /// Writes "%.6f".
    static void setJsonFloat(std::string& json, const std::string& key, float value);
    /// Writes "%i".
    static void setJsonInt(std::string& json, const std::string& key, int value);

    /// A byte position in the text, wide enough for any length; -1 stands for none.
    using Position = std::ptrdiff_t;

    /// Span of a top-level key's value: for a quoted value start/end are its quotes, for a
    /// bare value the colon and the separator after it. False when the key is absent.
    static bool findJsonValue(const std::string& json, const std::string& key, Position& start,
                              Position& end);

    /// Scanner modes for scanJson.
    enum ScanMode { kScanValue = 0, kScanArray = 1, kScanExtent = 3, kScanQuoted = 4 };
    /// One scan from position `from`; first/last are -1 when nothing is found.
    static bool scanJson(const std::string& json, int mode, Position from, Position& first, Position& last);
};

} // namespace NSUI
