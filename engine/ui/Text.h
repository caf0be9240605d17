#pragma once
// A text widget over a label: font (file or system name), size, colour, alignment inside a
// text area, and a drop shadow.

#include <string>

#include "base/ccTypes.h"
#include "math/Color4B.h"
#include "ui/Widget.h"

namespace cocos2d {

class Label;

namespace ui {

class Text : public Widget {
public:
    static Text* create();
    static Text* create(const std::string& text, const std::string& fontName, float fontSize);
    bool init() override;
    virtual bool init(const std::string& text, const std::string& fontName, float fontSize);

    virtual void setString(const std::string& text);
    const std::string& getString() const;
    ssize_t getStringLength() const;
    void setFontSize(float size);
    float getFontSize() const { return _fontSize; }
    /// A font file on the search paths, else a system font family ("" is the default font).
    void setFontName(const std::string& name);
    const std::string& getFontName() const { return _fontName; }
    void setTextColor(const Color4B& color);
    const Color4B& getTextColor() const;
    void setTextHorizontalAlignment(TextHAlignment alignment);
    TextHAlignment getTextHorizontalAlignment() const;
    void setTextVerticalAlignment(TextVAlignment alignment);
    TextVAlignment getTextVerticalAlignment() const;
    /// A fixed box the text wraps and aligns in (the widget stops following the text's size).
    void setTextAreaSize(const Size& size);
    const Size& getTextAreaSize() const;
    /// The text grows by half while pressed (off by default).
    void setTouchScaleChangeEnabled(bool enabled) { _touchScaleChangeEnabled = enabled; }
    bool isTouchScaleChangeEnabled() const { return _touchScaleChangeEnabled; }
    void enableShadow(const Color4B& color = Color4B(0, 0, 0, 255), const Size& offset = Size(2, -2),
                      int blur = 0);
    void disableEffect();
    bool isShadowEnabled() const;

    Size getVirtualRendererSize() const override;
    Node* getVirtualRenderer() override;
    Label* getLabel() const { return _labelRenderer; }
    /// A font file on the search paths at that size, else a system font family.
    static void applyFont(Label* label, const std::string& name, float size);
    void ignoreContentAdaptWithSize(bool ignore) override;
    std::string getDescription() const override;

protected:
    Text() = default;
    void initRenderer() override;
    void adaptRenderers() override;
    void onPressStateChangedToNormal() override;
    void onPressStateChangedToPressed() override;
    void onPressStateChangedToDisabled() override;
    Widget* createCloneInstance() override;
    void copySpecialProperties(Widget* model) override;

    Label* _labelRenderer = nullptr; // protected child
    std::string _fontName;
    float _fontSize = 10.0f;
    bool _touchScaleChangeEnabled = false;
};

} // namespace ui
} // namespace cocos2d
