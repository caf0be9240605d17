#include "tools/editWWScene.h"

#include "AppConfig.h"
#include "tools/editWW.h"

#include <new>

using namespace cocos2d;

editWWScene* editWWScene::create()
{
    auto* scene = new (std::nothrow) editWWScene();
    if (scene && scene->initWithTitle(AppConfig::getInstance()->getText("editWW_title"))) {
        scene->autorelease();
        scene->getLayout()->setTag(kLayoutTag);
        return scene;
    }
    delete scene;
    return nullptr;
}

bool editWWScene::onResponseReturn()
{
    Node* layout = getChildByTag(kLayoutTag);
    auto* editor = layout ? dynamic_cast<editWW*>(layout->getChildByName(editWW::kViewName)) : nullptr;
    if (!editor || editor->apply())
        TitledScene::onResponseReturn();
    return true;
}
