#pragma once
// Reference-counted base of thread requests and jobs, with two user values for input and result.

#include "cocos2d.h"

#include <cstdint>

namespace NSUI {

class NSObject : public cocos2d::Ref {
public:
    NSObject() = default;
    virtual ~NSObject() = default;

    /// A pointer-sized value a request carries in (work to do) or out (its result).
    void* userPtr = nullptr;
    /// A small integer a request carries in or out.
    int32_t userInt = 0;
};

} // namespace NSUI
