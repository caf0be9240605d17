#include "math/Color3B.h"

#include "math/Color4B.h"
#include "math/Color4F.h"

namespace cocos2d {

const Color3B Color3B::WHITE(255, 255, 255);
const Color3B Color3B::YELLOW(255, 255, 0);
const Color3B Color3B::BLUE(0, 0, 255);
const Color3B Color3B::GREEN(0, 255, 0);
const Color3B Color3B::RED(255, 0, 0);
const Color3B Color3B::MAGENTA(255, 0, 255);
const Color3B Color3B::BLACK(0, 0, 0);
const Color3B Color3B::ORANGE(255, 127, 0);
const Color3B Color3B::GRAY(166, 166, 166);

Color3B::Color3B(const Color4B& c) : r(c.r), g(c.g), b(c.b) {}

Color3B::Color3B(const Color4F& c)
{
    const Color4B bytes(c);
    r = bytes.r;
    g = bytes.g;
    b = bytes.b;
}

bool Color3B::operator==(const Color4B& c) const { return c == *this; }

bool Color3B::operator==(const Color4F& c) const { return c == *this; }

} // namespace cocos2d
