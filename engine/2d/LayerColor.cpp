#include "2d/LayerColor.h"

#include <new>

#include "2d/actions/ActionCreate.h"
#include "base/Director.h"

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

std::string LayerColor::getDescription() const { return "<LayerColor | Tag = " + std::to_string(_tag) + ">"; }

} // namespace cocos2d
