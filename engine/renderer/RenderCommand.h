#pragma once
// One unit of drawing queued during the visit and run by the renderer afterwards.

#include <cstdint>

#include "math/CCMath.h"

namespace cocos2d {

class RenderCommand {
public:
    enum class Type { UNKNOWN_COMMAND, CUSTOM_COMMAND, TRIANGLES_COMMAND, GROUP_COMMAND };

    /// Queues 3D when flags hold the node's render-as-3D flag; depth is the eye distance of
    /// the transform's origin (used to order transparent 3D commands back to front).
    void init(float globalZOrder, const Mat4& modelViewTransform, uint32_t flags);

    Type getType() const { return _type; }
    float getGlobalOrder() const { return _globalOrder; }
    bool is3D() const { return _is3D; }
    void set3D(bool value) { _is3D = value; }
    bool isTransparent() const { return _isTransparent; }
    void setTransparent(bool value) { _isTransparent = value; }
    float getDepth() const { return _depth; }
    bool isSkipBatching() const { return _skipBatching; }
    void setSkipBatching(bool value) { _skipBatching = value; }

protected:
    RenderCommand() = default;
    virtual ~RenderCommand() = default;

    Type _type = Type::UNKNOWN_COMMAND;
    float _globalOrder = 0.0f;
    bool _isTransparent = true;
    bool _skipBatching = false;
    bool _is3D = false;
    float _depth = 0.0f;
};

} // namespace cocos2d
