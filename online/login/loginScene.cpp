#include "login/loginScene.h"

#include "login/TransitionMoveInLeftTop.h"
#include "login/login.h"

#include <new>

using namespace cocos2d;

login* loginScene::show() {
    auto* scene = new (std::nothrow) loginScene();
    if (!scene || !scene->initWithTitle("Welcome")) {
        delete scene;
        return nullptr;
    }
    scene->autorelease();
    scene->getLayout()->setTag(kLayoutTag);
    login* panel = login::create();
    if (!panel)
        return nullptr;
    scene->addContent(panel, panel->getLayout());
    panel->setInScene(true);
    panel->setupButtons();
    // The scene's bar has the way back; the panel's own back button would only repeat it.
    if (Node* back = panel->getLayout() ? panel->getLayout()->getChildByName("goBack") : nullptr)
        back->setVisible(false);
    panel->showStartPage();
    Scene* transition = TransitionMoveInLeftTop::create(kSlideSeconds, scene);
    Director::getInstance()->pushScene(transition ? transition : scene);
    return panel;
}

bool loginScene::onResponseReturn() {
    auto* panel = dynamic_cast<login*>(getChildByNameDeep(login::kPanelName));
    if (panel)
        return panel->onResponseReturn();
    return TitledScene::onResponseReturn();
}
