// Fonts, the glyph atlas and line layout (headless: the atlas keeps its pixels without GL).

#include <gtest/gtest.h>

#include "2d/FontAtlas.h"
#include "2d/FontFreeType.h"
#include "2d/TextLayout.h"
#include "cocos2d.h"

using namespace cocos2d;

namespace {

FontAtlas* dejaVu(int size = 20)
{
    FontAtlas* atlas = FontAtlas::getFontAtlas("DejaVu Sans", size);
    EXPECT_NE(nullptr, atlas);
    return atlas;
}

std::string lineText(const TextLayout& l, int line)
{
    std::string s;
    for (const auto& g : l.glyphs) {
        if (g.line == line && g.codepoint < 128) s += static_cast<char>(g.codepoint);
    }
    return s;
}

} // namespace

TEST(Fonts, NamesAndMissingFilesFallBackToInstalledFonts)
{
    EXPECT_NE(std::string::npos, FontFreeType::resolveFontFile("DejaVu Sans").find("DejaVuSans"));
    // A configured file that is not installed resolves through fontconfig instead of failing.
    std::string missing = FontFreeType::resolveFontFile("fonts/NoSuchFont.ttf");
    EXPECT_FALSE(missing.empty());
    FontFreeType* font = FontFreeType::create("fonts/NoSuchFont.ttf", 16);
    ASSERT_NE(nullptr, font);
    EXPECT_GT(font->getLineHeight(), 16);
    EXPECT_GT(font->getAscender(), 0);
    EXPECT_LT(font->getDescender(), 0);
}

TEST(Fonts, CjkAndCyrillicCharactersAreFoundInFallbackFonts)
{
    FontFreeType* font = FontFreeType::create("DejaVu Sans", 24);
    ASSERT_NE(nullptr, font);
    for (char32_t c : {U'A', U'\u0416' /* Cyrillic */, U'\u03A9' /* Greek */, U'\u4E2D' /* Chinese */,
                       U'\u3042' /* Japanese */, U'\uD55C' /* Korean */}) {
        FontFreeType::Glyph g = font->renderGlyph(c);
        EXPECT_TRUE(g.found) << static_cast<unsigned>(c);
        EXPECT_GT(g.width, 0) << static_cast<unsigned>(c);
        EXPECT_EQ(static_cast<size_t>(g.width * g.height), g.coverage.size());
    }
    FontFreeType::Glyph none = font->renderGlyph(0x10FFFD); // private use: no font has it
    EXPECT_FALSE(none.found);
}

TEST(Fonts, AtlasPacksLettersOnceAndOpensNewPages)
{
    FontAtlas* atlas = dejaVu(48);
    const FontAtlas::Letter& a = atlas->getLetter(U'a');
    EXPECT_EQ(0, a.page);
    EXPECT_GT(a.u1, a.u0);
    EXPECT_EQ(&a, &atlas->getLetter(U'a'));
    EXPECT_EQ(-1, atlas->getLetter(U' ').page);
    EXPECT_GT(atlas->getLetter(U' ').advance, 0);
    // Enough large CJK glyphs to fill one 512 x 512 page.
    for (char32_t c = 0x4E00; c < 0x4E00 + 200; ++c) atlas->getLetter(c);
    EXPECT_GE(atlas->getPageCount(), 2);
    // No two letters of a page overlap.
    const auto& x = atlas->getLetter(0x4E00 + 150);
    const auto& y = atlas->getLetter(0x4E00 + 151);
    if (x.page == y.page) {
        bool apart = x.u1 <= y.u0 || y.u1 <= x.u0 || x.v1 <= y.v0 || y.v1 <= x.v0;
        EXPECT_TRUE(apart);
    }
}

