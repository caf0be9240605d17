#include "overlay/NSActivity.h"

#include "2d/Label.h"
#include "2d/Sprite.h"
#include "base/PlainSprite.h"
#include "2d/actions/RepeatForever.h"
#include "2d/actions/RotateBy.h"
#include "notify/NSNotificationCenter.h"
#include "notify/NSNotificationData.h"
#include "ui/Button.h"

namespace NSUI {

using namespace cocos2d;

namespace {
NSActivity* g_activity = nullptr;

bool isInRunningScene(Node* node) {
    Scene* running = Director::getInstance()->getRunningScene();
    return running && node && node->getScene() == running && node->isRunning();
}
} // namespace

NSActivity* NSActivity::current() {
    return g_activity;
}

NSActivity* NSActivity::show(Node* parent) {
    if (g_activity) {
        // The screen it was shown on may have been replaced: a busy overlay that nobody can
        // see would leave the user without feedback, so it follows onto the new screen.
        if (!isInRunningScene(g_activity)) {
            Node* target = isInRunningScene(parent) ? parent : Director::getInstance()->getRunningScene();
            if (target && g_activity->getParent() != target) {
                g_activity->removeFromParentAndCleanup(false);
                target->addChild(g_activity);
                // The old screen's clean-up stopped the spinner.
                Node* spinner = g_activity->getChildByTag(kSpinnerTag);
                if (spinner && spinner->getNumberOfRunningActions() == 0)
                    spinner->runAction(RepeatForever::create(RotateBy::create(2.0f, 360.0f)));
            }
        }
        return g_activity;
    }
    auto* activity = new (std::nothrow) NSActivity();
    if (!activity)
        return nullptr;
    activity->autorelease();
    if (!activity->init())
        return nullptr;
    activity->retain();
    g_activity = activity;
    if (parent)
        parent->addChild(activity);
    return activity;
}

void NSActivity::hide() {
    if (g_activity)
        g_activity->remove();
}

NSActivity* NSActivity::showHeld(Node* parent, NSActivity*& held) {
    // The held overlay is retained, so one up at its address is that one, still up.
    if (g_activity && g_activity == held)
        return show(parent);
    // What was held has been taken down; one up now belongs to someone else and is left to it.
    CC_SAFE_RELEASE_NULL(held);
    if (g_activity)
        return nullptr;
    NSActivity* activity = show(parent);
    if (activity) {
        activity->retain();
        held = activity;
    }
    return activity;
}

void NSActivity::hideHeld(NSActivity*& held) {
    // Compared by the held reference: one shown later at the same address is not this one.
    if (held && g_activity == held)
        held->remove();
    CC_SAFE_RELEASE_NULL(held);
}

bool NSActivity::init() {
    if (!ui::Layout::init())
        return false;
    message.clear();
    textColor = Color4B(0, 0, 255, 255);
    setContentSize(Director::getInstance()->getVisibleSize());
    setAnchorPoint(Vec2::ZERO);
    setPosition(Vec2::ZERO);
    enableBKColor(true, Color3B::WHITE, 0.7f);
    setName("activity");
    setLocalZOrder(10500);
    setTouchEnabled(true);

    auto callback = [this](Ref* sender, unsigned int id, NSNotificationData* data) {
        onNotification(sender, id, data);
    };
    NSNotificationCenter::getInstance()->addObserver(this, nullptr, callback, kProgressId);
    NSNotificationCenter::getInstance()->addObserver(this, nullptr, callback, kBusyTextId);

    const Size& size = getContentSize();
    Sprite* spinner = createSpriteOrPlain("UIRes/rotation.png", Size(40, 40), Color3B(0, 0, 255));
    spinner->setAnchorPoint(Vec2(0.5f, 0.5f));
    spinner->setPosition(Vec2(size.width / 2, size.height / 2));
    addChild(spinner, 0, kSpinnerTag);
    spinner->runAction(RepeatForever::create(RotateBy::create(2.0f, 360.0f)));
    return true;
}

void NSActivity::onNotification(Ref*, unsigned int id, NSNotificationData* data) {
    if (!data)
        return;
    if (id == kProgressId) {
        char text[32];
        snprintf(text, sizeof(text), "%i", data->intValue);
        if (auto* label = dynamic_cast<Label*>(getChildByTag(kProgressTag))) {
            label->setString(text);
            return;
        }
        Label* label = Label::createWithSystemFont(text, "", 30);
        const Size& size = getContentSize();
        label->setPosition(Vec2(size.width / 2, size.height / 2));
        label->setTextColor(textColor);
        addChild(label, 1, kProgressTag);
    } else if (id == kBusyTextId) {
        setText(data->text);
    }
}

void NSActivity::setText(const std::string& text) {
    message = text;
    if (auto* label = dynamic_cast<Label*>(getChildByTag(kMessageTag))) {
        label->setString(text);
        return;
    }
    Label* label = Label::createWithSystemFont(text, "", 40);
    const Size& size = getContentSize();
    label->setPosition(Vec2(size.width / 2, size.height / 2 + 100));
    label->setTextColor(textColor);
    addChild(label, 1, kMessageTag);
}

void NSActivity::addButton(const std::string& title, const Color3B& titleColor) {
    ui::Button* button = ui::Button::create();
    button->setTitleText(title);
    button->setTitleColor(titleColor);
    button->setTitleFontSize(25);
    const Size& size = getContentSize();
    button->setPosition(Vec2(size.width / 2, size.height / 2 - 150));
    button->addClickEventListener([this](Ref*) {
        NSNotificationCenter::getInstance()->postNotification(this, kButtonId, nullptr, nullptr, true);
    });
    addChild(button, getLocalZOrder() + 1);
}

void NSActivity::remove() {
    NSNotificationCenter::getInstance()->removeObserver(this);
    if (Node* spinner = getChildByTag(kSpinnerTag))
        spinner->stopAllActions();
    stopAllActions();
    removeAllChildrenWithCleanup(true);
    if (g_activity == this)
        g_activity = nullptr;
    removeFromParent();
    release();
}

} // namespace NSUI
