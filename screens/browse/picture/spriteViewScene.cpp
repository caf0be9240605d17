#include "picture/spriteViewScene.h"

#include "picture/NSSpriteView.h"
#include "ui/CocosGUI.h"
#include "util/FileHelpers.h"

#include <new>

using namespace cocos2d;

namespace {
const char* const kSharePicture = "imgs/shareBlue.png";
}

spriteViewScene* spriteViewScene::createScene()
{
    auto* scene = new (std::nothrow) spriteViewScene();
    if (scene && scene->initScene()) {
        scene->autorelease();
        return scene;
    }
    delete scene;
    return nullptr;
}

bool spriteViewScene::initScene()
{
    if (!initWithTitle(""))
        return false;
    if (NSUI::NSSpriteView* view = NSUI::NSSpriteView::create()) {
        view->setTag(kViewTag);
        addContent(view, nullptr);
    }
    addShareButton();
    return true;
}

void spriteViewScene::addShareButton()
{
    Node* back = _layout ? _layout->getChildByNameDeep("goBack") : nullptr;
    auto* button = back ? ui::Button::create(kSharePicture, kSharePicture, kSharePicture) : nullptr;
    if (!button)
        return;
    // The back button's mirror image: as far from the right edge as it is from the left.
    const Vec2 at = back->getParent()->convertToWorldSpace(back->getPosition());
    button->setAnchorPoint(Vec2(1.0f, 0.5f));
    button->setPosition(Vec2(Director::getInstance()->getWinSize().width - at.x, at.y));
    button->setName(kShareButton);
    button->setPressedActionEnabled(true);
    button->addClickEventListener([this](Ref*) { share(); });
    addChild(button);
}

NSUI::NSSpriteView* spriteViewScene::getSpriteView() const
{
    return dynamic_cast<NSUI::NSSpriteView*>(getLayout()->getChildByTag(kViewTag));
}

void spriteViewScene::share()
{
    NSUI::NSSpriteView* view = getSpriteView();
    // Nothing to hand over before the caller has given the view a picture.
    if (!view || view->getImagePath().empty())
        return;
    getPlatformPath("", "", "");
}
