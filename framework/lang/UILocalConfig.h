#pragma once
// Settings kept in the engine's UserDefault file with keys and values Base64-encoded, plus
// access to the loaded language table from any class.

#include <string>

namespace NSUI {

/// A stateless mixin: every operation is static, so it can be called through a deriving class
/// or directly. Settings belong to the main thread; language look-ups may come from any thread.
class UILocalConfig {
public:
    /// The stored text, or defaultText when the key is absent or empty. A stored value that
    /// does not decode reads as "", and so does a stored empty value, whatever the default.
    static std::string getStringForKey(const char* key, const std::string& defaultText);
    /// The stored text read as an integer (atoi), or the default when the key is absent.
    static int getIntegerForKey(const char* key, int defaultValue);

    /// Stores the value and writes the settings file at once.
    static void setStringForKey(const char* key, const std::string& value);
    /// Stores the value; it reaches the file at the next flush.
    static void storeStringForKey(const char* key, const std::string& value);
    /// Stores the integer as decimal text and writes the settings file.
    static void setIntegerForKey(const char* key, int value);
    static void flush();

    /// The published language table's text for the key; "" when missing or when no table is loaded.
    static std::string getLanguageString(const char* key);
    static std::string getLanguageString(const std::string& key);
};

} // namespace NSUI
