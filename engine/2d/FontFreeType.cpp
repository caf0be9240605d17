#include "2d/FontFreeType.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include <map>
#include <mutex>

#include "base/ccLog.h"
#include "platform/FileUtils.h"

namespace cocos2d {

namespace {

FT_Library g_library = nullptr;
std::map<std::pair<std::string, int>, FontFreeType*> g_fonts;

bool library()
{
    if (!g_library && FT_Init_FreeType(&g_library) != 0) {
        log("FontFreeType: FreeType cannot start");
        g_library = nullptr;
    }
    return g_library != nullptr;
}

// The file fontconfig chooses for a pattern such as "DejaVu Sans" or ":lang=zh-cn".
std::string fontconfigMatch(const std::string& pattern)
{
    static std::once_flag once;
    std::call_once(once, [] { FcInit(); });
    FcPattern* pat = FcNameParse(reinterpret_cast<const FcChar8*>(pattern.c_str()));
    if (!pat) {
        return std::string();
    }
    FcConfigSubstitute(nullptr, pat, FcMatchPattern);
    FcDefaultSubstitute(pat);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pat, &result);
    std::string file;
    FcChar8* path = nullptr;
    if (match && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path) {
        file = reinterpret_cast<const char*>(path);
    }
    if (match) FcPatternDestroy(match);
    FcPatternDestroy(pat);
    return file;
}

const char* kFallbackPatterns[] = {"DejaVu Sans", ":lang=zh-cn", ":lang=ja", ":lang=ko"};

} // namespace

struct FontFreeType::Impl {
    FT_Face face = nullptr;
    std::vector<FT_Face> fallbacks; // opened on first need
    bool fallbacksLoaded = false;
};

std::string FontFreeType::resolveFontFile(const std::string& fontNameOrPath)
{
    if (!fontNameOrPath.empty()) {
        FileUtils* fu = FileUtils::getInstance();
        std::string ext = fu->getFileExtension(fontNameOrPath);
        if (ext == ".ttf" || ext == ".otf" || ext == ".ttc") {
            std::string full = fu->isAbsolutePath(fontNameOrPath) ? fontNameOrPath : fu->fullPathForFilename(fontNameOrPath);
            if (!full.empty() && fu->isFileExist(full)) {
                return full;
            }
            // A configured file that is not here: ask fontconfig for its family by name.
            size_t slash = fontNameOrPath.find_last_of('/');
            std::string base = fontNameOrPath.substr(slash == std::string::npos ? 0 : slash + 1);
            return fontconfigMatch(base.substr(0, base.size() - ext.size()));
        }
    }
    return fontconfigMatch(fontNameOrPath.empty() ? "sans-serif" : fontNameOrPath);
}

FontFreeType* FontFreeType::create(const std::string& fontNameOrPath, int fontSize)
{
    fontSize = std::max(1, std::min(fontSize, 512));
    auto key = std::make_pair(fontNameOrPath, fontSize);
    auto it = g_fonts.find(key);
    if (it != g_fonts.end()) {
        return it->second;
    }
    static bool cleanupRegistered = false;
    if (!cleanupRegistered) {
        cleanupRegistered = true;
        std::atexit(releaseAllFonts);
    }
    std::string file = resolveFontFile(fontNameOrPath);
    auto* font = new FontFreeType();
    if (!font->init(file, fontSize)) {
        font->release();
        font = new FontFreeType();
        if (!font->init(fontconfigMatch("sans-serif"), fontSize)) {
            font->release();
            log("FontFreeType: no usable font for '%s'", fontNameOrPath.c_str());
            return nullptr;
        }
    }
    g_fonts[key] = font; // the cache holds the reference
    return font;
}

void FontFreeType::releaseAllFonts()
{
    for (auto& f : g_fonts) {
        f.second->release();
    }
    g_fonts.clear();
}

