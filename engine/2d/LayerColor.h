#pragma once
// A layer filled with one colour (its colour and opacity are the node's); the renderer draws it.

#include "2d/Layer.h"
#include "base/ccTypes.h"
#include "math/Color4B.h"
#include "renderer/CustomCommand.h"

namespace cocos2d {

class LayerColor : public Layer {
public:
    static LayerColor* create();
    static LayerColor* create(const Color4B& color);
    static LayerColor* create(const Color4B& color, float width, float height);

    bool init() override;
    virtual bool initWithColor(const Color4B& color);
    virtual bool initWithColor(const Color4B& color, float width, float height);

    void changeWidth(float width);
    void changeHeight(float height);
    void changeWidthAndHeight(float width, float height);

    std::string getDescription() const override;

    void draw(Renderer* renderer, const Mat4& transform, uint32_t flags) override;
    void setBlendFunc(const BlendFunc& blendFunc)
    {
        _blendFunc = blendFunc;
        noteVisualChange();
    }
    const BlendFunc& getBlendFunc() const { return _blendFunc; }

protected:
    LayerColor() = default;
    void onDraw(const Mat4& transform);

    BlendFunc _blendFunc = BlendFunc::ALPHA_NON_PREMULTIPLIED;
    CustomCommand _customCommand;
};

} // namespace cocos2d
