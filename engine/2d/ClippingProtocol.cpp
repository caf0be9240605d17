#include "2d/ClippingProtocol.h"

#include "renderer/Renderer.h"

namespace cocos2d {

void ClippingProtocol::beginScissor(Renderer* renderer, float globalZOrder, const Mat4& transform, uint32_t flags)
{
    _scissorActive = renderer && renderer->getVisitClipRect(&_scissorRect);
    if (!_scissorActive) {
        return;
    }
    _beginScissorCommand.init(globalZOrder, transform, flags);
    Rect rect = _scissorRect;
    _beginScissorCommand.func = [renderer, rect] { renderer->pushScissorRect(rect); };
    renderer->addCommand(&_beginScissorCommand);
}

void ClippingProtocol::endScissor(Renderer* renderer, float globalZOrder, const Mat4& transform, uint32_t flags)
{
    if (!_scissorActive || !renderer) {
        return;
    }
    _endScissorCommand.init(globalZOrder, transform, flags);
    _endScissorCommand.func = [renderer] { renderer->popScissorRect(); };
    renderer->addCommand(&_endScissorCommand);
}

} // namespace cocos2d
