#include "2d/TransitionScene.h"

#include <new>

#include "base/Director.h"
#include "base/ccLog.h"
#include "base/ccMacros.h"

namespace cocos2d {

TransitionScene* TransitionScene::create(float t, Scene* scene)
{
    auto* ret = new (std::nothrow) TransitionScene();
    if (ret && ret->initWithDuration(t, scene)) {
        ret->autorelease();
        return ret;
    }
    delete ret;
    return nullptr;
}

TransitionScene::~TransitionScene()
{
    CC_SAFE_RELEASE(_inScene);
    CC_SAFE_RELEASE(_outScene);
}

bool TransitionScene::initWithDuration(float t, Scene* scene)
{
    if (!scene || scene == this) {
        log("TransitionScene: no incoming scene");
        return false;
    }
    if (!Scene::init())
        return false;
    _duration = t;
    _inScene = scene;
    _inScene->retain();
    _outScene = Director::getInstance()->getRunningScene();
    CC_SAFE_RETAIN(_outScene);
    return true;
}

Scene* TransitionScene::finishInstantly()
{
    initScenes();
    _inScene->setVisible(true);
    _inScene->setPosition(Vec2::ZERO);
    _inScene->setScale(1.0f);
    _inScene->setRotation(0.0f);
    _inScene->setRotation3D(Vec3::ZERO);
    return _inScene;
}

} // namespace cocos2d
