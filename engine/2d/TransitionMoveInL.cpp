#include "2d/TransitionMoveInL.h"

#include <new>

#include "base/Director.h"

namespace cocos2d {

TransitionMoveInL* TransitionMoveInL::create(float t, Scene* scene)
{
    auto* ret = new (std::nothrow) TransitionMoveInL();
    if (ret && ret->initWithDuration(t, scene)) {
        ret->autorelease();
        return ret;
    }
    delete ret;
    return nullptr;
}

void TransitionMoveInL::initScenes()
{
    _inScene->setPosition(-Director::getInstance()->getWinSize().width, 0.0f);
}

} // namespace cocos2d
