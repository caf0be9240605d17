#pragma once
// printf-style formatting into a std::string, shared by the log and the text objects.

#include <cstdarg>
#include <string>

namespace cocos2d {

/// The formatted text of format with the arguments in args (args is consumed).
std::string formatTextV(const char* format, va_list args);

} // namespace cocos2d
