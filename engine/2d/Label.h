#pragma once
// Text drawn from a glyph atlas: a font file or system font at a size, wrapped to a width,
// aligned in its box, with an optional drop shadow. Text is UTF-8.

#include <string>
#include <vector>

#include "2d/Node.h"
#include "2d/TextLayout.h"
#include "base/ccTypes.h"
#include "renderer/TrianglesCommand.h"

namespace cocos2d {

class FontAtlas;
class GLProgramState;

struct TTFConfig {
    std::string fontFilePath;
    float fontSize;
    TTFConfig(const std::string& filePath = "", float size = 12) : fontFilePath(filePath), fontSize(size) {}
};

class Label : public Node, public BlendProtocol {
public:
    static Label* create();
    /// A font found by family name through the system's fonts (a default font when unknown).
    static Label* createWithSystemFont(const std::string& text, const std::string& font, float fontSize,
                                       const Size& dimensions = Size::ZERO,
                                       TextHAlignment hAlignment = TextHAlignment::LEFT,
                                       TextVAlignment vAlignment = TextVAlignment::TOP);
    /// A font file on the search paths; a missing file falls back to the system's fonts.
    static Label* createWithTTF(const std::string& text, const std::string& fontFilePath, float fontSize,
                                const Size& dimensions = Size::ZERO, TextHAlignment hAlignment = TextHAlignment::LEFT,
                                TextVAlignment vAlignment = TextVAlignment::TOP);
    static Label* createWithTTF(const TTFConfig& ttfConfig, const std::string& text,
                                TextHAlignment hAlignment = TextHAlignment::LEFT, int maxLineWidth = 0);

    virtual void setString(const std::string& text);
    virtual const std::string& getString() const { return _text; }
    void setSystemFontName(const std::string& font);
    const std::string& getSystemFontName() const { return _fontName; }
    void setSystemFontSize(float fontSize);
    float getSystemFontSize() const { return _fontSize; }
    bool setTTFConfig(const TTFConfig& ttfConfig);
    TTFConfig getTTFConfig() const { return TTFConfig(_fontName, _fontSize); }

    void setTextColor(const Color4B& color);
    const Color4B& getTextColor() const { return _textColor; }
    void enableShadow(const Color4B& shadowColor = Color4B(0, 0, 0, 255), const Size& offset = Size(2, -2),
                      int blurRadius = 0);
    void disableEffect();
    bool isShadowEnabled() const { return _shadowEnabled; }

    void setAlignment(TextHAlignment hAlignment);
    void setAlignment(TextHAlignment hAlignment, TextVAlignment vAlignment);
    void setHorizontalAlignment(TextHAlignment hAlignment);
    void setVerticalAlignment(TextVAlignment vAlignment);
    TextHAlignment getHorizontalAlignment() const { return _hAlignment; }
    TextVAlignment getVerticalAlignment() const { return _vAlignment; }
    /// A fixed box: width > 0 wraps lines, height > 0 places them vertically (0: fit the text).
    void setDimensions(float width, float height);
    const Size& getDimensions() const { return _dimensions; }
    void setWidth(float width) { setDimensions(width, _dimensions.height); }
    void setHeight(float height) { setDimensions(_dimensions.width, height); }
    void setMaxLineWidth(float maxLineWidth) { setWidth(maxLineWidth); }
    void setLineBreakWithoutSpace(bool breakWithoutSpace);
    /// Distance between baselines (the font's when 0).
    void setLineHeight(float height);
    float getLineHeight() const;
    int getStringNumLines() const;
    int getStringLength() const;

    void setBlendFunc(const BlendFunc& blendFunc) override
    {
        _blendFunc = blendFunc;
        noteVisualChange();
    }
    const BlendFunc& getBlendFunc() const override { return _blendFunc; }

    const Size& getContentSize() const override;
    void setContentSize(const Size& size) override;
    void visit(Renderer* renderer, const Mat4& parentTransform, uint32_t parentFlags) override;
    void draw(Renderer* renderer, const Mat4& transform, uint32_t flags) override;
    void updateDisplayedColor(const Color3B& parentColor) override;
    void updateDisplayedOpacity(GLubyte parentOpacity) override;
    std::string getDescription() const override;

    ~Label() override;

protected:
    Label();
    bool initWith(const std::string& text, const std::string& font, float fontSize, const Size& dimensions,
                  TextHAlignment hAlignment, TextVAlignment vAlignment);
    void updateContent() const;
    void buildQuads() const;

    struct PageBatch {
        int page = 0;
        std::vector<V3F_C4B_T2F> verts;
        std::vector<unsigned short> indices;
        TrianglesCommand command;
    };

    std::string _text;
    std::string _fontName;
    float _fontSize = 12.0f;
    Color4B _textColor = Color4B(255, 255, 255, 255);
    bool _shadowEnabled = false;
    Color4B _shadowColor;
    Size _shadowOffset;
    TextHAlignment _hAlignment = TextHAlignment::LEFT;
    TextVAlignment _vAlignment = TextVAlignment::TOP;
    Size _dimensions;
    bool _breakWithoutSpace = false;
    float _lineHeight = 0.0f;
    BlendFunc _blendFunc = BlendFunc::ALPHA_NON_PREMULTIPLIED;

    mutable FontAtlas* _atlas = nullptr;
    mutable bool _contentDirty = true;
    mutable bool _quadsDirty = true;
    mutable TextLayout _layout;
    mutable std::vector<PageBatch*> _batches;
};

} // namespace cocos2d
