#include "lang/UILocalConfig.h"

#include "cocos2d.h"
#include "lang/NSLanguage.h"

#include <cstdlib>
#include <cstring>

namespace NSUI {

namespace {

// Never a Base64 text, so it tells a missing key apart from any stored value, also one that
// happens to equal the caller's default.
const char* const kMissing = "\x01missing";

std::string encodedKey(const char* key) {
    if (!key || !*key)
        return {};
    return cocos2d::safeBase64Encode(std::string(key));
}

void store(const char* key, const std::string& value) {
    std::string k = encodedKey(key);
    if (k.empty())
        return;
    std::string v = value.empty() ? std::string() : cocos2d::safeBase64Encode(value);
    cocos2d::UserDefault::getInstance()->setStringForKey(k.c_str(), v);
}

} // namespace

std::string UILocalConfig::getStringForKey(const char* key, const std::string& defaultText) {
    std::string k = encodedKey(key);
    if (k.empty())
        return defaultText;
    std::string stored = cocos2d::UserDefault::getInstance()->getStringForKey(k.c_str(), kMissing);
    if (stored == kMissing)
        return defaultText;
    if (stored.empty())
        return {};
    std::string decoded = cocos2d::safeBase64Decode(stored);
    return std::string(decoded.c_str()); // up to the first NUL
}

int UILocalConfig::getIntegerForKey(const char* key, int defaultValue) {
    return std::atoi(getStringForKey(key, std::to_string(defaultValue)).c_str());
}

void UILocalConfig::setStringForKey(const char* key, const std::string& value) {
    store(key, value);
    flush();
}

void UILocalConfig::storeStringForKey(const char* key, const std::string& value) {
    store(key, value);
}

void UILocalConfig::setIntegerForKey(const char* key, int value) {
    if (key && *key)
        store(key, std::to_string(value));
    flush();
}

void UILocalConfig::flush() {
    cocos2d::UserDefault::getInstance()->flush();
}

std::string UILocalConfig::getLanguageString(const char* key) {
    return getLanguageString(std::string(key ? key : ""));
}

std::string UILocalConfig::getLanguageString(const std::string& key) {
    return NSLanguage::getPublishedString(key);
}

} // namespace NSUI
