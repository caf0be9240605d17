#pragma once
// Interface of objects that can make a copy of themselves.

namespace cocos2d {

class Clonable {
public:
    /// A new copy; reference-counted copies come back autoreleased.
    virtual Clonable* clone() const = 0;
    virtual ~Clonable() {}
};

} // namespace cocos2d
