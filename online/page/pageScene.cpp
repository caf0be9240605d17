#include "page/pageScene.h"

#include "AppConfig.h"
#include "ui/CocosGUI.h"

using namespace cocos2d;

pageScene* pageScene::create(const std::string& title, Node** layout) {
    auto* scene = new pageScene();
    if (!scene->init()) {
        delete scene;
        return nullptr;
    }
    scene->autorelease();
    scene->enableAndroidReturnKey(true);
    Node* root = CSLoader::createNode(kLayoutFile);
    if (root) {
        root->setContentSize(Director::getInstance()->getWinSize());
        ui::Helper::doLayout(root);
        AppConfig::getInstance()->applyText(root);
        scene->addChild(root);
        if (auto* text = dynamic_cast<ui::Text*>(root->getChildByNameDeep("title")))
            text->setString(title);
        if (auto* back = dynamic_cast<ui::Button*>(root->getChildByNameDeep("goBack"))) {
            back->setPressedActionEnabled(true);
            back->addClickEventListener([](Ref*) { Director::getInstance()->popScene(); });
        }
    }
    if (layout)
        *layout = root ? root : scene;
    return scene;
}

bool pageScene::onResponseReturn() {
    Director::getInstance()->popScene();
    return true;
}
