#include "base/__String.h"

#include "base/ccFormat.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace cocos2d {

__String::__String() {}
__String::__String(const char* str) : _string(str ? str : "") {}
__String::__String(const std::string& str) : _string(str) {}
__String::__String(const __String& str) : Ref(), Clonable(), _string(str._string) {}
__String::~__String() {}

__String* __String::create(const std::string& str)
{
    auto* ret = new __String(str);
    ret->autorelease();
    return ret;
}

__String* __String::createWithFormat(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string text = formatTextV(format, args);
    va_end(args);
    return create(text);
}

__String* __String::createWithData(const unsigned char* data, size_t length)
{
    return create(data ? std::string(reinterpret_cast<const char*>(data), length) : std::string());
}

int __String::compare(const char* other) const
{
    return strcmp(_string.c_str(), other ? other : "");
}

bool __String::isEqual(const Ref* other) const
{
    auto* str = dynamic_cast<const __String*>(other);
    return str && str->_string == _string;
}

int __String::intValue() const
{
    return static_cast<int>(strtol(_string.c_str(), nullptr, 10));
}

unsigned int __String::uintValue() const
{
    return static_cast<unsigned int>(strtoul(_string.c_str(), nullptr, 10));
}

float __String::floatValue() const
{
    return strtof(_string.c_str(), nullptr);
}

double __String::doubleValue() const
{
    return strtod(_string.c_str(), nullptr);
}

bool __String::boolValue() const
{
    return !(_string.empty() || _string == "0" || _string == "false");
}

__String* __String::clone() const
{
    return __String::create(_string);
}

} // namespace cocos2d
