#include "math/Color4B.h"

#include "math/Color3B.h"
#include "math/Color4F.h"

#include <algorithm>

namespace cocos2d {

namespace {
GLubyte toByte(float channel)
{
    // Clamped first: a float channel outside [0, 1] must not wrap around.
    const float c = std::min(1.0f, std::max(0.0f, channel));
    return static_cast<GLubyte>(c * 255.0f + 0.5f);
}
} // namespace

const Color4B Color4B::WHITE(255, 255, 255, 255);
const Color4B Color4B::YELLOW(255, 255, 0, 255);
const Color4B Color4B::BLUE(0, 0, 255, 255);
const Color4B Color4B::GREEN(0, 255, 0, 255);
const Color4B Color4B::RED(255, 0, 0, 255);
const Color4B Color4B::MAGENTA(255, 0, 255, 255);
const Color4B Color4B::BLACK(0, 0, 0, 255);
const Color4B Color4B::ORANGE(255, 127, 0, 255);
const Color4B Color4B::GRAY(166, 166, 166, 255);

Color4B::Color4B(const Color3B& c, GLubyte alpha) : r(c.r), g(c.g), b(c.b), a(alpha) {}

Color4B::Color4B(const Color4F& c) : r(toByte(c.r)), g(toByte(c.g)), b(toByte(c.b)), a(toByte(c.a)) {}

bool Color4B::operator==(const Color3B& c) const { return r == c.r && g == c.g && b == c.b && a == 255; }

bool Color4B::operator==(const Color4F& c) const { return *this == Color4B(c); }

} // namespace cocos2d
