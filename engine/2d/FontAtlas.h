#pragma once
// The glyphs of one font at one size packed into 8-bit coverage textures, added as text needs
// them; labels draw quads cut from these pages.

#include <string>
#include <unordered_map>
#include <vector>

#include "base/Ref.h"

namespace cocos2d {

class FontFreeType;
class Texture2D;

class FontAtlas : public Ref {
public:
    static const int PAGE_SIZE = 512;

    struct Letter {
        int page = -1; // -1: nothing to draw (space, control character)
        float u0 = 0, v0 = 0, u1 = 0, v1 = 0;
        int width = 0;
        int height = 0;
        int bearingX = 0;
        int bearingY = 0;
        int advance = 0;
    };

    /// The shared atlas of a font name or file at a pixel size; null when no font opens.
    static FontAtlas* getFontAtlas(const std::string& fontNameOrPath, int fontSize);
    static void releaseAllAtlases();

    /// The character's letter, rendered and packed on first use.
    const Letter& getLetter(char32_t codepoint);
    Texture2D* getPage(int page) const;
    int getPageCount() const { return static_cast<int>(_pages.size()); }
    FontFreeType* getFont() const { return _font; }

    ~FontAtlas() override;

protected:
    FontAtlas() = default;
    bool addPage();

    FontFreeType* _font = nullptr;
    std::unordered_map<char32_t, Letter> _letters;
    std::vector<Texture2D*> _pages;
    std::vector<unsigned char> _pixels; // the current page's coverage, kept for updates
    int _penX = 0;
    int _penY = 0;
    int _shelfHeight = 0;
};

} // namespace cocos2d
