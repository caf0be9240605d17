#pragma once
// A render command that runs a function with GL calls of its own when its turn comes.

#include <functional>

#include "renderer/RenderCommand.h"

namespace cocos2d {

class CustomCommand : public RenderCommand {
public:
    CustomCommand() { _type = Type::CUSTOM_COMMAND; }
    void init(float globalZOrder, const Mat4& modelViewTransform, uint32_t flags)
    {
        RenderCommand::init(globalZOrder, modelViewTransform, flags);
    }
    void init(float globalZOrder) { _globalOrder = globalZOrder; }
    void execute() const
    {
        if (func) func();
    }

    std::function<void()> func;
};

} // namespace cocos2d
