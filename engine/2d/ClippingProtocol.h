#pragma once
// Mixin for nodes that draw through their own commands (possibly in the 3D queues) yet must
// stay inside the clipping rectangle of the node they are visited under.

#include <cstdint>

#include "math/CCMath.h"
#include "renderer/CustomCommand.h"

namespace cocos2d {

class Renderer;

class ClippingProtocol {
public:
    virtual ~ClippingProtocol() = default;

    /// Queues, at the node's place, the scissor of the clipping rectangle in force during this
    /// visit (nothing is clipped when there is none).
    void beginScissor(Renderer* renderer, float globalZOrder, const Mat4& transform, uint32_t flags);
    /// Queues the end of that scissor.
    void endScissor(Renderer* renderer, float globalZOrder, const Mat4& transform, uint32_t flags);

protected:
    CustomCommand _beginScissorCommand;
    CustomCommand _endScissorCommand;
    Rect _scissorRect;
    bool _scissorActive = false;
};

} // namespace cocos2d
