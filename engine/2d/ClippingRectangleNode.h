#pragma once
// A node whose children are cut to a rectangle of its own space (scissor); nested ones
// intersect.

#include "2d/Node.h"
#include "renderer/CustomCommand.h"
#include "renderer/GroupCommand.h"

namespace cocos2d {

class ClippingRectangleNode : public Node {
public:
    static ClippingRectangleNode* create(const Rect& clippingRegion);
    static ClippingRectangleNode* create();

    const Rect& getClippingRegion() const { return _clippingRegion; }
    void setClippingRegion(const Rect& clippingRegion)
    {
        if (!clippingRegion.equals(_clippingRegion))
            noteVisualChange();
        _clippingRegion = clippingRegion;
    }
    bool isClippingEnabled() const { return _clippingEnabled; }
    void setClippingEnabled(bool enabled)
    {
        if (enabled != _clippingEnabled)
            noteVisualChange();
        _clippingEnabled = enabled;
    }

    void visit(Renderer* renderer, const Mat4& parentTransform, uint32_t parentFlags) override;

    /// The bounding rectangle, in window points, of a rectangle of a node's space under transform.
    static Rect rectToWorld(const Rect& rect, const Mat4& transform);

protected:
    ClippingRectangleNode() = default;

    Rect _clippingRegion;
    bool _clippingEnabled = true;
    GroupCommand _groupCommand;
    CustomCommand _beforeVisitCommand;
    CustomCommand _afterVisitCommand;
};

} // namespace cocos2d
