#include "send/dcmSendScene.h"

#include "AppConfig.h"

#include <new>

dcmSendScene* dcmSendScene::create()
{
    auto* scene = new (std::nothrow) dcmSendScene();
    if (scene && scene->initWithTitle(AppConfig::getInstance()->getText("dcmNode_title"))) {
        scene->autorelease();
        return scene;
    }
    delete scene;
    return nullptr;
}
