#pragma once
// A list of coloured line segments in world space drawn with one call (the reference lines of
// the cross-line actor).

#include <vector>

#include "2d/ClippingProtocol.h"
#include "2d/Node.h"
#include "imaging/display/isNodeObject.h"
#include "renderer/CustomCommand.h"

namespace isImageSDK {

class isNodeLine : public cocos2d::Node, public cocos2d::ClippingProtocol, public isNodeObject {
public:
    /// Position and colour of one end of a segment (16 bytes).
    struct Vertex {
        cocos2d::Vec3 position;
        cocos2d::Color4B colour;
    };

    static isNodeLine* create();

    bool init() override;
    void addLine(const cocos2d::Vec3& from, const cocos2d::Vec3& to, const cocos2d::Color4F& colour);
    void clear() {
        vertices.clear();
        markContentChanged();
    }
    void setLineWidth(int width) {
        lineWidth = width;
        markContentChanged();
    }
    int getLineWidth() const { return lineWidth; }
    const std::vector<Vertex>& getVertices() const { return vertices; }

    void draw(cocos2d::Renderer* renderer, const cocos2d::Mat4& transform, uint32_t flags) override;

protected:
    void drawLines(const cocos2d::Mat4& transform);

    std::vector<Vertex> vertices;
    cocos2d::CustomCommand command;
    int lineWidth = 4;
};

} // namespace isImageSDK
