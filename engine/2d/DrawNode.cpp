#include "2d/DrawNode.h"

#include <cmath>

#include "renderer/GLProgram.h"
#include "renderer/GLProgramCache.h"
#include "renderer/Renderer.h"
#include "renderer/ccGLStateCache.h"

namespace cocos2d {

namespace {

Color4B toBytes(const Color4F& c)
{
    return Color4B(c);
}

V2F_C4B_T2F vertex(const Vec2& p, const Color4F& c, const Tex2F& t = Tex2F())
{
    V2F_C4B_T2F v;
    v.vertices = p;
    v.colors = toBytes(c);
    v.texCoords = t;
    return v;
}

} // namespace

DrawNode* DrawNode::create(float defaultLineWidth)
{
    auto* node = new DrawNode();
    if (!node->initWithLineWidth(defaultLineWidth)) {
        node->release();
        return nullptr;
    }
    node->autorelease();
    return node;
}

bool DrawNode::initWithLineWidth(float lineWidth)
{
    if (!Node::init()) {
        return false;
    }
    _lineWidth = lineWidth > 0 ? lineWidth : 1.0f;
    return true;
}

void DrawNode::clear()
{
    if (!_triangles.empty() || !_lines.empty() || !_points.empty())
        noteVisualChange();
    _triangles.clear();
    _lines.clear();
    _points.clear();
}

void DrawNode::addLineVertex(const Vec2& p, const Color4F& color)
{
    _lines.push_back(vertex(p, color));
    noteVisualChange();
}

void DrawNode::addTriangle(const Vec2& a, const Vec2& b, const Vec2& c, const Color4F& color, const Tex2F& ta,
                           const Tex2F& tb, const Tex2F& tc)
{
    _triangles.push_back(vertex(a, color, ta));
    _triangles.push_back(vertex(b, color, tb));
    _triangles.push_back(vertex(c, color, tc));
    noteVisualChange();
}

void DrawNode::drawPoint(const Vec2& point, float pointSize, const Color4F& color)
{
    _points.push_back(vertex(point, color, Tex2F(pointSize, 0)));
    noteVisualChange();
}

void DrawNode::drawPoints(const Vec2* position, unsigned int numberOfPoints, float pointSize, const Color4F& color)
{
    for (unsigned int i = 0; position && i < numberOfPoints; ++i) {
        drawPoint(position[i], pointSize, color);
    }
}

void DrawNode::drawLine(const Vec2& origin, const Vec2& destination, const Color4F& color)
{
    addLineVertex(origin, color);
    addLineVertex(destination, color);
}

void DrawNode::drawRect(const Vec2& origin, const Vec2& destination, const Color4F& color)
{
    Vec2 corners[4] = {origin, Vec2(destination.x, origin.y), destination, Vec2(origin.x, destination.y)};
    drawPoly(corners, 4, true, color);
}

void DrawNode::drawPoly(const Vec2* poli, unsigned int numberOfPoints, bool closePolygon, const Color4F& color)
{
    if (!poli || numberOfPoints < 2) {
        return;
    }
    for (unsigned int i = 0; i + 1 < numberOfPoints; ++i) {
        drawLine(poli[i], poli[i + 1], color);
    }
    if (closePolygon && numberOfPoints > 2) {
        drawLine(poli[numberOfPoints - 1], poli[0], color);
    }
}

void DrawNode::drawCircle(const Vec2& center, float radius, float angle, unsigned int segments, bool drawLineToCenter,
                          const Color4F& color)
{
    if (segments < 3) {
        segments = 3;
    }
    std::vector<Vec2> pts;
    pts.reserve(segments + 1);
    const float step = 2.0f * static_cast<float>(M_PI) / static_cast<float>(segments);
    for (unsigned int i = 0; i < segments; ++i) {
        float a = angle + step * static_cast<float>(i);
        pts.emplace_back(center.x + radius * std::cos(a), center.y + radius * std::sin(a));
    }
    if (drawLineToCenter) {
        drawLine(pts.back(), center, color);
    }
    drawPoly(pts.data(), static_cast<unsigned int>(pts.size()), true, color);
}

void DrawNode::drawSolidRect(const Vec2& origin, const Vec2& destination, const Color4F& color)
{
    Vec2 corners[4] = {origin, Vec2(destination.x, origin.y), destination, Vec2(origin.x, destination.y)};
    drawSolidPoly(corners, 4, color);
}

void DrawNode::drawSolidCircle(const Vec2& center, float radius, float angle, unsigned int segments,
                               const Color4F& color)
{
    if (segments < 3) {
        segments = 3;
    }
    const float step = 2.0f * static_cast<float>(M_PI) / static_cast<float>(segments);
    for (unsigned int i = 0; i < segments; ++i) {
        float a0 = angle + step * static_cast<float>(i);
        float a1 = a0 + step;
        addTriangle(center, Vec2(center.x + radius * std::cos(a0), center.y + radius * std::sin(a0)),
                    Vec2(center.x + radius * std::cos(a1), center.y + radius * std::sin(a1)), color);
    }
}

void DrawNode::drawSolidPoly(const Vec2* poli, unsigned int numberOfPoints, const Color4F& color)
{
    drawPolygon(poli, static_cast<int>(numberOfPoints), color, 0, Color4F());
}

void DrawNode::drawPolygon(const Vec2* verts, int count, const Color4F& fillColor, float borderWidth,
                           const Color4F& borderColor)
{
    if (!verts || count < 3) {
        return;
    }
    // A fan: exact for the convex polygons this is meant for.
    for (int i = 1; i + 1 < count; ++i) {
        addTriangle(verts[0], verts[i], verts[i + 1], fillColor);
    }
    if (borderWidth > 0) {
        for (int i = 0; i < count; ++i) {
            drawSegment(verts[i], verts[(i + 1) % count], borderWidth, borderColor);
        }
    }
}

void DrawNode::drawTriangle(const Vec2& p1, const Vec2& p2, const Vec2& p3, const Color4F& color)
{
    addTriangle(p1, p2, p3, color);
}

void DrawNode::drawDot(const Vec2& pos, float radius, const Color4F& color)
{
    // A square whose texture coordinates run -1..1: the program cuts it to a disc.
    Vec2 a(pos.x - radius, pos.y - radius), b(pos.x + radius, pos.y - radius);
    Vec2 c(pos.x + radius, pos.y + radius), d(pos.x - radius, pos.y + radius);
    addTriangle(a, b, c, color, Tex2F(-1, -1), Tex2F(1, -1), Tex2F(1, 1));
    addTriangle(a, c, d, color, Tex2F(-1, -1), Tex2F(1, 1), Tex2F(-1, 1));
}

void DrawNode::drawSegment(const Vec2& from, const Vec2& to, float radius, const Color4F& color)
{
    Vec2 dir = to - from;
    float length = dir.length();
    if (length <= 0.0f) {
        drawDot(from, radius, color);
        return;
    }
    Vec2 n(-dir.y / length * radius, dir.x / length * radius);
    // The body, then round caps as discs (texture coordinates mark the distance from the axis).
    addTriangle(from + n, from - n, to - n, color, Tex2F(0, 1), Tex2F(0, -1), Tex2F(0, -1));
    addTriangle(from + n, to - n, to + n, color, Tex2F(0, 1), Tex2F(0, -1), Tex2F(0, 1));
    drawDot(from, radius, color);
    drawDot(to, radius, color);
}

void DrawNode::drawBuffer(const std::vector<V2F_C4B_T2F>& vertices, GLenum mode, const char* programName,
                          const Mat4& transform)
{
    GLProgram* program = GLProgramCache::getInstance()->getGLProgram(programName);
    if (!program || vertices.empty()) {
        return;
    }
    program->use();
    program->setUniformsForBuiltins(transform);
    GL::blendFunc(_blendFunc.src, _blendFunc.dst);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    GL::enableVertexAttribs(GL::VERTEX_ATTRIB_FLAG_POS_COLOR_TEX);
    const GLsizei stride = sizeof(V2F_C4B_T2F);
    const char* base = reinterpret_cast<const char*>(vertices.data());
    glVertexAttribPointer(GLProgram::VERTEX_ATTRIB_POSITION, 2, GL_FLOAT, GL_FALSE, stride, base);
    glVertexAttribPointer(GLProgram::VERTEX_ATTRIB_COLOR, 4, GL_UNSIGNED_BYTE, GL_TRUE, stride,
                          base + offsetof(V2F_C4B_T2F, colors));
    glVertexAttribPointer(GLProgram::VERTEX_ATTRIB_TEX_COORD, 2, GL_FLOAT, GL_FALSE, stride,
                          base + offsetof(V2F_C4B_T2F, texCoords));
    if (mode == GL_LINES) {
        glLineWidth(_lineWidth);
    }
    glDrawArrays(mode, 0, static_cast<GLsizei>(vertices.size()));
    if (mode == GL_LINES) {
        glLineWidth(1.0f);
    }
}

void DrawNode::draw(Renderer* renderer, const Mat4& transform, uint32_t flags)
{
    if (!renderer) {
        return; // headless visit
    }
    auto queue = [&](CustomCommand& command, const std::vector<V2F_C4B_T2F>& vertices, GLenum mode,
                     const char* program) {
        if (vertices.empty()) {
            return;
        }
        command.init(_globalZOrder, transform, flags);
        command.func = [this, &vertices, mode, program, transform, renderer] {
            drawBuffer(vertices, mode, program, transform);
            renderer->addDrawnBatches(1);
            renderer->addDrawnVertices(static_cast<ssize_t>(vertices.size()));
        };
        renderer->addCommand(&command);
    };
    queue(_trianglesCommand, _triangles, GL_TRIANGLES, GLProgram::SHADER_NAME_POSITION_LENGTH_TEXTURE_COLOR);
    queue(_linesCommand, _lines, GL_LINES, GLProgram::SHADER_NAME_POSITION_LENGTH_TEXTURE_COLOR);
    queue(_pointsCommand, _points, GL_POINTS, GLProgram::SHADER_NAME_POSITION_COLOR_TEXASPOINTSIZE);
}

} // namespace cocos2d
