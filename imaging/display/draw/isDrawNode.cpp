#include "imaging/display/draw/isDrawNode.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstddef>

#include "base/Configuration.h"
#include "base/ccLog.h"
#include "renderer/GLProgram.h"
#include "renderer/GLProgramCache.h"
#include "renderer/Renderer.h"
#include "renderer/ccGLStateCache.h"

namespace isImageSDK {

using cocos2d::V3F_C4B_T2F;

namespace {
constexpr int kInitialPoints = 64;
constexpr int kInitialLines = 256;
constexpr GLsizei kStride = sizeof(V3F_C4B_T2F);

void pointAttributes() {
    using cocos2d::GLProgram;
    cocos2d::GL::enableVertexAttribs(cocos2d::GL::VERTEX_ATTRIB_FLAG_POS_COLOR_TEX);
    glVertexAttribPointer(GLProgram::VERTEX_ATTRIB_POSITION, 3, GL_FLOAT, GL_FALSE, kStride,
                          reinterpret_cast<void*>(offsetof(V3F_C4B_T2F, vertices)));
    glVertexAttribPointer(GLProgram::VERTEX_ATTRIB_COLOR, 4, GL_UNSIGNED_BYTE, GL_TRUE, kStride,
                          reinterpret_cast<void*>(offsetof(V3F_C4B_T2F, colors)));
    glVertexAttribPointer(GLProgram::VERTEX_ATTRIB_TEX_COORD, 2, GL_FLOAT, GL_FALSE, kStride,
                          reinterpret_cast<void*>(offsetof(V3F_C4B_T2F, texCoords)));
}
} // namespace

isDrawNode* isDrawNode::create() {
    auto* node = new (std::nothrow) isDrawNode();
    if (node && node->init()) {
        node->autorelease();
        return node;
    }
    delete node;
    return nullptr;
}

isDrawNode::~isDrawNode() {
    releaseGL(points);
    releaseGL(lines);
    std::free(points.vertices);
    std::free(lines.vertices);
}

bool isDrawNode::init() {
    if (!cocos2d::Node::init())
        return false;
    blendFunc = cocos2d::BlendFunc::ALPHA_PREMULTIPLIED;
    if (!reserve(points, kInitialPoints, kInitialPoints) || !reserve(lines, kInitialLines, kInitialLines)) {
        return false;
    }
    points.dirty = lines.dirty = true;
    // The GL objects are made on the first draw, when a context is certain to be current.
    removeCameraMask(1, true);
    return true;
}

bool isDrawNode::reserve(VertexArray& array, int extra, int minimumGrowth) {
    if (extra < 0 || array.count > INT32_MAX / 2 - extra)
        return false;
    if (array.count + extra <= array.capacity)
        return true;
    int capacity = array.capacity + std::max(array.capacity, minimumGrowth);
    if (capacity < array.count + extra)
        capacity = array.count + extra;
    auto* grown =
        static_cast<V3F_C4B_T2F*>(std::realloc(array.vertices, size_t(capacity) * sizeof(V3F_C4B_T2F)));
    if (!grown) {
        cocos2d::log("isDrawNode: no memory for %d vertices", capacity);
        return false;
    }
    array.vertices = grown;
    array.capacity = capacity;
    return true;
}

void isDrawNode::append(VertexArray& array, const cocos2d::Vec3& position, const cocos2d::Color4F& colour,
                        float u) {
    V3F_C4B_T2F& v = array.vertices[array.count++];
    v.vertices = position;
    v.colors = cocos2d::Color4B(colour);
    v.texCoords = cocos2d::Tex2F(u, 0.0f);
    array.dirty = true;
}

void isDrawNode::addPoint(const cocos2d::Vec3& position, float size, const cocos2d::Color4F& colour) {
    if (!reserve(points, 1, 1))
        return;
    append(points, position, colour, size);
    markContentChanged();
}

void isDrawNode::addLine(const cocos2d::Vec3& from, const cocos2d::Vec3& to, const cocos2d::Color4F& colour) {
    if (!reserve(lines, 2, 2))
        return;
    append(lines, from, colour, 0.0f);
    append(lines, to, colour, 0.0f);
    markContentChanged();
}

void isDrawNode::addPolygon(const cocos2d::Vec3* polygon, int count, const cocos2d::Color4F& colour) {
    // One point has no outline, and a count below one would size the arrays negatively.
    if (!polygon || count < 2 || count > INT32_MAX / 4)
        return;
    if (!reserve(lines, 2 * count, 2 * count))
        return;
    for (int i = 0; i < count; ++i) {
        append(lines, polygon[i], colour, 0.0f);
        append(lines, polygon[(i + 1) % count], colour, 0.0f);
    }
    markContentChanged();
}

void isDrawNode::addEllipse(const cocos2d::Vec3& centre, const cocos2d::Vec3& axisA,
                            const cocos2d::Vec3& axisB, float radius, float startAngle, float scaleA,
                            float scaleB, const cocos2d::Color4F& colour) {
    cocos2d::Vec3 outline[kEllipsePoints];
    for (int i = 0; i < kEllipsePoints; ++i) {
        const float t = startAngle + float(i) * kEllipseStep;
        outline[i] = centre + (axisA * (std::cos(t) * scaleA) + axisB * (std::sin(t) * scaleB)) * radius;
    }
    addPolygon(outline, kEllipsePoints, colour);
}

void isDrawNode::clear() {
    points.count = 0;
    lines.count = 0;
    points.dirty = lines.dirty = true;
    lineWidth = 4;
    markContentChanged();
}

void isDrawNode::draw(cocos2d::Renderer* renderer, const cocos2d::Mat4& transform, uint32_t flags) {
    if (!renderer || (points.count == 0 && lines.count == 0))
        return;
    beginScissor(renderer, _globalZOrder, transform, flags);
    if (points.count > 0) {
        pointsCommand.init(_globalZOrder, transform, flags);
        pointsCommand.func = [this, transform, renderer]() {
            drawArray(points, cocos2d::GLProgram::SHADER_NAME_POSITION_COLOR_TEXASPOINTSIZE, GL_POINTS,
                      transform);
            renderer->addDrawnBatches(1);
            renderer->addDrawnVertices(points.count);
        };
        renderer->addCommand(&pointsCommand);
    }
    if (lines.count > 0) {
        linesCommand.init(_globalZOrder, transform, flags);
        linesCommand.func = [this, transform, renderer]() {
            if (dotted) {
                glLineStipple(2, 0x5555);
                glEnable(GL_LINE_STIPPLE);
            }
            glLineWidth(GLfloat(lineWidth));
            drawArray(lines, cocos2d::GLProgram::SHADER_NAME_POSITION_LENGTH_TEXTURE_COLOR, GL_LINES,
                      transform);
            glLineWidth(1.0f);
            if (dotted)
                glDisable(GL_LINE_STIPPLE);
            renderer->addDrawnBatches(1);
            renderer->addDrawnVertices(lines.count);
        };
        renderer->addCommand(&linesCommand);
    }
    endScissor(renderer, _globalZOrder, transform, flags);
}

void isDrawNode::prepareGL(VertexArray& array) {
    if (array.vbo != 0)
        return;
    glGenBuffers(1, &array.vbo);
    glBindBuffer(GL_ARRAY_BUFFER, array.vbo);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(array.capacity) * kStride, array.vertices, GL_STREAM_DRAW);
    if (cocos2d::Configuration::getInstance()->supportsShareableVAO()) {
        glGenVertexArrays(1, &array.vao);
        cocos2d::GL::bindVAO(array.vao);
        glEnableVertexAttribArray(cocos2d::GLProgram::VERTEX_ATTRIB_POSITION);
        glEnableVertexAttribArray(cocos2d::GLProgram::VERTEX_ATTRIB_COLOR);
        glEnableVertexAttribArray(cocos2d::GLProgram::VERTEX_ATTRIB_TEX_COORD);
        glVertexAttribPointer(cocos2d::GLProgram::VERTEX_ATTRIB_POSITION, 3, GL_FLOAT, GL_FALSE, kStride,
                              reinterpret_cast<void*>(offsetof(V3F_C4B_T2F, vertices)));
        glVertexAttribPointer(cocos2d::GLProgram::VERTEX_ATTRIB_COLOR, 4, GL_UNSIGNED_BYTE, GL_TRUE, kStride,
                              reinterpret_cast<void*>(offsetof(V3F_C4B_T2F, colors)));
        glVertexAttribPointer(cocos2d::GLProgram::VERTEX_ATTRIB_TEX_COORD, 2, GL_FLOAT, GL_FALSE, kStride,
                              reinterpret_cast<void*>(offsetof(V3F_C4B_T2F, texCoords)));
        cocos2d::GL::bindVAO(0);
    }
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    array.dirty = false;
}

