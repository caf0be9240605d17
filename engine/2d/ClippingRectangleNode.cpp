#include "2d/ClippingRectangleNode.h"

#include <algorithm>
#include <cfloat>

#include "renderer/Renderer.h"

namespace cocos2d {

ClippingRectangleNode* ClippingRectangleNode::create(const Rect& clippingRegion)
{
    auto* node = new ClippingRectangleNode();
    if (!node->init()) {
        delete node;
        return nullptr;
    }
    node->setClippingRegion(clippingRegion);
    node->autorelease();
    return node;
}

ClippingRectangleNode* ClippingRectangleNode::create()
{
    return create(Rect());
}

Rect ClippingRectangleNode::rectToWorld(const Rect& rect, const Mat4& transform)
{
    float xs[2] = {rect.getMinX(), rect.getMaxX()};
    float ys[2] = {rect.getMinY(), rect.getMaxY()};
    float x0 = 1e30f, y0 = 1e30f, x1 = -1e30f, y1 = -1e30f;
    for (float x : xs) {
        for (float y : ys) {
            Vec3 p(x, y, 0);
            transform.transformPoint(&p);
            x0 = std::min(x0, p.x);
            x1 = std::max(x1, p.x);
            y0 = std::min(y0, p.y);
            y1 = std::max(y1, p.y);
        }
    }
    return Rect(x0, y0, x1 - x0, y1 - y0);
}

void ClippingRectangleNode::visit(Renderer* renderer, const Mat4& parentTransform, uint32_t parentFlags)
{
    if (!renderer || !_clippingEnabled || !_visible) {
        Node::visit(renderer, parentTransform, parentFlags);
        return;
    }
    Mat4 world = parentTransform * getNodeToParentTransform();
    Rect clip = rectToWorld(_clippingRegion, world);
    // The children's commands go to a group drawn at this node's place, bracketed by the
    // scissor whatever their own z order.
    _groupCommand.init(_globalZOrder);
    renderer->addCommand(&_groupCommand);
    renderer->pushGroup(_groupCommand.getRenderQueueID());
    _beforeVisitCommand.init(-FLT_MAX);
    _beforeVisitCommand.func = [renderer, clip] { renderer->pushScissorRect(clip); };
    renderer->addCommand(&_beforeVisitCommand);
    renderer->pushVisitClipRect(clip);

    Node::visit(renderer, parentTransform, parentFlags);

    renderer->popVisitClipRect();
    _afterVisitCommand.init(FLT_MAX);
    _afterVisitCommand.func = [renderer] { renderer->popScissorRect(); };
    renderer->addCommand(&_afterVisitCommand);
    renderer->popGroup();
}

} // namespace cocos2d
