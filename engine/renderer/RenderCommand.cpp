#include "renderer/RenderCommand.h"


namespace cocos2d {

namespace {
// Node::FLAGS_RENDER_AS_3D: the node asked to be drawn with the 3D queues.
const uint32_t kRenderAs3D = 1u << 3;
} // namespace

void RenderCommand::init(float globalZOrder, const Mat4& transform, uint32_t flags)
{
    _globalOrder = globalZOrder;
    _is3D = (flags & kRenderAs3D) != 0;
    _depth = _is3D ? -transform.m[14] : 0.0f;
}

} // namespace cocos2d
