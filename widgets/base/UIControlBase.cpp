#include "base/UIControlBase.h"

#include "ui/Text.h"

namespace NSUI {

using namespace cocos2d;

ui::Layout* UIControlBase::createMessageBox() {
    ui::Layout* box = ui::Layout::create();
    if (!box)
        return nullptr;
    box->setName(kMessageBoxName);
    box->setBackGroundColorType(ui::Layout::BackGroundColorType::SOLID);
    box->setBackGroundColor(Color3B::BLACK);
    box->setBackGroundColorOpacity(kMessageBoxOpacity);

    ui::Text* text = ui::Text::create("", "", 23);
    text->setName(kMessageTextName);
    text->setTextColor(Color4B(255, 255, 255, 255));
    text->setAnchorPoint(Vec2(0.5f, 0.5f));
    text->enableShadow(Color4B(0, 0, 0, 255), Size(2, -2));
    text->setPositionType(ui::Widget::PositionType::PERCENT);
    text->setPositionPercent(Vec2(0.5f, 0.5f));
    box->addChild(text);
    return box;
}

void UIControlBase::showMessageBox(const std::string& text, float seconds) {
    Scene* scene = Director::getInstance()->getRunningScene();
    if (!scene) {
        log("showMessageBox: no running scene for \"%s\"", text.c_str());
        return;
    }
    Node* box = scene->getChildByName(kMessageBoxName);
    if (!box) {
        ui::Layout* built = createMessageBox();
        if (!built)
            return;
        scene->addChild(built);
        built->setName(kMessageBoxName);
        built->setPosition(relativeWindowPoint(0.5f, 0.15f));
        built->setContentSize(Size(Director::getInstance()->getWinSize().width * 0.8f, 80.0f));
        built->setAnchorPoint(Vec2(0.5f, 0.5f));
        built->setLocalZOrder(30000);
        box = built;
    }
    if (auto* label = dynamic_cast<ui::Text*>(box->getChildByNameDeep(kMessageTextName)))
        label->setString(text);
    if (!box->isVisible())
        box->setVisible(true);
    scene->setMessageNode(box, seconds);
}

Vec2 UIControlBase::relativeWindowPoint(float rx, float ry) {
    const Size& win = Director::getInstance()->getWinSize();
    return Vec2(win.width * rx, win.height * ry);
}

void UIControlBase::setRelativeLayoutParameter(int align, const std::string& relativeName,
                                               const ui::Margin& margin) {
    auto* widget = dynamic_cast<ui::Widget*>(_controlOwner);
    if (!widget || align < 1 || align > 9)
        return;
    auto* parameter = ui::RelativeLayoutParameter::create();
    parameter->setAlign(static_cast<ui::RelativeLayoutParameter::RelativeAlign>(align));
    widget->setLayoutParameter(parameter);
    parameter->setRelativeName(relativeName);
    parameter->setMargin(margin);
}

} // namespace NSUI
