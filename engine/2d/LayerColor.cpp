#include "2d/LayerColor.h"

#include <new>

#include "2d/actions/ActionCreate.h"
#include "base/Director.h"
#include "renderer/GLProgram.h"
#include "renderer/GLProgramCache.h"
#include "renderer/Renderer.h"
#include "renderer/ccGLStateCache.h"

namespace cocos2d {

LayerColor* LayerColor::create()
{
    auto* layer = new (std::nothrow) LayerColor();
    return finishCreate(layer, layer && layer->init());
}

LayerColor* LayerColor::create(const Color4B& color)
{
    auto* layer = new (std::nothrow) LayerColor();
    return finishCreate(layer, layer && layer->initWithColor(color));
}

LayerColor* LayerColor::create(const Color4B& color, float width, float height)
{
    auto* layer = new (std::nothrow) LayerColor();
    return finishCreate(layer, layer && layer->initWithColor(color, width, height));
}

bool LayerColor::init()
{
    const Size s = Director::getInstance()->getWinSize();
    return initWithColor(Color4B(0, 0, 0, 0), s.width, s.height);
}

bool LayerColor::initWithColor(const Color4B& color)
{
    const Size s = Director::getInstance()->getWinSize();
    return initWithColor(color, s.width, s.height);
}

bool LayerColor::initWithColor(const Color4B& color, float width, float height)
{
    if (!Layer::init())
        return false;
    setColor(Color3B(color));
    setOpacity(color.a);
    setContentSize(Size(width, height));
    return true;
}

void LayerColor::changeWidth(float width) { setContentSize(Size(width, _contentSize.height)); }

void LayerColor::changeHeight(float height) { setContentSize(Size(_contentSize.width, height)); }

void LayerColor::changeWidthAndHeight(float width, float height) { setContentSize(Size(width, height)); }

void LayerColor::draw(Renderer* renderer, const Mat4& transform, uint32_t flags)
{
    if (!renderer || _contentSize.width <= 0 || _contentSize.height <= 0) {
        return;
    }
    // Blended by its own alpha, a layer of no opacity leaves every pixel as it was.
    const BlendFunc& byAlpha = BlendFunc::ALPHA_NON_PREMULTIPLIED;
    if (_displayedOpacity == 0 && _blendFunc.src == byAlpha.src && _blendFunc.dst == byAlpha.dst) {
        return;
    }
    _customCommand.init(_globalZOrder, transform, flags);
    _customCommand.func = [this, transform] { onDraw(transform); };
    renderer->addCommand(&_customCommand);
}

void LayerColor::onDraw(const Mat4& transform)
{
    GLProgram* program = GLProgramCache::getInstance()->getGLProgram(GLProgram::SHADER_NAME_POSITION_COLOR);
    if (!program) {
        return;
    }
    const float w = _contentSize.width, h = _contentSize.height;
    const GLfloat positions[] = {0, 0, 0, w, 0, 0, 0, h, 0, w, h, 0};
    const Color4B c(_displayedColor.r, _displayedColor.g, _displayedColor.b, _displayedOpacity);
    const GLubyte colors[] = {c.r, c.g, c.b, c.a, c.r, c.g, c.b, c.a, c.r, c.g, c.b, c.a, c.r, c.g, c.b, c.a};
    program->use();
    program->setUniformsForBuiltins(transform);
    GL::blendFunc(_blendFunc.src, _blendFunc.dst);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    GL::enableVertexAttribs(GL::VERTEX_ATTRIB_FLAG_POSITION | GL::VERTEX_ATTRIB_FLAG_COLOR);
    glVertexAttribPointer(GLProgram::VERTEX_ATTRIB_POSITION, 3, GL_FLOAT, GL_FALSE, 0, positions);
    glVertexAttribPointer(GLProgram::VERTEX_ATTRIB_COLOR, 4, GL_UNSIGNED_BYTE, GL_TRUE, 0, colors);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    Director::getInstance()->getRenderer()->addDrawnBatches(1);
    Director::getInstance()->getRenderer()->addDrawnVertices(4);
}

std::string LayerColor::getDescription() const { return "<LayerColor | Tag = " + std::to_string(_tag) + ">"; }

} // namespace cocos2d
