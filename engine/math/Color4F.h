#pragma once
// An RGBA colour with float channels in [0, 1], as shaders take it.

#include "math/MathBase.h"

namespace cocos2d {

struct Color3B;
struct Color4B;

struct Color4F {
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
    float a = 0.0f;

    Color4F() = default;
    Color4F(float rr, float gg, float bb, float aa) : r(rr), g(gg), b(bb), a(aa) {}
    explicit Color4F(const Color3B& color, float alpha = 1.0f);
    explicit Color4F(const Color4B& color);

    bool operator==(const Color4F& c) const { return r == c.r && g == c.g && b == c.b && a == c.a; }
    bool operator!=(const Color4F& c) const { return !(*this == c); }
    bool operator==(const Color3B& c) const;
    bool operator!=(const Color3B& c) const { return !(*this == c); }
    bool operator==(const Color4B& c) const;
    bool operator!=(const Color4B& c) const { return !(*this == c); }

    static const Color4F WHITE;
    static const Color4F YELLOW;
    static const Color4F BLUE;
    static const Color4F GREEN;
    static const Color4F RED;
    static const Color4F MAGENTA;
    static const Color4F BLACK;
    static const Color4F ORANGE;
    static const Color4F GRAY;
};

} // namespace cocos2d
