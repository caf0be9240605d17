#include "renderer/GroupCommand.h"

#include "base/Director.h"
#include "renderer/Renderer.h"

namespace cocos2d {

GroupCommand::GroupCommand()
{
    _type = Type::GROUP_COMMAND;
    _renderQueueID = Director::getInstance()->getRenderer()->createRenderQueue();
}

GroupCommand::~GroupCommand()
{
    Director::getInstance()->getRenderer()->releaseRenderQueue(_renderQueueID);
}

void GroupCommand::init(float globalOrder)
{
    _globalOrder = globalOrder;
}

} // namespace cocos2d
