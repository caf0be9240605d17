#include "panel/TitledScene.h"

#include "AppConfig.h"
#include "ui/CocosGUI.h"

#include <new>

using namespace cocos2d;

TitledScene* TitledScene::create(const std::string& title)
{
    auto* scene = new (std::nothrow) TitledScene();
    if (scene && scene->initWithTitle(title)) {
        scene->autorelease();
        return scene;
    }
    delete scene;
    return nullptr;
}

bool TitledScene::initWithTitle(const std::string& title)
{
    if (!Scene::init())
        return false;
    enableAndroidReturnKey(true);
    _layout = CSLoader::createNode(kLayoutFile);
    if (!_layout)
        return true;
    _layout->setContentSize(Director::getInstance()->getWinSize());
    ui::Helper::doLayout(_layout);
    AppConfig::getInstance()->applyText(_layout);
    addChild(_layout);
    setTitle(title);
    if (auto* back = dynamic_cast<ui::Button*>(_layout->getChildByNameDeep("goBack"))) {
        back->setPressedActionEnabled(true);
        back->addClickEventListener([this](Ref*) { onResponseReturn(); });
    }
    return true;
}

void TitledScene::setTitle(const std::string& title)
{
    if (auto* text = _layout ? dynamic_cast<ui::Text*>(_layout->getChildByNameDeep("title")) : nullptr)
        text->setString(title);
}

void TitledScene::addContent(Node* page, Node* pageLayout)
{
    if (!page)
        return;
    const Size& win = Director::getInstance()->getWinSize();
    const Size size(win.width, win.height - kTitleBarHeight);
    getLayout()->addChild(page);
    page->setContentSize(size);
    page->setPosition(Vec2::ZERO);
    page->setAnchorPoint(Vec2::ZERO);
    if (pageLayout) {
        pageLayout->setContentSize(size);
        ui::Helper::doLayout(pageLayout);
        if (Node* bar = pageLayout->getChildByName("titleBar"))
            bar->setVisible(false);
    }
}

bool TitledScene::onResponseReturn()
{
    Director::getInstance()->popSceneIfOnTop(this);
    return true;
}
