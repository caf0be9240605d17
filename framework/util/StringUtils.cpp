#include "util/StringUtils.h"

#include "base/ccUTF8.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

std::string formatString(const char* format, ...)
{
    if (!format)
        return std::string();
    va_list args;
    va_start(args, format);
    va_list probe;
    va_copy(probe, args);
    const int length = std::vsnprintf(nullptr, 0, format, probe);
    va_end(probe);
    std::string out;
    if (length >= 0 && length <= kFormatStringLimit) {
        out.resize(static_cast<size_t>(length) + 1);
        std::vsnprintf(&out[0], out.size(), format, args);
        out.resize(static_cast<size_t>(length));
    }
    va_end(args);
    return out;
}

std::string intToString(int value)
{
    return formatString("%i", value);
}

std::string floatToString(float value, int decimals)
{
    if (decimals < 0)
        decimals = 0;
    if (decimals > 20)
        decimals = 20;
    std::string text = formatString("%.*f", decimals, static_cast<double>(value));
    if (text.find('.') != std::string::npos) {
        size_t keep = text.find_last_not_of('0');
        if (text[keep] == '.')
            --keep;
        text.erase(keep + 1);
    }
    return text;
}

namespace {
bool isSpaceByte(char c)
{
    // isspace takes an unsigned char value; bytes of UTF-8 sequences are negative as char.
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}
} // namespace

void trimLeft(std::string& text)
{
    size_t i = 0;
    while (i < text.size() && isSpaceByte(text[i]))
        ++i;
    text.erase(0, i);
}

void trimRight(std::string& text)
{
    size_t n = text.size();
    while (n > 0 && isSpaceByte(text[n - 1]))
        --n;
    text.erase(n);
}

void trim(std::string& text)
{
    trimRight(text);
    trimLeft(text);
}

void splitString(std::string text, std::string delimiter, std::vector<std::string>& out)
{
    if (delimiter.empty()) {
        out.push_back(text);
        return;
    }
    size_t begin = 0;
    for (;;) {
        size_t at = text.find(delimiter, begin);
        if (at == std::string::npos) {
            out.push_back(text.substr(begin));
            return;
        }
        out.push_back(text.substr(begin, at - begin));
        begin = at + delimiter.size();
    }
}

void replaceAll(std::string& text, const std::string& from, const std::string& to)
{
    if (from.empty())
        return;
    size_t pos = 0;
    while ((pos = text.find(from, pos)) != std::string::npos) {
        text.replace(pos, from.size(), to);
        pos += to.size();
    }
}

namespace {

// Decodes one UTF-8 sequence at text[i]; advances i. Invalid input gives U+FFFD.
char32_t decodeUtf8(const unsigned char* s, size_t n, size_t& i)
{
    const char32_t bad = 0xFFFD;
    unsigned char c = s[i++];
    if (c < 0x80)
        return c;
    int extra;
    char32_t cp;
    if ((c & 0xE0) == 0xC0) {
        extra = 1;
        cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
        extra = 2;
        cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
        extra = 3;
        cp = c & 0x07;
    } else {
        return bad;
    }
    for (int k = 0; k < extra; ++k) {
        if (i >= n || (s[i] & 0xC0) != 0x80)
            return bad;
        cp = (cp << 6) | (s[i++] & 0x3F);
    }
    static const char32_t minimum[] = {0, 0x80, 0x800, 0x10000};
    if (cp < minimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return bad;
    return cp;
}

void encodeUtf8(char32_t cp, std::string& out)
{
    cocos2d::appendUtf8(out, cp);
}

bool isValidUtf8(const std::string& text)
{
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    size_t i = 0;
    while (i < text.size()) {
        size_t at = i;
        if (decodeUtf8(s, text.size(), i) == 0xFFFD &&
            !(i - at == 3 && s[at] == 0xEF && s[at + 1] == 0xBF && s[at + 2] == 0xBD))
            return false;
    }
    return true;
}

} // namespace

wchar_t* utf8ToWide(const char* text)
{
    if (!text)
        text = "";
    const auto* s = reinterpret_cast<const unsigned char*>(text);
    const size_t n = std::char_traits<char>::length(text);
    std::wstring wide;
    wide.reserve(n);
    for (size_t i = 0; i < n;)
        wide += static_cast<wchar_t>(decodeUtf8(s, n, i));
    auto* out = static_cast<wchar_t*>(std::malloc((wide.size() + 1) * sizeof(wchar_t)));
    if (!out)
        return nullptr;
    wide.copy(out, wide.size());
    out[wide.size()] = L'\0';
    return out;
}

std::string wideToUtf8(const wchar_t* text)
{
    std::string out;
    if (!text)
        return out;
    for (; *text; ++text)
        encodeUtf8(static_cast<char32_t>(*text), out);
    return out;
}

std::string ansiToUtf8(const std::string& text)
{
    if (isValidUtf8(text))
        return text;
    std::string out;
    out.reserve(text.size() * 2);
    for (char c : text)
        encodeUtf8(static_cast<unsigned char>(c), out);
    return out;
}

void debugLog(const char*, ...)
{
}
