#pragma once
// One font at one pixel size through FreeType, with fontconfig fallbacks for characters the
// font lacks (DejaVu for Latin, Greek and Cyrillic, a CJK font for Chinese, Japanese, Korean).

#include <string>
#include <vector>

#include "base/Ref.h"

namespace cocos2d {

class FontFreeType : public Ref {
public:
    /// The face for a font file (found on the search paths) or family name (through
    /// fontconfig); a name that finds nothing falls back to the default sans-serif font.
    /// Cached by name and size; null only when no font at all can be opened.
    static FontFreeType* create(const std::string& fontNameOrPath, int fontSize);
    static void releaseAllFonts();
    /// The file a font name resolves to ("" when none).
    static std::string resolveFontFile(const std::string& fontNameOrPath);

    struct Glyph {
        std::vector<unsigned char> coverage; // width * height bytes, top row first
        int width = 0;
        int height = 0;
        int bearingX = 0; // from the pen to the bitmap's left edge
        int bearingY = 0; // from the baseline up to the bitmap's top edge
        int advance = 0;
        bool found = false; // false: no font has the character (an empty box is drawn)
    };

    /// Renders a character with the first font (this, then the fallbacks) that has it.
    Glyph renderGlyph(char32_t codepoint);
    /// Kerning between two characters of this font in pixels (0 when it has none).
    int getKerning(char32_t left, char32_t right);

    int getFontSize() const { return _fontSize; }
    int getAscender() const { return _ascender; }
    int getDescender() const { return _descender; }
    int getLineHeight() const { return _lineHeight; }
    const std::string& getFontFile() const { return _fontFile; }

    ~FontFreeType() override;

protected:
    FontFreeType() = default;
    bool init(const std::string& fontFile, int fontSize);
    void* faceFor(char32_t codepoint, unsigned int* glyphIndex);

    struct Impl;
    Impl* _impl = nullptr;
    std::string _fontFile;
    int _fontSize = 0;
    int _ascender = 0;
    int _descender = 0;
    int _lineHeight = 0;
};

} // namespace cocos2d
