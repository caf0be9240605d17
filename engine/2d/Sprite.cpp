#include "2d/Sprite.h"

#include <cstring>
#include <sstream>

#include "base/Director.h"
#include "base/ccLog.h"
#include "renderer/GLProgram.h"
#include "renderer/GLProgramState.h"
#include "renderer/Renderer.h"
#include "renderer/Texture2D.h"
#include "renderer/TextureCache.h"

namespace cocos2d {

namespace {
template <class Init>
Sprite* makeSprite(Init init)
{
    auto* sprite = new Sprite();
    if (init(sprite)) {
        sprite->autorelease();
        return sprite;
    }
    sprite->release();
    return nullptr;
}
} // namespace

Sprite* Sprite::create()
{
    return makeSprite([](Sprite* s) { return s->init(); });
}

Sprite* Sprite::create(const std::string& filename)
{
    return makeSprite([&](Sprite* s) { return s->initWithFile(filename); });
}

Sprite* Sprite::create(const std::string& filename, const Rect& rect)
{
    return makeSprite([&](Sprite* s) { return s->initWithFile(filename, rect); });
}

Sprite* Sprite::createWithTexture(Texture2D* texture)
{
    return makeSprite([&](Sprite* s) { return s->initWithTexture(texture); });
}

Sprite* Sprite::createWithTexture(Texture2D* texture, const Rect& rect, bool rotated)
{
    return makeSprite([&](Sprite* s) { return s->initWithTexture(texture, rect, rotated); });
}

Sprite::QuadWatch::~QuadWatch()
{
    if (std::memcmp(&_before, &_sprite->_quad, sizeof(_before)) != 0) {
        _sprite->noteVisualChange();
    }
}

Sprite::Sprite() {}

Sprite::~Sprite()
{
    if (_texture) _texture->release();
}

bool Sprite::init()
{
    return initWithTexture(nullptr, Rect());
}

bool Sprite::initWithFile(const std::string& filename)
{
    Texture2D* texture = Director::getInstance()->getTextureCache()->addImage(filename);
    if (!texture) {
        log("Sprite: cannot load '%s'", filename.c_str());
        return false;
    }
    return initWithTexture(texture);
}

bool Sprite::initWithFile(const std::string& filename, const Rect& rect)
{
    Texture2D* texture = Director::getInstance()->getTextureCache()->addImage(filename);
    if (!texture) {
        log("Sprite: cannot load '%s'", filename.c_str());
        return false;
    }
    return initWithTexture(texture, rect);
}

bool Sprite::initWithTexture(Texture2D* texture)
{
    Rect rect;
    if (texture) {
        rect.size = texture->getContentSize();
    }
    return initWithTexture(texture, rect);
}

bool Sprite::initWithTexture(Texture2D* texture, const Rect& rect)
{
    return initWithTexture(texture, rect, false);
}

bool Sprite::initWithTexture(Texture2D* texture, const Rect& rect, bool rotated)
{
    if (!Node::init()) {
        return false;
    }
    setAnchorPoint(Vec2(0.5f, 0.5f));
    _flippedX = _flippedY = false;
    _quad = V3F_C4B_T2F_Quad();
    for (V3F_C4B_T2F* v : {&_quad.tl, &_quad.bl, &_quad.tr, &_quad.br}) {
        v->colors = Color4B(255, 255, 255, 255);
    }
    setGLProgramState(
        GLProgramState::getOrCreateWithGLProgramName(GLProgram::SHADER_NAME_POSITION_TEXTURE_COLOR_NO_MVP));
    setTexture(texture);
    setTextureRect(rect, rotated, rect.size);
    return true;
}

void Sprite::setTexture(const std::string& filename)
{
    Texture2D* texture = Director::getInstance()->getTextureCache()->addImage(filename);
    if (!texture) {
        log("Sprite: cannot load '%s'", filename.c_str());
        return;
    }
    setTexture(texture);
    Rect rect;
    rect.size = texture->getContentSize();
    setTextureRect(rect);
}

void Sprite::setTexture(Texture2D* texture)
{
    if (texture == _texture) return;
    if (texture) texture->retain();
    if (_texture) _texture->release();
    _texture = texture;
    updateBlendFunc();
    noteVisualChange();
}

void Sprite::updateBlendFunc()
{
    // Premultiplied pictures blend with (1, 1 - a); straight ones with (a, 1 - a).
    if (!_texture || _texture->hasPremultipliedAlpha()) {
        _blendFunc = BlendFunc::ALPHA_PREMULTIPLIED;
        _opacityModifyRGB = true;
    } else {
        _blendFunc = BlendFunc::ALPHA_NON_PREMULTIPLIED;
        _opacityModifyRGB = false;
    }
    updateColor();
}

void Sprite::setTextureRect(const Rect& rect)
{
    setTextureRect(rect, false, rect.size);
}

void Sprite::setTextureRect(const Rect& rect, bool rotated, const Size& untrimmedSize)
{
    const QuadWatch watch(this);
    _rectRotated = rotated;
    setContentSize(untrimmedSize);
    setVertexRect(rect);
    setTextureCoords(rect);
    Rect local(0, 0, rect.size.width, rect.size.height);
    _quad.bl.vertices = Vec3(local.getMinX(), local.getMinY(), 0);
    _quad.br.vertices = Vec3(local.getMaxX(), local.getMinY(), 0);
    _quad.tl.vertices = Vec3(local.getMinX(), local.getMaxY(), 0);
    _quad.tr.vertices = Vec3(local.getMaxX(), local.getMaxY(), 0);
}

void Sprite::setVertexRect(const Rect& rect)
{
    _rect = rect;
}

void Sprite::setTextureCoords(const Rect& rect)
{
    const QuadWatch watch(this);
    if (!_texture) {
        for (V3F_C4B_T2F* v : {&_quad.tl, &_quad.bl, &_quad.tr, &_quad.br}) v->texCoords = Tex2F(0, 0);
        return;
    }
    float scale = Director::getInstance()->getContentScaleFactor();
    float atlasW = static_cast<float>(_texture->getPixelsWide());
    float atlasH = static_cast<float>(_texture->getPixelsHigh());
    // The first row of texture memory is the picture's top row, shown at the top.
    float left = rect.origin.x * scale / atlasW;
    float right = (rect.origin.x + rect.size.width) * scale / atlasW;
    float top = rect.origin.y * scale / atlasH;
    float bottom = (rect.origin.y + rect.size.height) * scale / atlasH;
    if (_flippedX) std::swap(left, right);
    if (_flippedY) std::swap(top, bottom);
    _quad.bl.texCoords = Tex2F(left, bottom);
    _quad.br.texCoords = Tex2F(right, bottom);
    _quad.tl.texCoords = Tex2F(left, top);
    _quad.tr.texCoords = Tex2F(right, top);
}

void Sprite::setFlippedX(bool flippedX)
{
    if (_flippedX != flippedX) {
        _flippedX = flippedX;
        setTextureCoords(_rect);
    }
}

void Sprite::setFlippedY(bool flippedY)
{
    if (_flippedY != flippedY) {
        _flippedY = flippedY;
        setTextureCoords(_rect);
    }
}

void Sprite::setOpacityModifyRGB(bool modify)
{
    if (_opacityModifyRGB != modify) {
        _opacityModifyRGB = modify;
        updateColor();
    }
}

void Sprite::updateColor()
{
    const QuadWatch watch(this);
    Color4B c(_displayedColor.r, _displayedColor.g, _displayedColor.b, _displayedOpacity);
    if (_opacityModifyRGB) {
        c.r = static_cast<GLubyte>(c.r * _displayedOpacity / 255);
        c.g = static_cast<GLubyte>(c.g * _displayedOpacity / 255);
        c.b = static_cast<GLubyte>(c.b * _displayedOpacity / 255);
    }
    _quad.bl.colors = _quad.br.colors = _quad.tl.colors = _quad.tr.colors = c;
}

void Sprite::updateDisplayedColor(const Color3B& parentColor)
{
    Node::updateDisplayedColor(parentColor);
    updateColor();
}

void Sprite::updateDisplayedOpacity(GLubyte parentOpacity)
{
    Node::updateDisplayedOpacity(parentOpacity);
    updateColor();
}

void Sprite::setColor(const Color3B& color)
{
    Node::setColor(color);
    updateColor();
}

void Sprite::setOpacity(GLubyte opacity)
{
    Node::setOpacity(opacity);
    updateColor();
}

void Sprite::draw(Renderer* renderer, const Mat4& transform, uint32_t flags)
{
    if (!renderer || !_texture || !_glProgramState || _rect.size.width <= 0 || _rect.size.height <= 0) {
        return;
    }
    if (_is3D) {
        flags |= FLAGS_RENDER_AS_3D;
    } else if (!renderer->checkVisibility(transform, _contentSize)) {
        return;
    }
    TrianglesCommand::Triangles triangles;
    triangles.verts = &_quad.tl;
    triangles.vertCount = 4;
    triangles.indices = _indices;
    triangles.indexCount = 6;
    _trianglesCommand.init(_globalZOrder, _texture->getName(), _glProgramState, _blendFunc, triangles, transform,
                           flags);
    renderer->addCommand(&_trianglesCommand);
}

std::string Sprite::getDescription() const
{
    std::ostringstream out;
    out << "<Sprite | Tag = " << _tag << ", TextureID = " << (_texture ? _texture->getName() : 0) << ">";
    return out.str();
}

} // namespace cocos2d
