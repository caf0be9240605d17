// The account panel's pages: rows of text fields stacked upward from the main button, the
// extra buttons each page needs, and the background fitted to the panel.

#include "login/login.h"

#include "AppConfig.h"
#include "text/NSTextField.h"
#include "ui/CocosGUI.h"

using namespace cocos2d;

namespace {

// The fields' boxes: light, so the black typed text reads well on the dark panel.
const Color3B kRowColor(220, 222, 226);
const char* const kRowPicture = "UIRes/white.png";
const char* const kButtonPicture = "UIRes/blueBtn.png";

// Stretches a picture sprite to the size.
void sizeSprite(Sprite* sprite, const Size& size) {
    const Size& own = sprite->getContentSize();
    if (own.width > 0 && own.height > 0)
        sprite->setScale(size.width / own.width, size.height / own.height);
}

} // namespace

void login::showStartPage() {
    fitBackground();
    isSignedIn() ? showAccountPage() : showLoginPage();
}

void login::showLoginPage() {
    if (!beginPage(kSignInPage))
        return;
    addRow(0, "password", "Password", true);
    NSUI::NSTextField* name = addRow(1, "email", "Nickname or Email", false);
    std::string last = getStringForKey("app_login_string", "");
    if (name && !last.empty())
        name->setString(last);
    auto* login = static_cast<ui::Button*>(_layout->getChildByName("login"));
    if (ui::Button* button = addPageButton("new", getLanguageString("login.new"), login->getTitleFontSize() * 0.6f)) {
        button->setContentSize(Size(100, login->getTitleFontSize()));
        button->setAnchorPoint(Vec2(1, 0));
        button->setPosition(Vec2(_layout->getContentSize().width - 5, login->getPositionY() + 12));
    }
    setButtonState("send", true, getLanguageString("login.send"));
    setButtonState("login", true, getLanguageString("login.login"));
}

void login::showAccountPage() {
    if (!beginPage(kAccountPage))
        return;
    addNicknameLabel();
    auto* login = static_cast<ui::Button*>(_layout->getChildByName("login"));
    if (ui::Button* button =
            addPageButton("setMail", getLanguageString("login_set_mail"), login->getTitleFontSize() * 0.6f)) {
        button->setAnchorPoint(Vec2(0.5f, 0));
        button->setPosition(Vec2(_layout->getContentSize().width / 2, 10));
    }
    setButtonState("send", false);
    setButtonState("change", true);
    setButtonState("login", true, getLanguageString("login.logout"));
}

void login::showChangePasswordPage() {
    if (!beginPage(kChangePasswordPage))
        return;
    addRow(0, "password2", "Confirm Password", true);
    addRow(1, "password1", "New Password", true);
    addRow(2, "old", "Old password", true);
    addNicknameLabel();
    setButtonState("send", false);
    setButtonState("change", false);
    setButtonState("login", true, getLanguageString("login.change"));
}

void login::showRegisterPage() {
    if (!beginPage(kRegisterPage))
        return;
    addRow(0, "confirm", "Verify Code", false, true);
    addRow(1, "email", "Optional, email to protect your password", false);
    addRow(2, "password", "Password", true);
    addRow(3, "name", "Nickname", false);
    setButtonState("send", true, "View the Privacy Policy here");
    setButtonState("change", false);
    setButtonState("login", true, getLanguageString("login.register"));
}

void login::showSetMailPage() {
    if (!beginPage(kSetMailPage))
        return;
    addRow(0, "confirm", "Verify Code", false, true);
    addRow(1, "email", "Email to protect your password", false);
    addNicknameLabel();
    setButtonState("send", false);
    setButtonState("change", false);
    setButtonState("login", true, getLanguageString("login_setmail_btn"));
}

bool login::beginPage(int page) {
    Node* bk = _layout ? _layout->getChildByName("bk") : nullptr;
    auto* button = _layout ? dynamic_cast<ui::Button*>(_layout->getChildByName("login")) : nullptr;
    if (!bk || !button)
        return false;
    button->setLocalZOrder(bk->getLocalZOrder() + 1);
    std::vector<Node*> old;
    for (Node* child : _layout->getChildren())
        if (child->getTag() == kPageNodeTag)
            old.push_back(child);
    for (Node* child : old)
        child->removeFromParent();
    const float scale = AppConfig::getInstance()->phoneLayout ? 1.3f : 1.0f;
    _rowHeight = static_cast<int>(static_cast<int>(button->getContentSize().height) * scale);
    _fieldFontSize = static_cast<int>(button->getTitleFontSize()) - 18;
    _page = page;
    return true;
}

