#pragma once
// UTF-8 encoding shared by the engine and the layers above it.

#include <string>

namespace cocos2d {

/// Appends the UTF-8 bytes of one code point; surrogates and values past U+10FFFF
/// become U+FFFD so the output is always valid UTF-8.
void appendUtf8(std::string& out, char32_t cp);

} // namespace cocos2d
