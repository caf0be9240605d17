#include "2d/TextLayout.h"

#include <algorithm>

#include "2d/FontAtlas.h"
#include "2d/FontFreeType.h"

namespace cocos2d {

namespace {

bool isSpace(char32_t c)
{
    return c == ' ' || c == '\t' || c == 0x3000;
}

// Characters of scripts written without spaces: a line may end after any of them.
bool isBreakAnywhere(char32_t c)
{
    return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xAC00 && c <= 0xD7AF) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFF00 && c <= 0xFFEF) || (c >= 0x20000 && c <= 0x2FFFF);
}

} // namespace

std::u32string TextLayout::utf8ToUtf32(const std::string& utf8)
{
    std::u32string out;
    out.reserve(utf8.size());
    const auto* s = reinterpret_cast<const unsigned char*>(utf8.data());
    size_t n = utf8.size(), i = 0;
    while (i < n) {
        unsigned char c = s[i];
        int len = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
        if (len == 0 || i + static_cast<size_t>(len) > n) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        char32_t cp = len == 1 ? c : len == 2 ? (c & 0x1F) : len == 3 ? (c & 0x0F) : (c & 0x07);
        bool ok = true;
        for (int k = 1; k < len; ++k) {
            if ((s[i + static_cast<size_t>(k)] & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            cp = (cp << 6) | (s[i + static_cast<size_t>(k)] & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not characters.
        static const char32_t minimum[5] = {0, 0, 0x80, 0x800, 0x10000};
        if (!ok || cp < minimum[len] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        out.push_back(cp);
        i += static_cast<size_t>(len);
    }
    return out;
}

TextLayout TextLayout::layout(const std::u32string& text, FontAtlas* atlas, float maxWidth, bool breakWithoutSpace)
{
    TextLayout result;
    if (!atlas) {
        return result;
    }
    FontFreeType* font = atlas->getFont();
    int line = 0;
    float pen = 0.0f;
    std::vector<Placed> current; // characters of the line being filled
    size_t lastBreak = 0;        // characters before this index can stay when the line wraps
    bool haveBreak = false;

    auto finishLine = [&](std::vector<Placed>& chars, bool wrapped) {
        // Spaces the text ends a line with take their width (texts set side by side rely on
        // them); only the spaces where a line wraps take none, and within a wrapping width
        // trailing spaces never widen a line beyond it.
        float ink = 0.0f, full = 0.0f;
        for (const auto& p : chars) {
            float right = p.x + static_cast<float>(atlas->getLetter(p.codepoint).advance);
            full = std::max(full, right);
            if (!isSpace(p.codepoint)) {
                ink = std::max(ink, right);
            }
        }
        float width = wrapped ? ink : maxWidth > 0 ? std::max(ink, std::min(full, maxWidth)) : full;
        for (auto& p : chars) {
            p.line = line;
            result.glyphs.push_back(p);
        }
        result.lineWidths.push_back(width);
        result.width = std::max(result.width, width);
        ++line;
    };

    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c == '\n') {
            finishLine(current, false);
            current.clear();
            pen = 0.0f;
            haveBreak = false;
            continue;
        }
        if (c == '\r') {
            continue;
        }
        const FontAtlas::Letter& letter = atlas->getLetter(c);
        float kern = current.empty() ? 0.0f : static_cast<float>(font->getKerning(current.back().codepoint, c));
        float x = pen + kern;
        float right = x + static_cast<float>(letter.advance);
        if (maxWidth > 0 && right > maxWidth && !current.empty() && !isSpace(c)) {
            // Wrap: at the last break opportunity when there is one, else before this character.
            std::vector<Placed> carry;
            if (haveBreak && lastBreak > 0 && lastBreak < current.size()) {
                carry.assign(current.begin() + static_cast<std::ptrdiff_t>(lastBreak), current.end());
                current.resize(lastBreak);
            }
            finishLine(current, true);
            current.clear();
            // Spaces that started the carried part are dropped; the rest move to x = 0.
            size_t skip = 0;
            while (skip < carry.size() && isSpace(carry[skip].codepoint)) ++skip;
            float shift = skip < carry.size() ? carry[skip].x : 0.0f;
            for (size_t k = skip; k < carry.size(); ++k) {
                carry[k].x -= shift;
                current.push_back(carry[k]);
            }
            pen = current.empty() ? 0.0f : current.back().x + static_cast<float>(atlas->getLetter(current.back().codepoint).advance);
            haveBreak = false;
            x = pen;
            right = x + static_cast<float>(letter.advance);
        }
        if (current.empty() && isSpace(c) && maxWidth > 0 && line > 0 && i > 0 && text[i - 1] != '\n') {
            continue; // a wrapped line does not start with spaces
        }
        bool anywhere = breakWithoutSpace || isBreakAnywhere(c);
        if (anywhere && !current.empty()) {
            lastBreak = current.size(); // a line may end before this character
            haveBreak = true;
        }
        current.push_back(Placed{c, x, line});
        pen = right;
        if (anywhere || isSpace(c)) {
            lastBreak = current.size(); // or after it
            haveBreak = true;
        }
    }
    finishLine(current, false);
    return result;
}

} // namespace cocos2d
