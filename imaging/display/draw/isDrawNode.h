#pragma once
// Draws the figures of the measurement actors in world space: coloured line segments
// (optionally dotted) and coloured points of a given size, kept in growing vertex arrays and
// uploaded to the card only after a change. The owner clears and refills it when its figure
// changes.

#include <vector>

#include "2d/ClippingProtocol.h"
#include "2d/Node.h"
#include "base/ccTypes.h"
#include "renderer/CustomCommand.h"

namespace isImageSDK {

class isDrawNode : public cocos2d::Node, public cocos2d::ClippingProtocol {
public:
    static isDrawNode* create();

    bool init() override;

    void addPoint(const cocos2d::Vec3& position, float size, const cocos2d::Color4F& colour);
    void addLine(const cocos2d::Vec3& from, const cocos2d::Vec3& to, const cocos2d::Color4F& colour);
    /// The closed outline through `count` points; fewer than two points draw nothing.
    void addPolygon(const cocos2d::Vec3* points, int count, const cocos2d::Color4F& colour);
    /// 51 points from the start angle round the centre in the plane of the two axes, closed.
    void addEllipse(const cocos2d::Vec3& centre, const cocos2d::Vec3& axisA, const cocos2d::Vec3& axisB,
                    float radius, float startAngle, float scaleA, float scaleB,
                    const cocos2d::Color4F& colour);
    /// Forgets every vertex and resets the line width (the dotted flag stays).
    void clear();
    void setLineWidth(int width) {
        lineWidth = width;
        markContentChanged();
    }
    int getLineWidth() const { return lineWidth; }
    void setDotted(bool value) {
        dotted = value;
        markContentChanged();
    }
    bool isDotted() const { return dotted; }

    int getPointVertexCount() const { return points.count; }
    int getLineVertexCount() const { return lines.count; }

    void draw(cocos2d::Renderer* renderer, const cocos2d::Mat4& transform, uint32_t flags) override;

    static constexpr int kEllipsePoints = 51;
    static constexpr float kEllipseStep = 0.12566371f;

protected:
    ~isDrawNode() override;

    /// One growing array of vertices with its GL objects (made on first draw).
    struct VertexArray {
        unsigned int vao = 0;
        unsigned int vbo = 0;
        int capacity = 0;
        int count = 0;
        cocos2d::V3F_C4B_T2F* vertices = nullptr;
        bool dirty = true;
    };

    /// Room for `extra` more vertices, growing by at least `minimumGrowth`; false when the
    /// memory cannot be had (the caller then adds nothing).
    static bool reserve(VertexArray& array, int extra, int minimumGrowth);
    static void append(VertexArray& array, const cocos2d::Vec3& position, const cocos2d::Color4F& colour,
                       float u);
    void drawArray(VertexArray& array, const char* programName, unsigned int mode,
                   const cocos2d::Mat4& transform);
    void prepareGL(VertexArray& array);
    static void releaseGL(VertexArray& array);

    VertexArray points;
    VertexArray lines;
    cocos2d::BlendFunc blendFunc = cocos2d::BlendFunc::ALPHA_PREMULTIPLIED;
    cocos2d::CustomCommand pointsCommand;
    cocos2d::CustomCommand linesCommand;
    int lineWidth = 4;
    bool dotted = false;
};

} // namespace isImageSDK
