#pragma once
// A reference-counted text, the string element of property-list dictionaries and arrays.

#include <string>

#include "base/Clonable.h"
#include "base/Ref.h"

namespace cocos2d {

class __String : public Ref, public Clonable {
public:
    __String();
    explicit __String(const char* str);
    explicit __String(const std::string& str);
    __String(const __String& str);
    ~__String() override;

    static __String* create(const std::string& str);
    static __String* createWithFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));
    static __String* createWithData(const unsigned char* data, size_t length);

    const char* getCString() const { return _string.c_str(); }
    const std::string& getString() const { return _string; }
    int length() const { return static_cast<int>(_string.length()); }
    int compare(const char* other) const;
    bool isEqual(const Ref* other) const;

    int intValue() const;
    unsigned int uintValue() const;
    float floatValue() const;
    double doubleValue() const;
    /// False for "", "0" and "false"; true otherwise.
    bool boolValue() const;

    __String* clone() const override;

    std::string _string;
};


} // namespace cocos2d
