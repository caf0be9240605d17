#include "base/ccLog.h"

#include "base/ccFormat.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <vector>

namespace cocos2d {

namespace {
std::mutex& logMutex()
{
    static std::mutex m;
    return m;
}
std::function<void(const std::string&)>& logObserver()
{
    static std::function<void(const std::string&)> observer;
    return observer;
}
} // namespace

void setLogObserver(std::function<void(const std::string&)> observer)
{
    std::lock_guard<std::mutex> lock(logMutex());
    logObserver() = std::move(observer);
}

void log(const char* format, ...)
{
    if (!format) {
        return;
    }
    va_list args;
    va_start(args, format);
    std::string line = formatTextV(format, args);
    va_end(args);

    std::function<void(const std::string&)> observer;
    {
        std::lock_guard<std::mutex> lock(logMutex());
        fprintf(stderr, "%s\n", line.c_str());
        observer = logObserver();
    }
    // Called outside the lock so that an observer may log in turn.
    if (observer) {
        observer(line);
    }
}

} // namespace cocos2d
