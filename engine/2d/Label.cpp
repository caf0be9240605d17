#include "2d/Label.h"

#include <cmath>
#include <sstream>

#include "2d/FontAtlas.h"
#include "2d/FontFreeType.h"
#include "base/ccLog.h"
#include "renderer/GLProgram.h"
#include "renderer/GLProgramCache.h"
#include "renderer/GLProgramState.h"
#include "renderer/Renderer.h"
#include "renderer/Texture2D.h"

namespace cocos2d {

namespace {
// Pixel sizes beyond this would make glyphs larger than an atlas page.
const float kMaxFontSize = 400.0f;
} // namespace

Label* Label::create()
{
    return createWithSystemFont("", "", 12);
}

Label* Label::createWithSystemFont(const std::string& text, const std::string& font, float fontSize,
                                   const Size& dimensions, TextHAlignment hAlignment, TextVAlignment vAlignment)
{
    auto* label = new Label();
    if (!label->initWith(text, font, fontSize, dimensions, hAlignment, vAlignment)) {
        label->release();
        return nullptr;
    }
    label->autorelease();
    return label;
}

Label* Label::createWithTTF(const std::string& text, const std::string& fontFilePath, float fontSize,
                            const Size& dimensions, TextHAlignment hAlignment, TextVAlignment vAlignment)
{
    return createWithSystemFont(text, fontFilePath, fontSize, dimensions, hAlignment, vAlignment);
}

Label* Label::createWithTTF(const TTFConfig& ttfConfig, const std::string& text, TextHAlignment hAlignment,
                            int maxLineWidth)
{
    return createWithSystemFont(text, ttfConfig.fontFilePath, ttfConfig.fontSize,
                                Size(static_cast<float>(std::max(0, maxLineWidth)), 0), hAlignment,
                                TextVAlignment::TOP);
}

Label::Label() {}

Label::~Label()
{
    for (PageBatch* b : _batches) delete b;
}

bool Label::initWith(const std::string& text, const std::string& font, float fontSize, const Size& dimensions,
                     TextHAlignment hAlignment, TextVAlignment vAlignment)
{
    if (!Node::init()) {
        return false;
    }
    setAnchorPoint(Vec2(0.5f, 0.5f));
    _fontName = font;
    _fontSize = std::max(1.0f, std::min(fontSize, kMaxFontSize));
    _dimensions = dimensions;
    _hAlignment = hAlignment;
    _vAlignment = vAlignment;
    setGLProgramState(
        GLProgramState::create(GLProgramCache::getInstance()->getGLProgram(GLProgram::SHADER_NAME_LABEL_NORMAL)));
    _text = text;
    _contentDirty = true;
    return true;
}

void Label::setString(const std::string& text)
{
    if (text != _text) {
        _text = text;
        _contentDirty = true;
        noteVisualChange();
    }
}

void Label::setSystemFontName(const std::string& font)
{
    if (font != _fontName) {
        _fontName = font;
        _atlas = nullptr;
        _contentDirty = true;
        noteVisualChange();
    }
}

void Label::setSystemFontSize(float fontSize)
{
    fontSize = std::max(1.0f, std::min(fontSize, kMaxFontSize));
    if (fontSize != _fontSize) {
        _fontSize = fontSize;
        _atlas = nullptr;
        _contentDirty = true;
        noteVisualChange();
    }
}

bool Label::setTTFConfig(const TTFConfig& ttfConfig)
{
    setSystemFontName(ttfConfig.fontFilePath);
    setSystemFontSize(ttfConfig.fontSize);
    return true;
}

void Label::setTextColor(const Color4B& color)
{
    _textColor = color;
    _quadsDirty = true;
    noteVisualChange();
}

void Label::enableShadow(const Color4B& shadowColor, const Size& offset, int)
{
    _shadowEnabled = true;
    _shadowColor = shadowColor;
    _shadowOffset = offset;
    _quadsDirty = true;
    noteVisualChange();
}

void Label::disableEffect()
{
    _shadowEnabled = false;
    _quadsDirty = true;
    noteVisualChange();
}

void Label::setAlignment(TextHAlignment hAlignment)
{
    setHorizontalAlignment(hAlignment);
}

void Label::setAlignment(TextHAlignment hAlignment, TextVAlignment vAlignment)
{
    setHorizontalAlignment(hAlignment);
    setVerticalAlignment(vAlignment);
}

void Label::setHorizontalAlignment(TextHAlignment hAlignment)
{
    _hAlignment = hAlignment;
    _quadsDirty = true;
    noteVisualChange();
}

void Label::setVerticalAlignment(TextVAlignment vAlignment)
{
    _vAlignment = vAlignment;
    _quadsDirty = true;
    noteVisualChange();
}

void Label::setDimensions(float width, float height)
{
    _dimensions = Size(std::max(0.0f, width), std::max(0.0f, height));
    _contentDirty = true;
    noteVisualChange();
}

void Label::setLineBreakWithoutSpace(bool breakWithoutSpace)
{
    _breakWithoutSpace = breakWithoutSpace;
    _contentDirty = true;
    noteVisualChange();
}

void Label::setLineHeight(float height)
{
    _lineHeight = std::max(0.0f, height);
    _contentDirty = true;
    noteVisualChange();
}

float Label::getLineHeight() const
{
    if (_lineHeight > 0) {
        return _lineHeight;
    }
    updateContent();
    return _atlas ? static_cast<float>(_atlas->getFont()->getLineHeight()) : _fontSize;
}

int Label::getStringNumLines() const
{
    updateContent();
    return _layout.lineCount();
}

int Label::getStringLength() const
{
    return static_cast<int>(TextLayout::utf8ToUtf32(_text).size());
}

const Size& Label::getContentSize() const
{
    updateContent();
    return _contentSize;
}

void Label::setContentSize(const Size& size)
{
    // A label's size follows its text; a set size is its box.
    setDimensions(size.width, size.height);
}

void Label::updateContent() const
{
    if (!_contentDirty) {
        return;
    }
    _contentDirty = false;
    _quadsDirty = true;
    if (!_atlas) {
        _atlas = FontAtlas::getFontAtlas(_fontName, static_cast<int>(std::lround(_fontSize)));
    }
    if (!_atlas) {
        log("Label: no font for '%s'", _fontName.c_str());
        _layout = TextLayout();
        const_cast<Label*>(this)->Node::setContentSize(_dimensions);
        return;
    }
    _layout = TextLayout::layout(TextLayout::utf8ToUtf32(_text), _atlas, _dimensions.width, _breakWithoutSpace);
    float lineHeight = getLineHeight();
    float width = _dimensions.width > 0 ? _dimensions.width : std::ceil(_layout.width);
    float textHeight = _text.empty() ? 0.0f : lineHeight * static_cast<float>(_layout.lineCount());
    float height = _dimensions.height > 0 ? _dimensions.height : textHeight;
    const_cast<Label*>(this)->Node::setContentSize(Size(width, height));
}

void Label::buildQuads() const
{
    updateContent();
    if (!_quadsDirty) {
        return;
    }
    _quadsDirty = false;
    for (PageBatch* b : _batches) {
        b->verts.clear();
        b->indices.clear();
    }
    if (!_atlas || _text.empty()) {
        return;
    }
    FontFreeType* font = _atlas->getFont();
    float lineHeight = getLineHeight();
    float textHeight = lineHeight * static_cast<float>(_layout.lineCount());
    float top = _contentSize.height;
    if (_vAlignment == TextVAlignment::CENTER) {
        top = _contentSize.height - (_contentSize.height - textHeight) / 2;
    } else if (_vAlignment == TextVAlignment::BOTTOM) {
        top = textHeight;
    }
    // Baselines sit the font's ascender below each line's top, centred within a taller line.
    float ascent = static_cast<float>(font->getAscender()) +
                   (lineHeight - static_cast<float>(font->getAscender() - font->getDescender())) / 2;
    Color4B textColor(static_cast<GLubyte>(_textColor.r * _displayedColor.r / 255),
                      static_cast<GLubyte>(_textColor.g * _displayedColor.g / 255),
                      static_cast<GLubyte>(_textColor.b * _displayedColor.b / 255),
                      static_cast<GLubyte>(_textColor.a * _displayedOpacity / 255));
    Color4B shadowColor(_shadowColor.r, _shadowColor.g, _shadowColor.b,
                        static_cast<GLubyte>(_shadowColor.a * _displayedOpacity / 255));

    auto emit = [&](const Color4B& color, float dx, float dy) {
        for (const auto& g : _layout.glyphs) {
            const FontAtlas::Letter& letter = _atlas->getLetter(g.codepoint);
            if (letter.page < 0) {
                continue;
            }
            float lineWidth = _layout.lineWidths[static_cast<size_t>(g.line)];
            float lineX = 0.0f;
            if (_hAlignment == TextHAlignment::CENTER) {
                lineX = std::floor((_contentSize.width - lineWidth) / 2);
            } else if (_hAlignment == TextHAlignment::RIGHT) {
                lineX = _contentSize.width - lineWidth;
            }
            float baseline = std::round(top - ascent - lineHeight * static_cast<float>(g.line));
            float x0 = lineX + g.x + static_cast<float>(letter.bearingX) + dx;
            float y1 = baseline + static_cast<float>(letter.bearingY) + dy;
            float x1 = x0 + static_cast<float>(letter.width);
            float y0 = y1 - static_cast<float>(letter.height);
            PageBatch* batch = nullptr;
            for (PageBatch* b : _batches) {
                if (b->page == letter.page) batch = b;
            }
            if (!batch) {
                batch = new PageBatch();
                batch->page = letter.page;
                _batches.push_back(batch);
            }
            if (batch->verts.size() + 4 > 65535) {
                continue; // one batch indexes at most 65535 vertices
            }
            auto base = static_cast<unsigned short>(batch->verts.size());
            V3F_C4B_T2F v[4];
            v[0].vertices = Vec3(x0, y1, 0);
            v[0].texCoords = Tex2F(letter.u0, letter.v0);
            v[1].vertices = Vec3(x0, y0, 0);
            v[1].texCoords = Tex2F(letter.u0, letter.v1);
            v[2].vertices = Vec3(x1, y1, 0);
            v[2].texCoords = Tex2F(letter.u1, letter.v0);
            v[3].vertices = Vec3(x1, y0, 0);
            v[3].texCoords = Tex2F(letter.u1, letter.v1);
            for (auto& vert : v) {
                vert.colors = color;
                batch->verts.push_back(vert);
            }
            for (unsigned short i : {0, 1, 2, 3, 2, 1}) {
                batch->indices.push_back(static_cast<unsigned short>(base + i));
            }
        }
    };
    if (_shadowEnabled) {
        emit(shadowColor, _shadowOffset.width, _shadowOffset.height);
    }
    emit(textColor, 0, 0);
}

void Label::updateDisplayedColor(const Color3B& parentColor)
{
    Node::updateDisplayedColor(parentColor);
    _quadsDirty = true;
}

void Label::updateDisplayedOpacity(GLubyte parentOpacity)
{
    Node::updateDisplayedOpacity(parentOpacity);
    _quadsDirty = true;
}

void Label::visit(Renderer* renderer, const Mat4& parentTransform, uint32_t parentFlags)
{
    // The size must be known before the transform (anchor point) is computed.
    updateContent();
    Node::visit(renderer, parentTransform, parentFlags);
}

void Label::draw(Renderer* renderer, const Mat4& transform, uint32_t flags)
{
    if (!renderer) {
        return; // headless visit
    }
    buildQuads();
    if (!_glProgramState || !_atlas) {
        return;
    }
    for (PageBatch* b : _batches) {
        if (b->indices.empty()) {
            continue;
        }
        Texture2D* page = _atlas->getPage(b->page);
        TrianglesCommand::Triangles t;
        t.verts = b->verts.data();
        t.vertCount = static_cast<int>(b->verts.size());
        t.indices = b->indices.data();
        t.indexCount = static_cast<int>(b->indices.size());
        b->command.init(_globalZOrder, page ? page->getName() : 0, _glProgramState, _blendFunc, t, transform, flags);
        renderer->addCommand(&b->command);
    }
}

std::string Label::getDescription() const
{
    std::ostringstream out;
    out << "<Label | Tag = " << _tag << ", Label = '" << _text << "'>";
    return out.str();
}

} // namespace cocos2d
