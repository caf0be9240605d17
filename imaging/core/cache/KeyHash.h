#pragma once
// The 32-bit key that names cache files and identifies loading requests and their observers.

#include <cstdint>
#include <string>

namespace isImageSDK {

/// 64-bit FNV-1a over the bytes of a text, folded to 32 bits as (h >> 32) ^ h.
inline uint32_t keyHash(const std::string& text)
{
    uint64_t h = 0xcbf29ce484222325ull;
    for (unsigned char c : text) {
        h ^= c;
        h *= 0x100000001b3ull;
    }
    return static_cast<uint32_t>((h >> 32) ^ h);
}

} // namespace isImageSDK