void isDrawNode::releaseGL(VertexArray& array) {
    if (!cocos2d::GL::isContextReady())
        return;
    if (array.vbo)
        glDeleteBuffers(1, &array.vbo);
    if (array.vao)
        glDeleteVertexArrays(1, &array.vao);
    array.vbo = array.vao = 0;
}

void isDrawNode::drawArray(VertexArray& array, const char* programName, unsigned int mode,
                           const cocos2d::Mat4& transform) {
    cocos2d::GLProgram* program = cocos2d::GLProgramCache::getInstance()->getGLProgram(programName);
    if (!program)
        return;
    program->use();
    program->setUniformsForBuiltins(transform);
    cocos2d::GL::blendFunc(blendFunc.src, blendFunc.dst);
    prepareGL(array);
    if (array.dirty) {
        glBindBuffer(GL_ARRAY_BUFFER, array.vbo);
        glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(array.capacity) * kStride, array.vertices, GL_STREAM_DRAW);
        array.dirty = false;
    }
    if (array.vao) {
        cocos2d::GL::bindVAO(array.vao);
    } else {
        glBindBuffer(GL_ARRAY_BUFFER, array.vbo);
        pointAttributes();
    }
    glDrawArrays(mode, 0, array.count);
    if (array.vao)
        cocos2d::GL::bindVAO(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

} // namespace isImageSDK
