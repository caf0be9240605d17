#pragma once
// Draws textured, coloured triangles; the renderer moves the vertices by the transform on the
// CPU, so the program sees world positions and only the projection.

#include "base/ccTypes.h"
#include "renderer/RenderCommand.h"

namespace cocos2d {

class GLProgramState;

class TrianglesCommand : public RenderCommand {
public:
    struct Triangles {
        V3F_C4B_T2F* verts = nullptr;
        unsigned short* indices = nullptr;
        int vertCount = 0;
        int indexCount = 0;
    };

    TrianglesCommand() { _type = Type::TRIANGLES_COMMAND; }
    void init(float globalOrder, GLuint textureID, GLProgramState* glProgramState, BlendFunc blendType,
              const Triangles& triangles, const Mat4& mv, uint32_t flags);

    GLuint getTextureID() const { return _textureID; }
    GLProgramState* getGLProgramState() const { return _glProgramState; }
    const BlendFunc& getBlendType() const { return _blendType; }
    const Triangles& getTriangles() const { return _triangles; }
    const Mat4& getModelView() const { return _mv; }

protected:
    GLuint _textureID = 0;
    GLProgramState* _glProgramState = nullptr;
    BlendFunc _blendType = BlendFunc::DISABLE;
    Triangles _triangles;
    Mat4 _mv;
};

} // namespace cocos2d
