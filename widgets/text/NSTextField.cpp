#include "text/NSTextField.h"

#include <algorithm>
#include <mutex>

#include "2d/Sprite.h"
#include "base/PlainSprite.h"
#include "base/Touch.h"
#include "lang/NSLanguage.h"
#include "platform/GLView.h"
#include "scroll/UIScrollViewBase.h"
#include "text/NSRichElementText.h"
#include "text/Utf8Chars.h"

namespace NSUI {

using namespace cocos2d;

namespace {
std::string& defaultCursorImage() {
    static std::string image = "UIRes/cursorBlack.png";
    return image;
}
} // namespace

void NSTextField::setDefaultCursorImage(const std::string& file) {
    defaultCursorImage() = file;
}

NSTextField* NSTextField::create(const std::string& placeHolder, const Size& size) {
    auto* field = new (std::nothrow) NSTextField();
    if (!field)
        return nullptr;
    if (!field->init(placeHolder, size)) {
        field->release();
        return nullptr;
    }
    field->autorelease();
    if (!placeHolder.empty())
        field->setPlaceHolder(placeHolder);
    return field;
}

void NSTextField::registerLanguageApplier() {
    static std::once_flag once;
    std::call_once(once, [] {
        NSLanguage::addTextApplier([](Node* node, const std::string& text) {
            auto* field = dynamic_cast<NSTextField*>(node);
            if (field)
                field->setPlaceHolder(text);
            return field != nullptr;
        });
    });
}

NSTextField::~NSTextField() {
    unschedule(kBlinkKey);
}

bool NSTextField::init(const std::string& holder, const Size& size) {
    if (!NSRichText::init())
        return false;
    cursorImage = defaultCursorImage();
    placeHolder = holder.empty() ? " " : holder;
    setContentSize(size);
    touchRect = Rect(0, 0, size.width, size.height);
    setPlaceHolder(placeHolder);
    placeHolderShown = true;
    setTouchEnabled(true);
    // Other listeners see the touch too: the field only takes or drops the keyboard.
    setSwallowTouches(false);
    return true;
}

Node* NSTextField::getCaretNode() const {
    return scrollView->getChildByTag(kCaretTag);
}

void NSTextField::setPlaceHolder(const std::string& holder) {
    placeHolder = holder.empty() ? " " : holder;
    if (!elements.empty() && !placeHolderShown)
        return;
    renderPlain(placeHolder, placeHolderFontName, placeHolderFontSize, placeHolderColor);
    placeHolderShown = true;
}

void NSTextField::setString(const std::string& newText) {
    text.clear();
    caretIndex = 0;
    removeAllElements();
    if (newText.empty()) {
        // A blank field shows its placeholder again.
        renderPlain(placeHolder, placeHolderFontName, placeHolderFontSize, placeHolderColor);
        placeHolderShown = true;
        return;
    }
    // Inserted as into an empty field, so nothing of the old content's scroll carries over.
    placeHolderShown = true;
    updateText(newText);
}

void NSTextField::setLineHeight(int height) {
    NSRichText::setLineHeight(height);
    refresh();
}

void NSTextField::refresh() {
    if (!placeHolderShown && !elements.empty())
        setString(std::string(text));
    else
        setPlaceHolder(placeHolder);
}

bool NSTextField::hitTest(const Vec2& point) {
    Vec2 p = convertToNodeSpace(point);
    return Rect(0, 0, getContentSize().width, static_cast<float>(lineHeight)).containsPoint(p);
}

bool NSTextField::attachWithIME() {
    if (!IMEDelegate::attachWithIME())
        return false;
    if (GLView* view = Director::getInstance()->getOpenGLView())
        view->setIMEKeyboardState(true);
    if (!isScheduled(kBlinkKey))
        schedule([this](float) { blinkCaret(); }, 0.5f, CC_REPEAT_FOREVER, 0.5f, kBlinkKey);
    return true;
}

bool NSTextField::detachWithIME() {
    bool detached = IMEDelegate::detachWithIME();
    if (detached)
        if (GLView* view = Director::getInstance()->getOpenGLView())
            view->setIMEKeyboardState(false);
    unschedule(kBlinkKey);
    hideCaret();
    return detached;
}

void NSTextField::onExit() {
    detachWithIME();
    NSRichText::onExit();
}

bool NSTextField::onTouchBegan(Touch* touch, Event*) {
    Vec2 p = convertToNodeSpace(touch->getLocation());
    _hitted = p.x > touchRect.getMinX() && p.x < touchRect.getMaxX() && p.y > touchRect.getMinY() &&
              p.y < touchRect.getMaxY() && isAncestorsVisible(this);
    if (_hitted) {
        attachWithIME();
        caretIndex = std::max(0, indexAtTouch(touch));
        if (placeHolderShown)
            caretIndex = 0;
        caretPosition = positionOfIndex(caretIndex);
        hideCaret();
    } else {
        detachWithIME();
    }
    return false;
}

void NSTextField::interceptTouchEvent(TouchEventType event, ui::Widget*, Touch* touch) {
    if (event == TouchEventType::BEGAN)
        onTouchBegan(touch, nullptr);
}

bool NSTextField::isAllDigits(const std::string& s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool NSTextField::isInputValid(int mode, const std::string& current, const std::string& input) {
    switch (mode) {
    case kInputInteger:
        if (input == "-")
            return current.empty();
        return isAllDigits(input);
    case kInputDecimal:
        if (input == "-")
            return current.empty();
        if (input == ".")
            return !current.empty() && current.find('.') == std::string::npos;
        return isAllDigits(input);
    default:
        return true;
    }
}

void NSTextField::insertText(const char* bytes, size_t len) {
    if (!bytes)
        return;
    std::string typed(bytes, len);
    size_t lf = typed.find('\n');
    if (lf != std::string::npos)
        typed.resize(lf);
    if (typed.empty())
        return;
    if (maxLengthEnabled) {
        int current = placeHolderShown ? 0 : static_cast<int>(elements.size());
        if (current >= maxLength)
            return;
    }
    if (!isInputValid(inputMode, text, typed))
        return;
    updateText(typed);
    if (callback)
        callback(this, kTextInserted);
}

void NSTextField::updateText(const std::string& typed) {
    size_t shown = utf8Count(text);
    std::string prefix, suffix;
    if (caretIndex <= 0) {
        suffix = text;
    } else if (static_cast<size_t>(caretIndex) < shown) {
        prefix = utf8Prefix(text, caretIndex);
        suffix = utf8Suffix(text, caretIndex);
    } else {
        prefix = text;
    }
    hideCaret();
    ui::Layout* inner = scrollView->getInnerContainer();
    bool hadPlaceHolder = placeHolderShown;
    float oldY = inner->getPositionY();
    float oldHeight = inner->getContentSize().height;
    if (placeHolderShown) {
        removeAllElements();
        placeHolderShown = false;
        caretIndex = 0;
        prefix.clear();
        suffix = text;
    }
    for (const std::string& ch : utf8Characters(typed)) {
        auto* element =
            NSRichElementText::create(static_cast<int>(elements.size()) + 1, secureTextEntry ? maskText : ch,
                                      fontName, static_cast<float>(fontSize), textColor, 255);
        insertElement(element, caretIndex, false);
        ++caretIndex;
    }
    formatText();
    float newHeight = inner->getContentSize().height;
    if (!hadPlaceHolder && newHeight > static_cast<float>(lineHeight))
        inner->setPositionY(oldY - (newHeight - oldHeight));
    caretPosition = positionOfIndex(caretIndex);
    if (caretPosition.y + inner->getPositionY() < 0.0f)
        inner->setPositionY(-caretPosition.y);
    text = prefix + typed + suffix;
}

void NSTextField::deleteBackward() {
    if (placeHolderShown || elements.empty() || caretIndex <= 0)
        return;
    caretIndex = std::min(caretIndex, static_cast<int>(elements.size()));
    hideCaret();
    ui::Layout* inner = scrollView->getInnerContainer();
    float oldY = inner->getPositionY();
    float oldHeight = inner->getContentSize().height;
    removeElement(caretIndex - 1);
    text = utf8Prefix(text, caretIndex - 1) + utf8Suffix(text, caretIndex);
    --caretIndex;
    float newHeight = inner->getContentSize().height;
    if (newHeight > static_cast<float>(lineHeight))
        inner->setPositionY(oldY - (newHeight - oldHeight));
    if (elements.empty()) {
        renderPlain(placeHolder, placeHolderFontName, placeHolderFontSize, placeHolderColor);
        placeHolderShown = true;
        text.clear();
        caretIndex = 0;
    }
    caretPosition = positionOfIndex(caretIndex);
    float height = getContentSize().height;
    if (caretPosition.y > height - inner->getPositionY() - fontSize)
        inner->setPositionY(height - fontSize - caretPosition.y + 1.0f);
    if (callback)
        callback(this, kCharacterDeleted);
}

void NSTextField::renderPlain(const std::string& plain, const std::string& font, int size,
                              const Color3B& color) {
    removeAllElements();
    for (const std::string& ch : utf8Characters(plain)) {
        auto* element = NSRichElementText::create(static_cast<int>(elements.size()) + 1, ch, font,
                                                  static_cast<float>(size), color, 255);
        pushBackElement(element, false);
    }
    formatText();
    scrollView->setContentOffset(Vec2(scrollView->getInnerContainer()->getPositionX(), 0.0f));
}

void NSTextField::hideCaret() {
    if (Node* caret = getCaretNode())
        caret->setVisible(false);
}

void NSTextField::blinkCaret() {
    Node* caret = getCaretNode();
    if (!caret) {
        Sprite* sprite = cursorImage.empty() ? Sprite::create()
                                             : createSpriteOrPlain(cursorImage, Size(2, 20), Color3B::BLACK);
        sprite->setVisible(false);
        sprite->setAnchorPoint(Vec2::ZERO);
        sprite->setScaleX(1.0f);
        scrollView->addChild(sprite, 120, kCaretTag);
        caret = sprite;
    }
    caret->setScaleY(fontSize / 20.0f);
    if (!caret->isVisible()) {
        caret->setPosition(placeHolderShown ? Vec2(2.0f, 0.0f) : caretPosition);
        caret->setVisible(true);
    } else {
        caret->setVisible(false);
    }
}

} // namespace NSUI
