#pragma once
// Splitting UTF-8 text into characters without reading past its end. A lead byte whose
// sequence is cut short or broken counts as one character of its own, so no input can make
// the split run over the buffer or lose bytes.

#include <string>
#include <vector>

namespace NSUI {

/// Byte length of the character starting at `at` (1 for a broken or truncated sequence).
size_t utf8CharLength(const std::string& text, size_t at);
std::vector<std::string> utf8Characters(const std::string& text);
size_t utf8Count(const std::string& text);
/// The first `count` characters (the whole text when it has fewer).
std::string utf8Prefix(const std::string& text, size_t count);
/// The longest run of whole characters from the start that fits in `maxBytes` bytes.
std::string utf8PrefixBytes(const std::string& text, size_t maxBytes);
/// Everything after the first `count` characters ("" when it has no more).
std::string utf8Suffix(const std::string& text, size_t count);

} // namespace NSUI
