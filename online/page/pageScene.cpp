#include "page/pageScene.h"

#include <new>

using namespace cocos2d;

pageScene* pageScene::create(const std::string& title, Node** layout) {
    auto* scene = new (std::nothrow) pageScene();
    if (!scene || !scene->initWithTitle(title)) {
        delete scene;
        return nullptr;
    }
    scene->autorelease();
    if (layout)
        *layout = scene->getLayout();
    return scene;
}