TEST(TextLayoutLines, WrapsAtSpacesAndKeepsExplicitBreaks)
{
    FontAtlas* atlas = dejaVu();
    float space = static_cast<float>(atlas->getLetter(U' ').advance);
    TextLayout one = TextLayout::layout(TextLayout::utf8ToUtf32("hello world"), atlas, 0, false);
    EXPECT_EQ(1, one.lineCount());
    float helloWidth = TextLayout::layout(U"hello", atlas, 0, false).width;
    TextLayout wrapped = TextLayout::layout(U"hello world again", atlas, helloWidth + space + 5, false);
    ASSERT_EQ(3, wrapped.lineCount());
    EXPECT_EQ("hello ", lineText(wrapped, 0));
    EXPECT_EQ("world ", lineText(wrapped, 1));
    EXPECT_EQ("again", lineText(wrapped, 2));
    EXPECT_FLOAT_EQ(helloWidth, wrapped.lineWidths[0]); // trailing space takes no width
    for (const auto& g : wrapped.glyphs) {
        if (g.codepoint == U'w') {
            EXPECT_FLOAT_EQ(0.0f, g.x); // wrapped words start the line
        }
    }

    TextLayout breaks = TextLayout::layout(U"a\n\nb", atlas, 0, false);
    EXPECT_EQ(3, breaks.lineCount());
    EXPECT_FLOAT_EQ(0.0f, breaks.lineWidths[1]);
}

TEST(TextLayoutLines, TrailingSpacesTakeTheirWidthUnlessTheLineWraps)
{
    // Texts set side by side rely on the spaces they end with.
    Label* plain = Label::createWithSystemFont("ab", "DejaVu Sans", 20);
    Label* spaced = Label::createWithSystemFont("ab ", "DejaVu Sans", 20);
    float space = static_cast<float>(dejaVu()->getLetter(U' ').advance);
    ASSERT_GT(space, 0.0f);
    EXPECT_FLOAT_EQ(plain->getContentSize().width + space, spaced->getContentSize().width);
    EXPECT_FLOAT_EQ(space, TextLayout::layout(U"ab \nc", dejaVu(), 0, false).lineWidths[0] -
                               TextLayout::layout(U"ab", dejaVu(), 0, false).width);
    // Within a wrapping width, spaces never widen a line past it.
    float ab = TextLayout::layout(U"ab", dejaVu(), 0, false).width;
    EXPECT_FLOAT_EQ(ab + 1, TextLayout::layout(U"ab     ", dejaVu(), ab + 1, false).width);
}

TEST(TextLayoutLines, LongWordsAndCjkBreakInside)
{
    FontAtlas* atlas = dejaVu();
    float w = TextLayout::layout(U"abc", atlas, 0, false).width;
    TextLayout word = TextLayout::layout(U"abcabcabc", atlas, w + 1, false);
    EXPECT_EQ(3, word.lineCount());
    for (float lw : word.lineWidths) EXPECT_LE(lw, w + 1);

    std::u32string cjk = TextLayout::utf8ToUtf32("\xE4\xB8\xAD\xE6\x96\x87\xE6\x96\x87\xE5\xAD\x97"); // 中文文字
    float two = TextLayout::layout(cjk.substr(0, 2), atlas, 0, false).width;
    TextLayout lines = TextLayout::layout(cjk, atlas, two + 1, false);
    EXPECT_EQ(2, lines.lineCount());
}

TEST(TextLayoutLines, MalformedUtf8BecomesReplacementCharacters)
{
    EXPECT_EQ(U"a\uFFFDb", TextLayout::utf8ToUtf32("a\xFF" "b"));
    EXPECT_EQ(U"\uFFFD\uFFFD", TextLayout::utf8ToUtf32("\xE4\xB8")); // cut short at the end
    EXPECT_EQ(U"\uFFFD\uFFFD", TextLayout::utf8ToUtf32("\xC0\xAF")); // overlong '/'
    EXPECT_EQ(U"\uFFFD\uFFFD\uFFFD", TextLayout::utf8ToUtf32("\xED\xA0\x80")); // surrogate
    EXPECT_EQ(U"\u00E9\U0001F600", TextLayout::utf8ToUtf32("\xC3\xA9\xF0\x9F\x98\x80"));
}
