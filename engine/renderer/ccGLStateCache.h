#pragma once
// Remembers the GL bindings last made, so repeated binds of the same object cost nothing.
// Main (GL) thread only.

#include "platform/CCGL.h"

namespace cocos2d {
namespace GL {

enum {
    VERTEX_ATTRIB_FLAG_NONE = 0,
    VERTEX_ATTRIB_FLAG_POSITION = 1 << 0,
    VERTEX_ATTRIB_FLAG_COLOR = 1 << 1,
    VERTEX_ATTRIB_FLAG_TEX_COORD = 1 << 2,
    VERTEX_ATTRIB_FLAG_NORMAL = 1 << 3,
    VERTEX_ATTRIB_FLAG_POS_COLOR_TEX = VERTEX_ATTRIB_FLAG_POSITION | VERTEX_ATTRIB_FLAG_COLOR | VERTEX_ATTRIB_FLAG_TEX_COORD,
};

/// True once a view has made a GL context current on this thread and loaded GLEW; without
/// it (headless runs) GL objects are not created.
bool isContextReady();
void setContextReady(bool ready);

/// Forgets every remembered binding (after a new context or foreign GL code).
void invalidateStateCache();
void useProgram(GLuint program);
void deleteProgram(GLuint program);
void blendFunc(GLenum sfactor, GLenum dfactor);
void blendResetToCache();
void bindTexture2D(GLuint textureId);
/// Binds on unit GL_TEXTURE0 + textureUnit and leaves that unit active.
void bindTexture2DN(GLuint textureUnit, GLuint textureId);
/// Deletes the texture and forgets it wherever it is remembered as bound.
void deleteTexture(GLuint textureId);
void activeTexture(GLenum texture);
void bindVAO(GLuint vaoId);
/// Enables exactly the attributes whose flags are set (see VERTEX_ATTRIB_FLAG_*).
void enableVertexAttribs(uint32_t flags);

} // namespace GL
} // namespace cocos2d
