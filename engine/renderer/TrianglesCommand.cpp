#include "renderer/TrianglesCommand.h"

namespace cocos2d {

void TrianglesCommand::init(float globalOrder, GLuint textureID, GLProgramState* glProgramState, BlendFunc blendType,
                            const Triangles& triangles, const Mat4& mv, uint32_t flags)
{
    RenderCommand::init(globalOrder, mv, flags);
    _textureID = textureID;
    _glProgramState = glProgramState;
    _blendType = blendType;
    _triangles = triangles;
    // Incomplete triangles would read past the index list.
    if (_triangles.indexCount % 3 != 0) {
        _triangles.indexCount -= _triangles.indexCount % 3;
    }
    _mv = mv;
    // 3D triangles stay in visit order with the custom commands around them (scissors,
    // texture binds); a node that wants the opaque pass asks for it with setTransparent.
}

} // namespace cocos2d
