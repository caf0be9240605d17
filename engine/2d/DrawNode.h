#pragma once
// Immediate shapes in a node's space: lines, rectangles, circles, polygons, points and dots,
// kept until clear and drawn with the node.

#include <vector>

#include "2d/Node.h"
#include "base/ccTypes.h"
#include "renderer/CustomCommand.h"

namespace cocos2d {

class DrawNode : public Node {
public:
    /// defaultLineWidth is the width of lines drawn with drawLine, drawRect and drawCircle.
    static DrawNode* create(float defaultLineWidth = 1.0f);

    void drawPoint(const Vec2& point, float pointSize, const Color4F& color);
    void drawPoints(const Vec2* position, unsigned int numberOfPoints, float pointSize, const Color4F& color);
    void drawLine(const Vec2& origin, const Vec2& destination, const Color4F& color);
    void drawRect(const Vec2& origin, const Vec2& destination, const Color4F& color);
    void drawPoly(const Vec2* poli, unsigned int numberOfPoints, bool closePolygon, const Color4F& color);
    void drawCircle(const Vec2& center, float radius, float angle, unsigned int segments, bool drawLineToCenter,
                    const Color4F& color);
    void drawSolidRect(const Vec2& origin, const Vec2& destination, const Color4F& color);
    void drawSolidCircle(const Vec2& center, float radius, float angle, unsigned int segments, const Color4F& color);
    /// A convex polygon filled with fillColor (outlined when borderWidth > 0).
    void drawPolygon(const Vec2* verts, int count, const Color4F& fillColor, float borderWidth,
                     const Color4F& borderColor);
    void drawSolidPoly(const Vec2* poli, unsigned int numberOfPoints, const Color4F& color);
    void drawTriangle(const Vec2& p1, const Vec2& p2, const Vec2& p3, const Color4F& color);
    void drawDot(const Vec2& pos, float radius, const Color4F& color);
    /// A thick segment with round ends.
    void drawSegment(const Vec2& from, const Vec2& to, float radius, const Color4F& color);

    void clear();
    void setLineWidth(float lineWidth)
    {
        _lineWidth = lineWidth;
        noteVisualChange();
    }
    float getLineWidth() const { return _lineWidth; }
    void setBlendFunc(const BlendFunc& blendFunc)
    {
        _blendFunc = blendFunc;
        noteVisualChange();
    }
    const BlendFunc& getBlendFunc() const { return _blendFunc; }

    /// Vertices queued, for tests and statistics.
    size_t getTriangleVertexCount() const { return _triangles.size(); }
    size_t getLineVertexCount() const { return _lines.size(); }
    size_t getPointVertexCount() const { return _points.size(); }

    void draw(Renderer* renderer, const Mat4& transform, uint32_t flags) override;

protected:
    DrawNode() = default;
    bool initWithLineWidth(float lineWidth);
    void addLineVertex(const Vec2& p, const Color4F& color);
    void addTriangle(const Vec2& a, const Vec2& b, const Vec2& c, const Color4F& color, const Tex2F& ta = Tex2F(),
                     const Tex2F& tb = Tex2F(), const Tex2F& tc = Tex2F());
    void drawBuffer(const std::vector<V2F_C4B_T2F>& vertices, GLenum mode, const char* programName, const Mat4& transform);

    std::vector<V2F_C4B_T2F> _triangles;
    std::vector<V2F_C4B_T2F> _lines;
    std::vector<V2F_C4B_T2F> _points;
    float _lineWidth = 1.0f;
    BlendFunc _blendFunc = BlendFunc::ALPHA_PREMULTIPLIED;
    CustomCommand _trianglesCommand;
    CustomCommand _linesCommand;
    CustomCommand _pointsCommand;
};

} // namespace cocos2d
