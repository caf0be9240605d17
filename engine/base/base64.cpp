#include "base/base64.h"

#include <cstdlib>
#include <cstring>

namespace cocos2d {

namespace {

const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int sextet(unsigned char c)
{
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

// Decodes into dst (which holds at least inLength / 4 * 3 bytes); -1 when the text is invalid.
long decodeInto(const unsigned char* in, size_t inLength, unsigned char* dst)
{
    if (inLength % 4 != 0) {
        return -1;
    }
    size_t padding = 0;
    if (inLength >= 4 && in[inLength - 1] == '=') {
        padding = in[inLength - 2] == '=' ? 2 : 1;
    }
    long written = 0;
    for (size_t i = 0; i < inLength; i += 4) {
        bool last = i + 4 == inLength;
        size_t chars = last ? 4 - padding : 4;
        unsigned int bits = 0;
        for (size_t j = 0; j < 4; ++j) {
            int v = 0;
            if (j < chars) {
                v = sextet(in[i + j]);
                if (v < 0) {
                    return -1;
                }
            }
            bits = (bits << 6) | static_cast<unsigned int>(v);
        }
        // Unused low bits of the last group must be zero, or two texts would decode alike.
        if (last && padding == 1 && (bits & 0xFFu) != 0) return -1;
        if (last && padding == 2 && (bits & 0xFFFFu) != 0) return -1;
        dst[written++] = static_cast<unsigned char>(bits >> 16);
        if (chars > 2) dst[written++] = static_cast<unsigned char>(bits >> 8);
        if (chars > 3) dst[written++] = static_cast<unsigned char>(bits);
    }
    return written;
}

} // namespace

int safeBase64Encode(const unsigned char* in, unsigned int inLength, char** out)
{
    if (!out) {
        return 0;
    }
    *out = nullptr;
    if (!in || inLength == 0) {
        return 0;
    }
    size_t outLength = (static_cast<size_t>(inLength) + 2) / 3 * 4;
    if (outLength > 0x7FFFFFFFu) {
        return 0;
    }
    char* buf = static_cast<char*>(malloc(outLength + 1));
    if (!buf) {
        return 0;
    }
    size_t o = 0;
    for (size_t i = 0; i < inLength; i += 3) {
        size_t remain = inLength - i;
        unsigned int bits = static_cast<unsigned int>(in[i]) << 16;
        if (remain > 1) bits |= static_cast<unsigned int>(in[i + 1]) << 8;
        if (remain > 2) bits |= in[i + 2];
        buf[o++] = kAlphabet[(bits >> 18) & 63];
        buf[o++] = kAlphabet[(bits >> 12) & 63];
        buf[o++] = remain > 1 ? kAlphabet[(bits >> 6) & 63] : '=';
        buf[o++] = remain > 2 ? kAlphabet[bits & 63] : '=';
    }
    buf[o] = '\0';
    *out = buf;
    return static_cast<int>(o);
}

int safeBase64Decode(const unsigned char* in, unsigned int inLength, unsigned char** out)
{
    if (!out) {
        return 0;
    }
    *out = nullptr;
    if (!in || inLength == 0 || inLength % 4 != 0) {
        return 0;
    }
    auto* buf = static_cast<unsigned char*>(malloc(static_cast<size_t>(inLength) / 4 * 3 + 1));
    if (!buf) {
        return 0;
    }
    long n = decodeInto(in, inLength, buf);
    if (n <= 0) {
        free(buf);
        return 0;
    }
    buf[n] = 0;
    *out = buf;
    return static_cast<int>(n);
}

std::string safeBase64Encode(const std::string& bytes)
{
    char* out = nullptr;
    int n = safeBase64Encode(reinterpret_cast<const unsigned char*>(bytes.data()),
                             static_cast<unsigned int>(bytes.size()), &out);
    std::string text(out ? out : "", out ? static_cast<size_t>(n) : 0);
    free(out);
    return text;
}

std::string safeBase64DecodeString(const char* text, unsigned int length)
{
    if (!text) {
        return std::string();
    }
    unsigned char* out = nullptr;
    int n = safeBase64Decode(reinterpret_cast<const unsigned char*>(text), length, &out);
    std::string bytes(out ? reinterpret_cast<char*>(out) : "", out ? static_cast<size_t>(n) : 0);
    free(out);
    return bytes;
}

std::string safeBase64Decode(const std::string& text)
{
    if (text.size() > 0xFFFFFFFFu) {
        return std::string();
    }
    return safeBase64DecodeString(text.data(), static_cast<unsigned int>(text.size()));
}

std::string safeBase64DecodeReceived(const std::string& text)
{
    std::string compact;
    compact.reserve(text.size());
    for (char c : text) {
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n')
            compact += c;
    }
    return safeBase64Decode(compact);
}

} // namespace cocos2d
