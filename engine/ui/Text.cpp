#include "ui/Text.h"

#include "2d/Label.h"
#include "platform/FileUtils.h"

namespace cocos2d {
namespace ui {

Text* Text::create() {
    auto* text = new Text();
    if (!text->init()) {
        delete text;
        return nullptr;
    }
    text->autorelease();
    return text;
}

Text* Text::create(const std::string& text, const std::string& fontName, float fontSize) {
    auto* widget = new Text();
    if (!widget->init(text, fontName, fontSize)) {
        delete widget;
        return nullptr;
    }
    widget->autorelease();
    return widget;
}

void Text::applyFont(Label* label, const std::string& name, float size) {
    if (!name.empty() && FileUtils::getInstance()->isFileExist(name)) {
        label->setTTFConfig(TTFConfig(name, size));
    } else {
        label->setSystemFontName(name);
        label->setSystemFontSize(size);
    }
}

bool Text::init() {
    return Widget::init();
}

bool Text::init(const std::string& text, const std::string& fontName, float fontSize) {
    if (!Widget::init())
        return false;
    setFontName(fontName);
    setFontSize(fontSize);
    setString(text);
    return true;
}

void Text::initRenderer() {
    _labelRenderer = Label::createWithSystemFont("", "", _fontSize);
    addProtectedChild(_labelRenderer, -1);
}

std::string Text::getDescription() const {
    return "Label";
}

void Text::setString(const std::string& text) {
    if (text == _labelRenderer->getString())
        return;
    _labelRenderer->setString(text);
    rendererChanged();
}

const std::string& Text::getString() const {
    return _labelRenderer->getString();
}

ssize_t Text::getStringLength() const {
    return _labelRenderer->getStringLength();
}

void Text::setFontSize(float size) {
    _fontSize = size;
    applyFont(_labelRenderer, _fontName, _fontSize);
    rendererChanged();
}

void Text::setFontName(const std::string& name) {
    _fontName = name;
    applyFont(_labelRenderer, _fontName, _fontSize);
    rendererChanged();
}

void Text::setTextColor(const Color4B& color) {
    _labelRenderer->setTextColor(color);
}

const Color4B& Text::getTextColor() const {
    return _labelRenderer->getTextColor();
}

void Text::setTextHorizontalAlignment(TextHAlignment alignment) {
    _labelRenderer->setHorizontalAlignment(alignment);
}

TextHAlignment Text::getTextHorizontalAlignment() const {
    return _labelRenderer->getHorizontalAlignment();
}

void Text::setTextVerticalAlignment(TextVAlignment alignment) {
    _labelRenderer->setVerticalAlignment(alignment);
}

TextVAlignment Text::getTextVerticalAlignment() const {
    return _labelRenderer->getVerticalAlignment();
}

void Text::setTextAreaSize(const Size& size) {
    _labelRenderer->setDimensions(size.width, size.height);
    if (size.width > 0 && size.height > 0) {
        ignoreContentAdaptWithSize(false);
        setContentSize(size);
    }
    rendererChanged();
}

const Size& Text::getTextAreaSize() const {
    return _labelRenderer->getDimensions();
}

void Text::enableShadow(const Color4B& color, const Size& offset, int blur) {
    _labelRenderer->enableShadow(color, offset, blur);
}

void Text::disableEffect() {
    _labelRenderer->disableEffect();
}

bool Text::isShadowEnabled() const {
    return _labelRenderer->isShadowEnabled();
}

Size Text::getVirtualRendererSize() const {
    return _labelRenderer->getContentSize();
}

Node* Text::getVirtualRenderer() {
    return _labelRenderer;
}

void Text::ignoreContentAdaptWithSize(bool ignore) {
    // A text that follows its string again drops the fixed box.
    if (ignore && !_ignoreSize)
        _labelRenderer->setDimensions(0, 0);
    Widget::ignoreContentAdaptWithSize(ignore);
}

void Text::adaptRenderers() {
    if (!_ignoreSize)
        _labelRenderer->setDimensions(_contentSize.width, _contentSize.height);
    _labelRenderer->setAnchorPoint(Vec2::ANCHOR_MIDDLE);
    _labelRenderer->setPosition(Vec2(_contentSize.width * 0.5f, _contentSize.height * 0.5f));
}

void Text::onPressStateChangedToNormal() {
    _labelRenderer->setScale(1.0f);
}

void Text::onPressStateChangedToPressed() {
    if (_touchScaleChangeEnabled)
        _labelRenderer->setScale(1.5f);
}

void Text::onPressStateChangedToDisabled() {
    _labelRenderer->setScale(1.0f);
}

Widget* Text::createCloneInstance() {
    return Text::create();
}

void Text::copySpecialProperties(Widget* model) {
    auto* text = dynamic_cast<Text*>(model);
    if (!text)
        return;
    setFontName(text->_fontName);
    setFontSize(text->_fontSize);
    setTextColor(text->getTextColor());
    setString(text->getString());
    setTextHorizontalAlignment(text->getTextHorizontalAlignment());
    setTextVerticalAlignment(text->getTextVerticalAlignment());
    if (!text->_ignoreSize)
        setTextAreaSize(text->getTextAreaSize());
    if (text->isShadowEnabled())
        enableShadow();
    setTouchScaleChangeEnabled(text->_touchScaleChangeEnabled);
}

} // namespace ui
} // namespace cocos2d
