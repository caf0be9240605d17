#pragma once
// Plain vertex, texture-coordinate and blend types shared by the renderer and drawing nodes.

#include "math/CCMath.h"
#include "platform/CCGL.h"

namespace cocos2d {

struct Tex2F {
    GLfloat u = 0.0f;
    GLfloat v = 0.0f;
    Tex2F() = default;
    Tex2F(float uu, float vv) : u(uu), v(vv) {}
};

/// Position, colour and texture coordinates of one 2D vertex.
struct V2F_C4B_T2F {
    Vec2 vertices;
    Color4B colors;
    Tex2F texCoords;
};

/// Position, colour and texture coordinates of one 3D vertex (24 bytes).
struct V3F_C4B_T2F {
    Vec3 vertices;
    Color4B colors;
    Tex2F texCoords;
};

/// The four corners of a sprite: top-left, bottom-left, top-right, bottom-right.
struct V3F_C4B_T2F_Quad {
    V3F_C4B_T2F tl;
    V3F_C4B_T2F bl;
    V3F_C4B_T2F tr;
    V3F_C4B_T2F br;
};

struct BlendFunc {
    GLenum src;
    GLenum dst;

    static const BlendFunc DISABLE;
    static const BlendFunc ALPHA_PREMULTIPLIED;
    static const BlendFunc ALPHA_NON_PREMULTIPLIED;
    static const BlendFunc ADDITIVE;

    bool operator==(const BlendFunc& a) const { return src == a.src && dst == a.dst; }
    bool operator!=(const BlendFunc& a) const { return !(*this == a); }
    bool operator<(const BlendFunc& a) const { return src < a.src || (src == a.src && dst < a.dst); }
};

/// Objects whose blending can be chosen.
class BlendProtocol {
public:
    virtual ~BlendProtocol() {}
    virtual void setBlendFunc(const BlendFunc& blendFunc) = 0;
    virtual const BlendFunc& getBlendFunc() const = 0;
};

/// Objects that draw a texture.
class Texture2D;
class TextureProtocol : public BlendProtocol {
public:
    virtual Texture2D* getTexture() const = 0;
    virtual void setTexture(Texture2D* texture) = 0;
};

enum class TextHAlignment { LEFT, CENTER, RIGHT };
enum class TextVAlignment { TOP, CENTER, BOTTOM };

} // namespace cocos2d
