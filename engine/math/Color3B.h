#pragma once
// An opaque RGB colour with byte channels.

#include "math/MathBase.h"

namespace cocos2d {

struct Color4B;
struct Color4F;

struct Color3B {
    GLubyte r = 0;
    GLubyte g = 0;
    GLubyte b = 0;

    Color3B() = default;
    Color3B(GLubyte rr, GLubyte gg, GLubyte bb) : r(rr), g(gg), b(bb) {}
    explicit Color3B(const Color4B& color);
    /// Channels are clamped to [0, 1] and rounded.
    explicit Color3B(const Color4F& color);

    bool operator==(const Color3B& c) const { return r == c.r && g == c.g && b == c.b; }
    bool operator!=(const Color3B& c) const { return !(*this == c); }
    bool operator==(const Color4B& c) const;
    bool operator!=(const Color4B& c) const { return !(*this == c); }
    bool operator==(const Color4F& c) const;
    bool operator!=(const Color4F& c) const { return !(*this == c); }
    bool equals(const Color3B& c) const { return *this == c; }

    static const Color3B WHITE;
    static const Color3B YELLOW;
    static const Color3B BLUE;
    static const Color3B GREEN;
    static const Color3B RED;
    static const Color3B MAGENTA;
    static const Color3B BLACK;
    static const Color3B ORANGE;
    static const Color3B GRAY;
};

} // namespace cocos2d
