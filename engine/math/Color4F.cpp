#include "math/Color4F.h"

#include "math/Color3B.h"
#include "math/Color4B.h"

namespace cocos2d {

const Color4F Color4F::WHITE(1, 1, 1, 1);
const Color4F Color4F::YELLOW(1, 1, 0, 1);
const Color4F Color4F::BLUE(0, 0, 1, 1);
const Color4F Color4F::GREEN(0, 1, 0, 1);
const Color4F Color4F::RED(1, 0, 0, 1);
const Color4F Color4F::MAGENTA(1, 0, 1, 1);
const Color4F Color4F::BLACK(0, 0, 0, 1);
const Color4F Color4F::ORANGE(1, 0.5f, 0, 1);
const Color4F Color4F::GRAY(0.65f, 0.65f, 0.65f, 1);

Color4F::Color4F(const Color3B& c, float alpha) : r(c.r / 255.0f), g(c.g / 255.0f), b(c.b / 255.0f), a(alpha) {}

Color4F::Color4F(const Color4B& c) : r(c.r / 255.0f), g(c.g / 255.0f), b(c.b / 255.0f), a(c.a / 255.0f) {}

bool Color4F::operator==(const Color3B& c) const { return Color4B(*this) == c; }

bool Color4F::operator==(const Color4B& c) const { return Color4B(*this) == c; }

} // namespace cocos2d
