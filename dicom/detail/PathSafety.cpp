#include "detail/PathSafety.h"

#include <atomic>
#include <cstdio>
#include <unistd.h>
#include <cstring>

namespace dcmSDK {

namespace {
bool passes(unsigned char c, bool allowUnderscore)
{
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
        return true;
    if (c == '.' || c == '-' || c == '^' || c == ' ' || c >= 0x80)
        return true;
    return allowUnderscore && c == '_';
}

// Largest cut <= limit that does not split an escape or a UTF-8 sequence.
size_t safeCut(const std::string& s, size_t limit)
{
    if (limit >= s.size())
        return s.size();
    size_t cut = limit;
    // Back off from inside a "%XX" escape.
    for (size_t k = 1; k <= 2 && cut >= k; ++k)
        if (s[cut - k] == '%') {
            cut -= k;
            break;
        }
    // Back off to the start of a UTF-8 sequence.
    while (cut > 0 && (static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80)
        --cut;
    return cut;
}
} // namespace

std::string temporarySibling(const std::string& path)
{
    static std::atomic<unsigned> counter{0};
    return path + ".part" + std::to_string(getpid()) + "_" + std::to_string(counter++);
}

unsigned long long fnv1a64(const std::string& text)
{
    unsigned long long h = 0xcbf29ce484222325ULL;
    for (unsigned char c : text) {
        h ^= c;
        h *= 0x100000001b3ULL;
    }
    return h;
}

std::string escapePathComponent(const std::string& text, size_t maxBytes, bool allowUnderscore)
{
    if (text.empty())
        return "%";
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (passes(c, allowUnderscore) && !(i == 0 && c == '.')) {
            out += static_cast<char>(c);
        } else {
            char esc[4];
            snprintf(esc, sizeof esc, "%%%02X", c);
            out += esc;
        }
    }
    if (out.size() <= maxBytes)
        return out;
    char tag[18];
    snprintf(tag, sizeof tag, "~%016llx", fnv1a64(text));
    size_t keep = maxBytes > 17 ? maxBytes - 17 : 0;
    return out.substr(0, safeCut(out, keep)) + tag;
}

void copyToSlot(char* slot, size_t size, const std::string& text)
{
    if (!slot || size == 0)
        return;
    memset(slot, 0, size);
    size_t n = text.size() < size - 1 ? text.size() : size - 1;
    if (n < text.size())
        while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80)
            --n;
    memcpy(slot, text.data(), n);
}

} // namespace dcmSDK
