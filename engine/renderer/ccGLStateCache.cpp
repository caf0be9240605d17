#include "renderer/ccGLStateCache.h"


namespace cocos2d {
namespace GL {

namespace {

const int kMaxTextureUnits = 16;
const int kMaxAttributes = 16;

GLuint s_currentProgram = static_cast<GLuint>(-1);
GLenum s_blendSrc = static_cast<GLenum>(-1);
GLenum s_blendDst = static_cast<GLenum>(-1);
GLuint s_boundTextures[kMaxTextureUnits];
GLuint s_vao = 0;
uint32_t s_attributeFlags = 0;
bool s_attributesKnown = false;
bool s_cacheValid = false;

void ensureCache()
{
    if (!s_cacheValid) {
        invalidateStateCache();
    }
}

bool s_contextReady = false;

} // namespace

bool isContextReady()
{
    return s_contextReady;
}

void setContextReady(bool ready)
{
    s_contextReady = ready;
    invalidateStateCache();
}

void invalidateStateCache()
{
    s_currentProgram = static_cast<GLuint>(-1);
    s_blendSrc = static_cast<GLenum>(-1);
    s_blendDst = static_cast<GLenum>(-1);
    for (auto& t : s_boundTextures) {
        t = static_cast<GLuint>(-1);
    }
    s_vao = static_cast<GLuint>(-1);
    s_attributeFlags = 0;
    s_attributesKnown = false;
    s_cacheValid = true;
}

void useProgram(GLuint program)
{
    ensureCache();
    if (program != s_currentProgram) {
        s_currentProgram = program;
        glUseProgram(program);
    }
}

void deleteProgram(GLuint program)
{
    if (program == s_currentProgram) {
        s_currentProgram = static_cast<GLuint>(-1);
    }
    glDeleteProgram(program);
}

void blendFunc(GLenum sfactor, GLenum dfactor)
{
    ensureCache();
    if (sfactor == s_blendSrc && dfactor == s_blendDst) {
        return;
    }
    s_blendSrc = sfactor;
    s_blendDst = dfactor;
    if (sfactor == GL_ONE && dfactor == GL_ZERO) {
        glDisable(GL_BLEND);
    } else {
        glEnable(GL_BLEND);
        glBlendFunc(sfactor, dfactor);
    }
}

void blendResetToCache()
{
    ensureCache();
    glBlendEquation(GL_FUNC_ADD);
    if (s_blendSrc == GL_ONE && s_blendDst == GL_ZERO) {
        glDisable(GL_BLEND);
    } else if (s_blendSrc != static_cast<GLenum>(-1)) {
        glEnable(GL_BLEND);
        glBlendFunc(s_blendSrc, s_blendDst);
    }
}

void activeTexture(GLenum texture)
{
    ensureCache();
    // Always selected, never skipped: display code switches units with plain GL calls, and a
    // bind on a unit the cache only believes active would replace another unit's texture.
    glActiveTexture(texture);
}

void bindTexture2D(GLuint textureId)
{
    bindTexture2DN(0, textureId);
}

void bindTexture2DN(GLuint textureUnit, GLuint textureId)
{
    ensureCache();
    if (textureUnit >= kMaxTextureUnits) {
        return;
    }
    activeTexture(GL_TEXTURE0 + textureUnit);
    if (s_boundTextures[textureUnit] != textureId) {
        s_boundTextures[textureUnit] = textureId;
        glBindTexture(GL_TEXTURE_2D, textureId);
    }
}

void deleteTexture(GLuint textureId)
{
    for (auto& t : s_boundTextures) {
        if (t == textureId) {
            t = static_cast<GLuint>(-1);
        }
    }
    glDeleteTextures(1, &textureId);
}

void bindVAO(GLuint vaoId)
{
    ensureCache();
    if (s_vao != vaoId) {
        s_vao = vaoId;
        glBindVertexArray(vaoId);
    }
}

void enableVertexAttribs(uint32_t flags)
{
    ensureCache();
    bindVAO(0);
    for (int i = 0; i < kMaxAttributes; ++i) {
        uint32_t bit = 1u << i;
        bool wanted = (flags & bit) != 0;
        bool enabled = (s_attributeFlags & bit) != 0;
        if (wanted != enabled || !s_attributesKnown) {
            if (wanted) {
                glEnableVertexAttribArray(static_cast<GLuint>(i));
            } else {
                glDisableVertexAttribArray(static_cast<GLuint>(i));
            }
        }
    }
    s_attributeFlags = flags;
    s_attributesKnown = true;
}

} // namespace GL
} // namespace cocos2d
