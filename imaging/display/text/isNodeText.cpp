#include "imaging/display/text/isNodeText.h"

#include "base/Touch.h"
#include "framework/notify/NSNotificationCenter.h"
#include "ui/Layout.h"

namespace isImageSDK {

isNodeText* isNodeText::create() {
    auto* text = new (std::nothrow) isNodeText();
    if (text && text->init()) {
        text->autorelease();
        return text;
    }
    delete text;
    return nullptr;
}

bool isNodeText::init() {
    if (!cocos2d::ui::Text::init())
        return false;
    setFontName("");
    setTouchEnabled(false); // the owner turns dragging on
    dragged = false;
    backgroundBox = cocos2d::ui::Layout::create();
    if (!backgroundBox)
        return false;
    backgroundBox->setBackGroundColor(cocos2d::Color3B::BLACK);
    backgroundBox->setBackGroundColorType(cocos2d::ui::Layout::BackGroundColorType::SOLID);
    backgroundBox->setBackGroundColorOpacity(kBoxOpacity);
    backgroundBox->setContentSize(getContentSize());
    addChild(backgroundBox, kBoxZOrder);
    return true;
}

void isNodeText::onSizeChanged() {
    cocos2d::ui::Text::onSizeChanged();
    if (backgroundBox)
        backgroundBox->setContentSize(getContentSize());
}

bool isNodeText::onTouchBegan(cocos2d::Touch* touch, cocos2d::Event* event) {
    return cocos2d::ui::Text::onTouchBegan(touch, event);
}

void isNodeText::onTouchMoved(cocos2d::Touch* touch, cocos2d::Event*) {
    cocos2d::Node* parent = getParent();
    if (!_hitted || !parent)
        return;
    const cocos2d::Vec2 previous = parent->convertToNodeSpace(touch->getPreviousLocation());
    const cocos2d::Vec2 current = parent->convertToNodeSpace(touch->getLocation());
    setPosition(getPosition() + (current - previous));
    dragged = true;
    // One waiting announcement per label is enough: a long drag must not fill the queue that
    // delivers one notification per frame.
    auto* centre = NSUI::NSNotificationCenter::getInstance();
    centre->cancelNotification(this, kDraggedId, parent);
    centre->postNotification(this, kDraggedId, nullptr, parent, false);
}

void isNodeText::onTouchEnded(cocos2d::Touch* touch, cocos2d::Event* event) {
    cocos2d::ui::Text::onTouchEnded(touch, event);
    _hitted = false;
}

void isNodeText::onTouchCancelled(cocos2d::Touch* touch, cocos2d::Event* event) {
    cocos2d::ui::Text::onTouchCancelled(touch, event);
    _hitted = false;
}

} // namespace isImageSDK
