#include "2d/TransitionFlipX.h"

#include <new>

namespace cocos2d {

TransitionFlipX* TransitionFlipX::create(float t, Scene* scene) { return create(t, scene, Orientation::RIGHT_OVER); }

TransitionFlipX* TransitionFlipX::create(float t, Scene* scene, Orientation orientation)
{
    auto* ret = new (std::nothrow) TransitionFlipX();
    if (ret && ret->initWithDuration(t, scene)) {
        ret->_orientation = orientation;
        ret->autorelease();
        return ret;
    }
    delete ret;
    return nullptr;
}

} // namespace cocos2d
