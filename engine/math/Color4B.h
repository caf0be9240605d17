#pragma once
// An RGBA colour with byte channels.

#include "math/MathBase.h"

namespace cocos2d {

struct Color3B;
struct Color4F;

struct Color4B {
    GLubyte r = 0;
    GLubyte g = 0;
    GLubyte b = 0;
    GLubyte a = 0;

    Color4B() = default;
    Color4B(GLubyte rr, GLubyte gg, GLubyte bb, GLubyte aa) : r(rr), g(gg), b(bb), a(aa) {}
    explicit Color4B(const Color3B& color, GLubyte alpha = 255);
    /// Channels are clamped to [0, 1] and rounded.
    explicit Color4B(const Color4F& color);

    void set(GLubyte rr, GLubyte gg, GLubyte bb, GLubyte aa) { r = rr; g = gg; b = bb; a = aa; }

    bool operator==(const Color4B& c) const { return r == c.r && g == c.g && b == c.b && a == c.a; }
    bool operator!=(const Color4B& c) const { return !(*this == c); }
    /// Equal to an opaque Color3B with the same channels.
    bool operator==(const Color3B& c) const;
    bool operator!=(const Color3B& c) const { return !(*this == c); }
    bool operator==(const Color4F& c) const;
    bool operator!=(const Color4F& c) const { return !(*this == c); }

    static const Color4B WHITE;
    static const Color4B YELLOW;
    static const Color4B BLUE;
    static const Color4B GREEN;
    static const Color4B RED;
    static const Color4B MAGENTA;
    static const Color4B BLACK;
    static const Color4B ORANGE;
    static const Color4B GRAY;
};

} // namespace cocos2d
