#include "login/TransitionMoveInLeftTop.h"

#include <new>

using namespace cocos2d;

TransitionMoveInLeftTop* TransitionMoveInLeftTop::create(float duration, Scene* scene) {
    auto* transition = new (std::nothrow) TransitionMoveInLeftTop();
    if (transition && transition->initWithDuration(duration, scene)) {
        transition->autorelease();
        return transition;
    }
    delete transition;
    return nullptr;
}

void TransitionMoveInLeftTop::initScenes() {
    const Size& win = Director::getInstance()->getWinSize();
    _inScene->setPosition(-win.width, win.height);
}
