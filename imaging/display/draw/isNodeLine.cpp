#include "imaging/display/draw/isNodeLine.h"

#include <cstddef>

#include "renderer/GLProgram.h"
#include "renderer/GLProgramState.h"
#include "renderer/Renderer.h"
#include "renderer/ccGLStateCache.h"

namespace isImageSDK {

static_assert(sizeof(isNodeLine::Vertex) == 16, "line vertices are 16 bytes");

isNodeLine* isNodeLine::create() {
    auto* node = new (std::nothrow) isNodeLine();
    if (node && node->init()) {
        node->autorelease();
        return node;
    }
    delete node;
    return nullptr;
}

bool isNodeLine::init() {
    if (!cocos2d::Node::init())
        return false;
    lineWidth = 4;
    removeCameraMask(1, true);
    return true;
}

void isNodeLine::addLine(const cocos2d::Vec3& from, const cocos2d::Vec3& to, const cocos2d::Color4F& colour) {
    const cocos2d::Color4B bytes(colour);
    vertices.push_back({from, bytes});
    vertices.push_back({to, bytes});
    markContentChanged();
}

void isNodeLine::draw(cocos2d::Renderer* renderer, const cocos2d::Mat4& transform, uint32_t flags) {
    if (!renderer || vertices.empty())
        return;
    beginScissor(renderer, _globalZOrder, transform, flags);
    command.init(_globalZOrder, transform, flags);
    command.func = [this, transform, renderer]() {
        drawLines(transform);
        renderer->addDrawnBatches(1);
        renderer->addDrawnVertices(ssize_t(vertices.size()));
    };
    renderer->addCommand(&command);
    endScissor(renderer, _globalZOrder, transform, flags);
}

void isNodeLine::drawLines(const cocos2d::Mat4& transform) {
    auto* state =
        cocos2d::GLProgramState::getOrCreateWithGLProgramName(cocos2d::GLProgram::SHADER_NAME_POSITION_COLOR);
    if (!state || vertices.empty())
        return;
    state->apply(transform);
    cocos2d::GL::bindVAO(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    cocos2d::GL::enableVertexAttribs(cocos2d::GL::VERTEX_ATTRIB_FLAG_POSITION |
                                     cocos2d::GL::VERTEX_ATTRIB_FLAG_COLOR);
    const auto* base = reinterpret_cast<const char*>(vertices.data());
    glVertexAttribPointer(cocos2d::GLProgram::VERTEX_ATTRIB_POSITION, 3, GL_FLOAT, GL_FALSE, sizeof(Vertex),
                          base + offsetof(Vertex, position));
    glVertexAttribPointer(cocos2d::GLProgram::VERTEX_ATTRIB_COLOR, 4, GL_UNSIGNED_BYTE, GL_TRUE,
                          sizeof(Vertex), base + offsetof(Vertex, colour));
    glLineWidth(GLfloat(lineWidth));
    glDrawArrays(GL_LINES, 0, GLsizei(vertices.size()));
    glLineWidth(1.0f);
}

} // namespace isImageSDK
