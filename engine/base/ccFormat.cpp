#include "base/ccFormat.h"

#include <cstdio>
#include <vector>

namespace cocos2d {

std::string formatTextV(const char* format, va_list args)
{
    std::string text;
    if (!format) {
        return text;
    }
    va_list copy;
    va_copy(copy, args);
    int needed = vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (needed > 0) {
        std::vector<char> buf(static_cast<size_t>(needed) + 1);
        vsnprintf(buf.data(), buf.size(), format, args);
        text.assign(buf.data(), static_cast<size_t>(needed));
    }
    return text;
}

} // namespace cocos2d
