#include "ui/Button.h"

#include "2d/Label.h"
#include "ui/Scale9Sprite.h"
#include "ui/Text.h"

namespace cocos2d {
namespace ui {

Button* Button::create() {
    auto* button = new Button();
    if (!button->init()) {
        delete button;
        return nullptr;
    }
    button->autorelease();
    return button;
}

Button* Button::create(const std::string& normalImage, const std::string& selectedImage,
                       const std::string& disableImage, TextureResType type) {
    auto* button = new Button();
    if (!button->init(normalImage, selectedImage, disableImage, type)) {
        delete button;
        return nullptr;
    }
    button->autorelease();
    return button;
}

bool Button::init() {
    if (!Widget::init())
        return false;
    setTouchEnabled(true);
    return true;
}

bool Button::init(const std::string& normalImage, const std::string& selectedImage,
                  const std::string& disableImage, TextureResType type) {
    if (!init())
        return false;
    loadTextures(normalImage, selectedImage, disableImage, type);
    return true;
}

void Button::initRenderer() {
    _normalRenderer = Scale9Sprite::create();
    _clickedRenderer = Scale9Sprite::create();
    _disabledRenderer = Scale9Sprite::create();
    for (Scale9Sprite* r : {_normalRenderer, _clickedRenderer, _disabledRenderer}) {
        r->setScale9Enabled(false);
        addProtectedChild(r, -2);
    }
    _titleRenderer = Label::createWithSystemFont("", "", _titleFontSize);
    _titleRenderer->setAnchorPoint(Vec2::ANCHOR_MIDDLE);
    addProtectedChild(_titleRenderer, -1);
    showOnly(_normalRenderer);
}

std::string Button::getDescription() const {
    return "Button";
}

void Button::loadTextures(const std::string& normal, const std::string& selected, const std::string& disabled,
                          TextureResType type) {
    loadTextureNormal(normal, type);
    loadTexturePressed(selected, type);
    loadTextureDisabled(disabled, type);
}

void Button::loadTextureNormal(const std::string& normal, TextureResType /*type*/) {
    if (normal.empty() || !_normalRenderer->initWithFile(normal))
        _normalRenderer->clearTexture();
    _normalFile = _normalRenderer->hasTexture() ? normal : std::string();
    updateSizeFromRenderers();
}

void Button::loadTexturePressed(const std::string& selected, TextureResType /*type*/) {
    if (selected.empty() || !_clickedRenderer->initWithFile(selected))
        _clickedRenderer->clearTexture();
    _pressedFile = _clickedRenderer->hasTexture() ? selected : std::string();
    updateSizeFromRenderers();
}

void Button::loadTextureDisabled(const std::string& disabled, TextureResType /*type*/) {
    if (disabled.empty() || !_disabledRenderer->initWithFile(disabled))
        _disabledRenderer->clearTexture();
    _disabledFile = _disabledRenderer->hasTexture() ? disabled : std::string();
    updateSizeFromRenderers();
}

void Button::updateSizeFromRenderers() {
    for (Scale9Sprite* r : {_normalRenderer, _clickedRenderer, _disabledRenderer})
        r->setCapInsets(_capInsets);
    rendererChanged();
    if (!_bright)
        onPressStateChangedToDisabled();
    else if (_highlight)
        onPressStateChangedToPressed();
    else
        onPressStateChangedToNormal();
}

void Button::setScale9Enabled(bool enabled) {
    _scale9Enabled = enabled;
    for (Scale9Sprite* r : {_normalRenderer, _clickedRenderer, _disabledRenderer})
        r->setScale9Enabled(enabled);
    if (enabled && _ignoreSize)
        ignoreContentAdaptWithSize(false);
    adaptRenderers();
}

void Button::setCapInsets(const Rect& capInsets) {
    _capInsets = capInsets;
    for (Scale9Sprite* r : {_normalRenderer, _clickedRenderer, _disabledRenderer})
        r->setCapInsets(capInsets);
}

void Button::ignoreContentAdaptWithSize(bool ignore) {
    Widget::ignoreContentAdaptWithSize(_scale9Enabled ? false : ignore);
    adaptRenderers();
}

Size Button::getVirtualRendererSize() const {
    if (_normalRenderer && _normalRenderer->hasTexture())
        return _normalRenderer->getOriginalSize();
    if (_titleRenderer && !_titleRenderer->getString().empty())
        return _titleRenderer->getContentSize();
    return _contentSize;
}

Node* Button::getVirtualRenderer() {
    if (!_bright)
        return _disabledRenderer;
    return _highlight ? _clickedRenderer : _normalRenderer;
}

void Button::adaptRenderers() {
    const Vec2 centre(_contentSize.width * 0.5f, _contentSize.height * 0.5f);
    for (Scale9Sprite* r : {_normalRenderer, _clickedRenderer, _disabledRenderer}) {
        r->setPreferredSize(_contentSize);
        r->setPosition(centre);
    }
    _titleRenderer->setPosition(centre);
}

void Button::showOnly(Scale9Sprite* renderer) {
    // A state without a picture of its own shows the normal picture.
    if (!renderer->hasTexture())
        renderer = _normalRenderer;
    for (Scale9Sprite* r : {_normalRenderer, _clickedRenderer, _disabledRenderer})
        r->setVisible(r == renderer);
}

void Button::onPressStateChangedToNormal() {
    showOnly(_normalRenderer);
    if (_pressedActionEnabled) {
        for (Scale9Sprite* r : {_normalRenderer, _clickedRenderer, _disabledRenderer})
            r->setScale(1.0f);
        _titleRenderer->setScale(1.0f);
    }
}

void Button::onPressStateChangedToPressed() {
    showOnly(_clickedRenderer);
    if (_pressedActionEnabled) {
        const float zoom = 1.0f + _zoomScale;
        for (Scale9Sprite* r : {_normalRenderer, _clickedRenderer, _disabledRenderer})
            r->setScale(zoom);
        _titleRenderer->setScale(zoom);
    }
}

void Button::onPressStateChangedToDisabled() {
    showOnly(_disabledRenderer);
    for (Scale9Sprite* r : {_normalRenderer, _clickedRenderer, _disabledRenderer})
        r->setScale(1.0f);
    _titleRenderer->setScale(1.0f);
}

void Button::setTitleText(const std::string& text) {
    _titleRenderer->setString(text);
    if (_ignoreSize && !_normalRenderer->hasTexture())
        updateSizeFromRenderers();
}

std::string Button::getTitleText() const {
    return _titleRenderer->getString();
}

void Button::setTitleColor(const Color3B& color) {
    _titleRenderer->setTextColor(Color4B(color.r, color.g, color.b, 255));
}

Color3B Button::getTitleColor() const {
    const Color4B& c = _titleRenderer->getTextColor();
    return Color3B(c.r, c.g, c.b);
}

void Button::setTitleFontSize(float size) {
    _titleFontSize = size;
    Text::applyFont(_titleRenderer, _titleFontName, _titleFontSize);
}

void Button::setTitleFontName(const std::string& name) {
    _titleFontName = name;
    Text::applyFont(_titleRenderer, _titleFontName, _titleFontSize);
}

Widget* Button::createCloneInstance() {
    return Button::create();
}

void Button::copySpecialProperties(Widget* model) {
    auto* button = dynamic_cast<Button*>(model);
    if (!button)
        return;
    setScale9Enabled(button->_scale9Enabled);
    setCapInsets(button->_capInsets);
    loadTextures(button->_normalFile, button->_pressedFile, button->_disabledFile);
    setTitleFontName(button->_titleFontName);
    setTitleFontSize(button->_titleFontSize);
    setTitleText(button->getTitleText());
    setTitleColor(button->getTitleColor());
    setPressedActionEnabled(button->_pressedActionEnabled);
    setZoomScale(button->_zoomScale);
}

} // namespace ui
} // namespace cocos2d
