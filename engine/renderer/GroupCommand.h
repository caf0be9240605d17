#pragma once
// A render command standing for a whole queue of commands, drawn together at its place.

#include "renderer/RenderCommand.h"

namespace cocos2d {

class GroupCommand : public RenderCommand {
public:
    GroupCommand();
    ~GroupCommand() override;
    void init(float globalOrder);
    int getRenderQueueID() const { return _renderQueueID; }

protected:
    int _renderQueueID;
};

} // namespace cocos2d