NSUI::NSTextField* login::addRow(int row, const char* name, const char* placeholder, bool masked,
                                 bool withCodeButton) {
    Node* bk = _layout->getChildByName("bk");
    auto* button = static_cast<ui::Button*>(_layout->getChildByName("login"));
    const float width = button->getContentSize().width;
    const float h = static_cast<float>(_rowHeight);
    const float y = (row + 1) * h + button->getPositionY();
    const int z = bk->getLocalZOrder();

    if (Sprite* back = Sprite::create(kRowPicture)) {
        back->setAnchorPoint(Vec2::ZERO);
        sizeSprite(back, Size(width - (withCodeButton ? 150 : 0), h - 10));
        back->setPosition(Vec2(0, y + 10));
        back->setColor(kRowColor);
        back->setTag(kPageNodeTag);
        _layout->addChild(back, z);
    }
    NSUI::NSTextField* field = NSUI::NSTextField::create(placeholder, Size(width - 40 - (withCodeButton ? 250 : 0), h));
    if (field) {
        field->setAnchorPoint(Vec2::ZERO);
        field->setPosition(Vec2(20, y + 14));
        field->setFontSize(_fieldFontSize);
        field->setPlaceHolderFontSize(_fieldFontSize);
        field->setTextColor(Color3B::BLACK);
        field->setSecureTextEntry(masked);
        field->setName(name);
        field->setTag(kPageNodeTag);
        field->refresh();
        _layout->addChild(field, z + 1);
    }
    if (withCodeButton) {
        auto* code = ui::Button::create(kButtonPicture, kButtonPicture, kButtonPicture);
        if (code) {
            code->setScale9Enabled(true);
            code->setCapInsets(Rect(5, 5, 20, 20));
            code->setContentSize(Size(230, h - 10));
            code->setTitleText(getLanguageString("login.getCode"));
            code->setTitleColor(Color3B::WHITE);
            code->setTitleFontSize(button->getTitleFontSize() * 0.6f);
            code->setAnchorPoint(Vec2(1, 0));
            code->setPosition(Vec2(_layout->getContentSize().width - 10, h + button->getPositionY() + 10));
            code->setName("getCode");
            code->setTag(kPageNodeTag);
            code->setPressedActionEnabled(true);
            code->addClickEventListener([this](Ref* sender) { onButtonClicked(sender); });
            _layout->addChild(code, z + 1);
        }
    }
    return field;
}

ui::Button* login::addPageButton(const char* name, const std::string& title, float fontSize) {
    auto* button = ui::Button::create();
    if (!button)
        return nullptr;
    // A button without a picture takes its size from its title: the size first.
    button->setTitleFontSize(fontSize);
    button->setTitleText(title);
    button->setTitleColor(Color3B::WHITE);
    button->setName(name);
    button->setTag(kPageNodeTag);
    button->setPressedActionEnabled(true);
    button->addClickEventListener([this](Ref* sender) { onButtonClicked(sender); });
    Node* bk = _layout->getChildByName("bk");
    _layout->addChild(button, bk->getLocalZOrder() + 2);
    return button;
}

void login::addNicknameLabel() {
    std::string nickname = getStringForKey("app_login_nickname", "");
    if (_inScene) {
        if (auto* title = dynamic_cast<ui::Text*>(getParent() ? getParent()->getChildByNameDeep("title") : nullptr))
            title->setString(nickname);
        return;
    }
    Label* label = Label::createWithSystemFont(nickname, "", 30);
    if (!label)
        return;
    label->setTextColor(Color4B::WHITE);
    label->setAnchorPoint(Vec2(0.5f, 1));
    const Size& size = _layout->getContentSize();
    label->setPosition(Vec2(size.width / 2, size.height - 13));
    label->setTag(kPageNodeTag);
    _layout->addChild(label, _layout->getChildByName("bk")->getLocalZOrder() + 1);
}

void login::setButtonState(const char* name, bool visible, const std::string& title) {
    auto* button = dynamic_cast<ui::Button*>(_layout->getChildByName(name));
    if (!button)
        return;
    button->setVisible(visible);
    if (!title.empty())
        button->setTitleText(title);
}

void login::fitBackground() {
    auto* bk = _layout ? dynamic_cast<Sprite*>(_layout->getChildByName("bk")) : nullptr;
    if (!bk || bk->getContentSize().height <= 0 || bk->getContentSize().width <= 0)
        return;
    const Size& size = _layout->getContentSize();
    const float scale = size.height / bk->getContentSize().height;
    const float tile = bk->getContentSize().width * scale;
    // A picture narrower than a pixel once scaled would take endless copies to fill the row.
    if (!(tile >= 1.0f))
        return;
    bk->setScale(scale);
    bk->setAnchorPoint(Vec2(0, 1));
    bk->setPosition(Vec2(0, size.height));
    // Copies of the picture, every second one mirrored, until the row reaches the right edge;
    // the last one is narrowed to end there.
    float covered = tile;
    for (int i = 1; covered < size.width; ++i) {
        Sprite* copy = Sprite::createWithTexture(bk->getTexture());
        if (!copy)
            break;
        copy->setAnchorPoint(Vec2(0, 1));
        copy->setColor(bk->getColor());
        copy->setFlippedX(i % 2 == 1);
        const float width = std::min(tile, size.width - covered);
        copy->setScale(scale * width / tile, scale);
        copy->setPosition(Vec2(covered, size.height));
        _layout->addChild(copy, bk->getLocalZOrder());
        covered += width;
    }
}
