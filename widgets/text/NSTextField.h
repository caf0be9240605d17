#pragma once
// The toolkit's editable one-line text field: typed text from the input-method dispatcher,
// one rich element per character, a caret index, a grey placeholder while empty, a blinking
// caret, password masking, input modes and an optional length limit.

#include <functional>
#include <string>

#include "base/IMEDelegate.h"
#include "text/NSRichText.h"

namespace NSUI {

class NSTextField : public NSRichText, public cocos2d::IMEDelegate {
public:
    enum EventType { kTextInserted = 0, kCharacterDeleted = 1 };
    enum InputMode { kInputInteger = 0, kInputDecimal = 1, kInputAny = 2 };
    using Callback = std::function<void(cocos2d::Ref* sender, EventType event)>;

    static NSTextField* create(const std::string& placeHolder, const cocos2d::Size& size);
    virtual bool init(const std::string& placeHolder, const cocos2d::Size& size);

    /// Lets the language table localise text fields by name, as their placeholders; once per
    /// process (later calls add nothing).
    static void registerLanguageApplier();

    void setCallback(const Callback& callback) { this->callback = callback; }
    void setPlaceHolder(const std::string& text);
    const std::string& getPlaceHolder() const { return placeHolder; }
    /// Replaces the text as if typed, without validation or callback.
    void setString(const std::string& text);
    const std::string& getString() const { return text; }
    void setLineHeight(int height) override;
    /// Renders the field again: its text when it shows text, else the placeholder.
    void refresh();
    virtual bool hitTest(const cocos2d::Vec2& point);

    bool attachWithIME() override;
    bool detachWithIME() override;
    void onExit() override;
    bool onTouchBegan(cocos2d::Touch* touch, cocos2d::Event* event) override;
    void interceptTouchEvent(TouchEventType event, cocos2d::ui::Widget* sender,
                             cocos2d::Touch* touch) override;

    /// Whether typed input is accepted into `current` by mode.
    static bool isInputValid(int mode, const std::string& current, const std::string& input);
    static bool isAllDigits(const std::string& text);
    /// The caret picture of fields created from now on.
    static void setDefaultCursorImage(const std::string& file);

    // Settings the screens write directly.
    void setFontSize(int size) { fontSize = size; }
    int getFontSize() const { return fontSize; }
    void setPlaceHolderFontSize(int size) { placeHolderFontSize = size; }
    void setFontName(const std::string& name) { fontName = name; }
    void setTextColor(const cocos2d::Color3B& color) { textColor = color; }
    void setPlaceHolderColor(const cocos2d::Color3B& color) { placeHolderColor = color; }
    void setInputMode(int mode) { inputMode = mode; }
    int getInputMode() const { return inputMode; }
    void setMaxLength(int length) {
        maxLength = length;
        maxLengthEnabled = length > 0;
    }
    void setMaxLengthEnabled(bool enabled) { maxLengthEnabled = enabled; }
    void setSecureTextEntry(bool secure) { secureTextEntry = secure; }
    bool isSecureTextEntry() const { return secureTextEntry; }
    void setTouchRect(const cocos2d::Rect& rect) { touchRect = rect; }
    void setCursorImage(const std::string& file) { cursorImage = file; }
    bool isPlaceHolderShown() const { return placeHolderShown; }
    int getCaretIndex() const { return caretIndex; }
    const cocos2d::Vec2& getCaretPosition() const { return caretPosition; }
    cocos2d::Node* getCaretNode() const;

    static constexpr int kCaretTag = 9824;
    static constexpr const char* kBlinkKey = "NSTextField_blink";

protected:
    NSTextField() = default;
    ~NSTextField() override;

    bool canAttachWithIME() override { return true; }
    bool canDetachWithIME() override { return true; }
    void insertText(const char* text, size_t len) override;
    void deleteBackward() override;
    const std::string& getContentText() override { return text; }

    void updateText(const std::string& typed);
    void renderPlain(const std::string& plain, const std::string& font, int size,
                     const cocos2d::Color3B& color);
    void blinkCaret();
    void hideCaret();

    cocos2d::Node* caretNode = nullptr;
    cocos2d::Vec2 caretPosition;
    int caretIndex = 0;
    bool placeHolderShown = false;
    bool maxLengthEnabled = false;
    int maxLength = 0;
    bool secureTextEntry = false;
    std::string maskText = "*";
    std::string text;
    std::string placeHolder = " ";
    std::string fontName;
    std::string placeHolderFontName;
    int fontSize = 25;
    int placeHolderFontSize = 25;
    cocos2d::Color3B textColor = cocos2d::Color3B(0, 0, 255);
    cocos2d::Color3B placeHolderColor = cocos2d::Color3B::GRAY;
    Callback callback;
    std::string cursorImage;
    cocos2d::Rect touchRect;
    int inputMode = kInputAny;
};

} // namespace NSUI
