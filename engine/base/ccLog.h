#pragma once
// The engine's one-line log output, safe to call from any thread.

#include <functional>
#include <string>

namespace cocos2d {

#if defined(__GNUC__)
void log(const char* format, ...) __attribute__((format(printf, 1, 2)));
#else
void log(const char* format, ...);
#endif

/// Where log lines go besides stderr (tests count them); null restores stderr only.
void setLogObserver(std::function<void(const std::string&)> observer);

} // namespace cocos2d
