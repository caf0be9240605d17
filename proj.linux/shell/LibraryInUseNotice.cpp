#include "LibraryInUseNotice.h"

#include "lang/NSLanguage.h"
#include "ui/CocosGUI.h"

using namespace cocos2d;

namespace {

const Color3B kWindow(18, 19, 21), kPanel(32, 34, 38), kAccent(21, 170, 254), kAccentPressed(16, 130, 196);
const Color4B kPrimaryText(220, 222, 226, 255), kSecondaryText(150, 155, 162, 255);
const float kPanelWidth = 560, kMargin = 24, kButtonWidth = 112, kButtonHeight = 36;

// The language table is read here from the resources: the configuration, which keeps the
// program's own, lives in the library's settings.
std::string text(const NSUI::NSLanguage& language, const char* key, const char* english) {
    std::string found = language.getString(key);
    return found.empty() ? english : found;
}

Label* wrappedLabel(const std::string& words, float size, const Color4B& colour) {
    Label* label = Label::createWithSystemFont(words, "", size);
    label->setDimensions(kPanelWidth - 2 * kMargin, 0);
    label->setAlignment(TextHAlignment::LEFT);
    label->setTextColor(colour);
    label->setAnchorPoint(Vec2(0.0f, 1.0f));
    return label;
}

} // namespace

Scene* LibraryInUseNotice::createScene(const std::string& libraryFolder) {
    Scene* scene = Scene::create();
    const Size win = Director::getInstance()->getWinSize();
    scene->addChild(LayerColor::create(Color4B(kWindow), win.width, win.height));

    NSUI::NSLanguage language;
    language.setFileName("language.dat");
    language.loadLanguage();
    Label* title =
        wrappedLabel(text(language, "libraryInUseTitle", "This library is in use"), 20, kPrimaryText);
    Label* body = wrappedLabel(text(language, "libraryInUseText",
                                    "Another running workstation uses this library. This "
                                    "window opens nothing of it: close it and go on in the "
                                    "workstation that is already open."),
                               15, kPrimaryText);
    Label* folder = wrappedLabel(libraryFolder, 13, kSecondaryText);
    const float height = kMargin + title->getContentSize().height + 16 + body->getContentSize().height + 8 +
                         folder->getContentSize().height + 24 + kButtonHeight + kMargin;

    auto* panel = ui::Layout::create();
    panel->setContentSize(Size(kPanelWidth, height));
    panel->setPosition(Vec2((win.width - kPanelWidth) / 2, (win.height - height) / 2));
    panel->enableBKColor(true, kPanel, 1.0f);
    scene->addChild(panel);
    float top = height - kMargin;
    for (Label* label : {title, body, folder}) {
        label->setPosition(Vec2(kMargin, top));
        panel->addChild(label);
        top -= label->getContentSize().height + (label == title ? 16 : 8);
    }

    auto* button = ui::Layout::create();
    button->setName("libraryInUseClose");
    button->setContentSize(Size(kButtonWidth, kButtonHeight));
    button->setPosition(Vec2(kPanelWidth - kMargin - kButtonWidth, kMargin));
    button->enableBKColor(true, kAccent, 1.0f);
    button->setTouchEnabled(true);
    Label* caption = Label::createWithSystemFont(text(language, "closeButton", "Close"), "", 14);
    caption->setTextColor(kPrimaryText);
    caption->setPosition(Vec2(kButtonWidth / 2, kButtonHeight / 2));
    button->addChild(caption);
    button->addTouchEventListener([button](Ref*, ui::Widget::TouchEventType type) {
        const bool pressed =
            type == ui::Widget::TouchEventType::BEGAN || type == ui::Widget::TouchEventType::MOVED;
        button->setBackGroundColor(pressed ? kAccentPressed : kAccent);
        if (type == ui::Widget::TouchEventType::ENDED)
            Director::getInstance()->end();
    });
    panel->addChild(button);
    return scene;
}
