#include "imaging/display/window/isViewWarmUp.h"

#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/ccTypes.h"
#include "imaging/display/isNodeImageByShader.h"
#include "renderer/GLProgram.h"
#include "renderer/GLProgramCache.h"
#include "renderer/GLProgramState.h"
#include "renderer/ccGLStateCache.h"

namespace isImageSDK {

namespace {

// A texture of zeros in the format and sampling the view's pictures use.
GLuint makeTexture(GLuint unit, GLenum format, int width, int height, int bytesPerTexel) {
    GLuint name = 0;
    glGenTextures(1, &name);
    const std::vector<uint8_t> zeros(size_t(width * height * bytesPerTexel), 0);
    cocos2d::GL::bindTexture2DN(unit, name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GLint(format), width, height, 0, format, GL_UNSIGNED_BYTE, zeros.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    return name;
}

// One quad drawn with the program over the bound textures, as the renderer draws a sprite.
void drawQuad(cocos2d::GLProgram* program, const cocos2d::BlendFunc& blend) {
    cocos2d::GLProgramState* state = cocos2d::GLProgramState::create(program);
    if (!state)
        return;
    state->apply(cocos2d::Mat4::IDENTITY);
    cocos2d::GL::blendFunc(blend.src, blend.dst);
    cocos2d::GL::bindVAO(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    cocos2d::GL::enableVertexAttribs(cocos2d::GL::VERTEX_ATTRIB_FLAG_POS_COLOR_TEX);
    const cocos2d::V3F_C4B_T2F_Quad quad{};
    const GLsizei stride = sizeof(cocos2d::V3F_C4B_T2F);
    const auto* base = reinterpret_cast<const uint8_t*>(&quad.tl);
    glVertexAttribPointer(cocos2d::GLProgram::VERTEX_ATTRIB_POSITION, 3, GL_FLOAT, GL_FALSE, stride,
                          base + offsetof(cocos2d::V3F_C4B_T2F, vertices));
    glVertexAttribPointer(cocos2d::GLProgram::VERTEX_ATTRIB_COLOR, 4, GL_UNSIGNED_BYTE, GL_TRUE, stride,
                          base + offsetof(cocos2d::V3F_C4B_T2F, colors));
    glVertexAttribPointer(cocos2d::GLProgram::VERTEX_ATTRIB_TEX_COORD, 2, GL_FLOAT, GL_FALSE, stride,
                          base + offsetof(cocos2d::V3F_C4B_T2F, texCoords));
    const GLushort indices[6] = {0, 1, 2, 3, 2, 1};
    glDrawElements(GL_TRIANGLES, 6, GL_UNSIGNED_SHORT, indices);
}

} // namespace

void isViewWarmUp::run() {
    if (!cocos2d::GL::isContextReady())
        return;
    GLint box[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_SCISSOR_BOX, box);
    const GLboolean clipped = glIsEnabled(GL_SCISSOR_TEST);
    const GLboolean depthTested = glIsEnabled(GL_DEPTH_TEST);
    GLboolean depthWritten = GL_TRUE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWritten);
    GLint depthFunc = GL_LESS;
    glGetIntegerv(GL_DEPTH_FUNC, &depthFunc);

    // A view clears the depth inside its clip; one pixel's depth changes nothing on screen.
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, 1, 1);
    glDepthMask(GL_TRUE);
    glClear(GL_DEPTH_BUFFER_BIT);

    // Its pictures are drawn depth-tested without writing depth; here clipped to nothing.
    glScissor(0, 0, 0, 0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glDepthMask(GL_FALSE);
    const GLuint colours = makeTexture(1, GL_RGB, 256, 1, 3);
    const GLuint grey = makeTexture(0, GL_LUMINANCE_ALPHA, 2, 2, 2);
    if (cocos2d::GLProgram* image = isNodeImageByShader::getSharedProgram())
        drawQuad(image, cocos2d::BlendFunc::ALPHA_NON_PREMULTIPLIED);
    const GLuint picture = makeTexture(0, GL_RGBA, 2, 2, 4);
    if (cocos2d::GLProgram* sprite = cocos2d::GLProgramCache::getInstance()->getGLProgram(
            cocos2d::GLProgram::SHADER_NAME_POSITION_TEXTURE_COLOR_NO_MVP))
        drawQuad(sprite, cocos2d::BlendFunc::ALPHA_PREMULTIPLIED);

    cocos2d::GL::deleteTexture(picture);
    cocos2d::GL::deleteTexture(grey);
    cocos2d::GL::deleteTexture(colours);
    cocos2d::GL::bindTexture2DN(1, 0);
    cocos2d::GL::activeTexture(GL_TEXTURE0);
    glDepthFunc(GLenum(depthFunc));
    glDepthMask(depthWritten);
    if (!depthTested)
        glDisable(GL_DEPTH_TEST);
    glScissor(box[0], box[1], box[2], box[3]);
    if (!clipped)
        glDisable(GL_SCISSOR_TEST);
    // What was bound above is not what the engine's state cache remembers.
    cocos2d::GL::invalidateStateCache();
}

} // namespace isImageSDK
