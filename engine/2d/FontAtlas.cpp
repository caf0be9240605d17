#include "2d/FontAtlas.h"

#include <cstdlib>
#include <map>

#include "2d/FontFreeType.h"
#include "base/ccLog.h"
#include "renderer/Texture2D.h"

namespace cocos2d {

namespace {
std::map<std::pair<std::string, int>, FontAtlas*> g_atlases;
const int kPadding = 1; // keeps linear filtering from bleeding between glyphs
} // namespace

FontAtlas* FontAtlas::getFontAtlas(const std::string& fontNameOrPath, int fontSize)
{
    auto key = std::make_pair(fontNameOrPath, fontSize);
    auto it = g_atlases.find(key);
    if (it != g_atlases.end()) {
        return it->second;
    }
    FontFreeType* font = FontFreeType::create(fontNameOrPath, fontSize);
    if (!font) {
        return nullptr;
    }
    static bool cleanupRegistered = false;
    if (!cleanupRegistered) {
        cleanupRegistered = true;
        std::atexit(releaseAllAtlases);
    }
    auto* atlas = new FontAtlas();
    atlas->_font = font;
    font->retain();
    if (!atlas->addPage()) {
        atlas->release();
        return nullptr;
    }
    g_atlases[key] = atlas;
    return atlas;
}

void FontAtlas::releaseAllAtlases()
{
    for (auto& a : g_atlases) {
        a.second->release();
    }
    g_atlases.clear();
}

FontAtlas::~FontAtlas()
{
    for (Texture2D* page : _pages) {
        page->release();
    }
    if (_font) {
        _font->release();
    }
}

bool FontAtlas::addPage()
{
    _pixels.assign(static_cast<size_t>(PAGE_SIZE) * PAGE_SIZE, 0);
    auto* page = new Texture2D();
    if (!page->initWithData(_pixels.data(), static_cast<ssize_t>(_pixels.size()), Texture2D::PixelFormat::A8,
                            PAGE_SIZE, PAGE_SIZE, Size(PAGE_SIZE, PAGE_SIZE))) {
        page->release();
        log("FontAtlas: cannot make a glyph page");
        return false;
    }
    _pages.push_back(page);
    _penX = _penY = _shelfHeight = 0;
    return true;
}

Texture2D* FontAtlas::getPage(int page) const
{
    return page >= 0 && page < static_cast<int>(_pages.size()) ? _pages[static_cast<size_t>(page)] : nullptr;
}

const FontAtlas::Letter& FontAtlas::getLetter(char32_t codepoint)
{
    auto it = _letters.find(codepoint);
    if (it != _letters.end()) {
        return it->second;
    }
    Letter letter;
    FontFreeType::Glyph glyph = _font->renderGlyph(codepoint);
    letter.advance = glyph.advance;
    letter.bearingX = glyph.bearingX;
    letter.bearingY = glyph.bearingY;
    int w = std::min(glyph.width, PAGE_SIZE - 2 * kPadding);
    int h = std::min(glyph.height, PAGE_SIZE - 2 * kPadding);
    if (w > 0 && h > 0) {
        // Shelf packing: left to right, a new shelf when the row is full, a new page when
        // the page is.
        if (_penX + w + kPadding > PAGE_SIZE) {
            _penX = 0;
            _penY += _shelfHeight + kPadding;
            _shelfHeight = 0;
        }
        if (_penY + h + kPadding > PAGE_SIZE) {
            if (!addPage()) {
                return _letters[codepoint] = letter;
            }
        }
        int x = _penX + kPadding, y = _penY + kPadding;
        for (int row = 0; row < h; ++row) {
            std::copy(&glyph.coverage[static_cast<size_t>(row) * glyph.width],
                      &glyph.coverage[static_cast<size_t>(row) * glyph.width] + w,
                      &_pixels[static_cast<size_t>(y + row) * PAGE_SIZE + x]);
        }
        Texture2D* page = _pages.back();
        // Only the glyph's rows are sent; the page keeps everything else.
        page->updateWithData(&_pixels[static_cast<size_t>(y) * PAGE_SIZE], 0, y, PAGE_SIZE, h);
        letter.page = static_cast<int>(_pages.size()) - 1;
        letter.width = w;
        letter.height = h;
        letter.u0 = static_cast<float>(x) / PAGE_SIZE;
        letter.v0 = static_cast<float>(y) / PAGE_SIZE;
        letter.u1 = static_cast<float>(x + w) / PAGE_SIZE;
        letter.v1 = static_cast<float>(y + h) / PAGE_SIZE;
        _penX = x + w;
        _shelfHeight = std::max(_shelfHeight, h + kPadding);
    }
    return _letters[codepoint] = letter;
}

} // namespace cocos2d
