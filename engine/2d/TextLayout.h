#pragma once
// Places the characters of a text in lines: explicit line breaks, wrapping at spaces (or
// anywhere in CJK text, or inside a word longer than the width), kerning.

#include <string>
#include <vector>

namespace cocos2d {

class FontAtlas;

class TextLayout {
public:
    struct Placed {
        char32_t codepoint;
        float x;  // pen position of the character in its line
        int line; // 0 for the first line
    };

    std::vector<Placed> glyphs;
    std::vector<float> lineWidths;
    float width = 0.0f; // widest line

    /// Lays the text out; maxWidth <= 0 means no wrapping. breakWithoutSpace lets any
    /// character end a line (for scripts without spaces).
    static TextLayout layout(const std::u32string& text, FontAtlas* atlas, float maxWidth, bool breakWithoutSpace);
    /// UTF-8 to code points; malformed bytes become U+FFFD, never read past the end.
    static std::u32string utf8ToUtf32(const std::string& utf8);
    int lineCount() const { return static_cast<int>(lineWidths.size()); }
};

} // namespace cocos2d