bool FontFreeType::init(const std::string& fontFile, int fontSize)
{
    if (fontFile.empty() || !library()) {
        return false;
    }
    _impl = new Impl();
    if (FT_New_Face(g_library, fontFile.c_str(), 0, &_impl->face) != 0) {
        log("FontFreeType: cannot open font %s", fontFile.c_str());
        _impl->face = nullptr;
        return false;
    }
    FT_Select_Charmap(_impl->face, FT_ENCODING_UNICODE);
    if (FT_Set_Pixel_Sizes(_impl->face, 0, static_cast<FT_UInt>(fontSize)) != 0) {
        log("FontFreeType: %s has no size %d", fontFile.c_str(), fontSize);
        return false;
    }
    _fontFile = fontFile;
    _fontSize = fontSize;
    const FT_Size_Metrics& m = _impl->face->size->metrics;
    _ascender = static_cast<int>(m.ascender >> 6);
    _descender = static_cast<int>(m.descender >> 6);
    _lineHeight = static_cast<int>(m.height >> 6);
    if (_lineHeight <= 0) {
        _lineHeight = _ascender - _descender;
    }
    return true;
}

FontFreeType::~FontFreeType()
{
    if (_impl) {
        if (_impl->face) FT_Done_Face(_impl->face);
        for (FT_Face f : _impl->fallbacks) FT_Done_Face(f);
        delete _impl;
    }
}

void* FontFreeType::faceFor(char32_t codepoint, unsigned int* glyphIndex)
{
    *glyphIndex = FT_Get_Char_Index(_impl->face, codepoint);
    if (*glyphIndex != 0) {
        return _impl->face;
    }
    if (!_impl->fallbacksLoaded) {
        _impl->fallbacksLoaded = true;
        std::vector<std::string> seen{_fontFile};
        for (const char* pattern : kFallbackPatterns) {
            std::string file = fontconfigMatch(pattern);
            if (file.empty() || std::find(seen.begin(), seen.end(), file) != seen.end()) {
                continue;
            }
            seen.push_back(file);
            FT_Face face = nullptr;
            if (FT_New_Face(g_library, file.c_str(), 0, &face) == 0) {
                FT_Select_Charmap(face, FT_ENCODING_UNICODE);
                FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(_fontSize));
                _impl->fallbacks.push_back(face);
            }
        }
    }
    for (FT_Face f : _impl->fallbacks) {
        *glyphIndex = FT_Get_Char_Index(f, codepoint);
        if (*glyphIndex != 0) {
            return f;
        }
    }
    return nullptr;
}

FontFreeType::Glyph FontFreeType::renderGlyph(char32_t codepoint)
{
    Glyph glyph;
    unsigned int index = 0;
    auto* face = static_cast<FT_Face>(faceFor(codepoint, &index));
    if (!face) {
        // Drawn as the font's missing-glyph box, with the width of a space at least.
        face = _impl->face;
        index = 0;
    } else {
        glyph.found = true;
    }
    if (FT_Load_Glyph(face, index, FT_LOAD_RENDER | FT_LOAD_NO_BITMAP) != 0) {
        glyph.advance = _fontSize / 2;
        return glyph;
    }
    FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap& bm = slot->bitmap;
    glyph.width = static_cast<int>(bm.width);
    glyph.height = static_cast<int>(bm.rows);
    glyph.bearingX = slot->bitmap_left;
    glyph.bearingY = slot->bitmap_top;
    glyph.advance = static_cast<int>(slot->advance.x >> 6);
    if (bm.pixel_mode == FT_PIXEL_MODE_GRAY && glyph.width > 0 && glyph.height > 0) {
        glyph.coverage.resize(static_cast<size_t>(glyph.width) * glyph.height);
        for (int row = 0; row < glyph.height; ++row) {
            const unsigned char* src = bm.buffer + row * bm.pitch;
            std::copy(src, src + glyph.width, &glyph.coverage[static_cast<size_t>(row) * glyph.width]);
        }
    } else {
        glyph.width = glyph.height = 0;
    }
    return glyph;
}

int FontFreeType::getKerning(char32_t left, char32_t right)
{
    if (!FT_HAS_KERNING(_impl->face)) {
        return 0;
    }
    FT_UInt a = FT_Get_Char_Index(_impl->face, left);
    FT_UInt b = FT_Get_Char_Index(_impl->face, right);
    if (!a || !b) {
        return 0;
    }
    FT_Vector delta;
    if (FT_Get_Kerning(_impl->face, a, b, FT_KERNING_DEFAULT, &delta) != 0) {
        return 0;
    }
    return static_cast<int>(delta.x >> 6);
}

} // namespace cocos2d

// Fontconfig keeps its configuration for the whole run; leak checks of sanitizer builds are
// told so instead of reporting it.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig\n";
}
