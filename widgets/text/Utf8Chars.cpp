#include "text/Utf8Chars.h"

namespace NSUI {

size_t utf8CharLength(const std::string& text, size_t at) {
    if (at >= text.size())
        return 0;
    unsigned char lead = static_cast<unsigned char>(text[at]);
    size_t length = 1;
    if (lead >= 0xF0 && lead <= 0xF7)
        length = 4;
    else if (lead >= 0xE0)
        length = lead <= 0xEF ? 3 : 1;
    else if (lead >= 0xC0)
        length = 2;
    if (length == 1 || at + length > text.size())
        return 1;
    for (size_t i = 1; i < length; ++i)
        if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80)
            return 1;
    return length;
}

std::vector<std::string> utf8Characters(const std::string& text) {
    std::vector<std::string> chars;
    for (size_t at = 0; at < text.size();) {
        size_t n = utf8CharLength(text, at);
        chars.push_back(text.substr(at, n));
        at += n;
    }
    return chars;
}

size_t utf8Count(const std::string& text) {
    size_t count = 0;
    for (size_t at = 0; at < text.size(); at += utf8CharLength(text, at))
        ++count;
    return count;
}

namespace {
size_t byteOffsetOf(const std::string& text, size_t count) {
    size_t at = 0;
    for (size_t i = 0; i < count && at < text.size(); ++i)
        at += utf8CharLength(text, at);
    return at;
}
} // namespace

std::string utf8Prefix(const std::string& text, size_t count) {
    return text.substr(0, byteOffsetOf(text, count));
}

std::string utf8PrefixBytes(const std::string& text, size_t maxBytes) {
    size_t end = 0;
    for (size_t n; end < text.size() && end + (n = utf8CharLength(text, end)) <= maxBytes;)
        end += n;
    return text.substr(0, end);
}

std::string utf8Suffix(const std::string& text, size_t count) {
    return text.substr(byteOffsetOf(text, count));
}

} // namespace NSUI
