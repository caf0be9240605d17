#include "ui/Layout.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "2d/ClippingRectangleNode.h"
#include "2d/DrawNode.h"
#include "2d/LayerColor.h"
#include "base/Director.h"
#include "math/Color4F.h"
#include "renderer/CustomCommand.h"
#include "renderer/GroupCommand.h"
#include "renderer/Renderer.h"
#include "ui/LayoutManager.h"
#include "ui/Scale9Sprite.h"

namespace cocos2d {
namespace ui {

namespace {
// Background renderers sit below every child.
const int kColorZ = -2;
const int kImageZ = -1;
const int kGradientBands = 32;
} // namespace

struct Layout::ClipPass {
    GroupCommand group;
    CustomCommand before;
    CustomCommand after;
};

Layout::~Layout() {
    for (ClipPass* pass : _clipPasses)
        delete pass;
}

Layout* Layout::create() {
    auto* layout = new Layout();
    if (!layout->init()) {
        delete layout;
        return nullptr;
    }
    layout->autorelease();
    return layout;
}

bool Layout::init() {
    if (!Widget::init())
        return false;
    ignoreContentAdaptWithSize(false);
    setContentSize(Size::ZERO);
    setAnchorPoint(Vec2::ZERO);
    return true;
}

std::string Layout::getDescription() const {
    return "Layout";
}

// --- arrangement -------------------------------------------------------------------------------

void Layout::setLayoutType(Type type) {
    _layoutType = type;
    requestDoLayout();
}

void Layout::doLayout() {
    if (_doLayoutDirty)
        forceDoLayout();
}

void Layout::forceDoLayout() {
    LayoutManager::arrange(this);
    _doLayoutDirty = false;
}

void Layout::addChild(Node* child) {
    addChild(child, child ? child->getLocalZOrder() : 0, child ? child->getName() : std::string());
}

void Layout::addChild(Node* child, int localZOrder) {
    addChild(child, localZOrder, child ? child->getName() : std::string());
}

void Layout::addChild(Node* child, int localZOrder, int tag) {
    Widget::addChild(child, localZOrder, tag);
    if (auto* w = dynamic_cast<Widget*>(child))
        w->updateSizeAndPosition(_contentSize);
    requestDoLayout();
}

void Layout::addChild(Node* child, int localZOrder, const std::string& name) {
    Widget::addChild(child, localZOrder, name);
    if (auto* w = dynamic_cast<Widget*>(child))
        w->updateSizeAndPosition(_contentSize);
    requestDoLayout();
}

void Layout::removeChild(Node* child, bool cleanup) {
    Widget::removeChild(child, cleanup);
    requestDoLayout();
}

void Layout::removeAllChildren() {
    removeAllChildrenWithCleanup(true);
}

void Layout::removeAllChildrenWithCleanup(bool cleanup) {
    Widget::removeAllChildrenWithCleanup(cleanup);
    requestDoLayout();
}

void Layout::onSizeChanged() {
    Widget::onSizeChanged();
    requestDoLayout();
}

void Layout::adaptRenderers() {
    if (_colorRender)
        _colorRender->setContentSize(_contentSize);
    if (_gradientRender)
        rebuildColorRenderer();
    if (_backGroundImage) {
        _backGroundImage->setPosition(Vec2(_contentSize.width * 0.5f, _contentSize.height * 0.5f));
        if (_backGroundScale9Enabled)
            _backGroundImage->setPreferredSize(_contentSize);
    }
}

// --- clipping ----------------------------------------------------------------------------------

void Layout::setClippingEnabled(bool enabled) {
    if (enabled != _clippingEnabled)
        noteVisualChange();
    _clippingEnabled = enabled;
}

void Layout::visit(Renderer* renderer, const Mat4& parentTransform, uint32_t parentFlags) {
    if (!_visible)
        return;
    doLayout();
    onBeforeVisit();
    if (!renderer || !_clippingEnabled) {
        Widget::visit(renderer, parentTransform, parentFlags);
        onAfterVisit();
        return;
    }
    // One set of commands per visit in a frame: the renderer runs them after the visits.
    unsigned int frame = Director::getInstance()->getTotalFrames();
    if (frame != _clipFrame) {
        _clipFrame = frame;
        _clipPassesUsed = 0;
    }
    if (_clipPassesUsed == _clipPasses.size())
        _clipPasses.push_back(new ClipPass());
    ClipPass* pass = _clipPasses[_clipPassesUsed++];

    Mat4 world = parentTransform * getNodeToParentTransform();
    Rect clip =
        ClippingRectangleNode::rectToWorld(Rect(0, 0, _contentSize.width, _contentSize.height), world);
    pass->group.init(_globalZOrder);
    renderer->addCommand(&pass->group);
    renderer->pushGroup(pass->group.getRenderQueueID());
    pass->before.init(-FLT_MAX);
    pass->before.func = [renderer, clip] { renderer->pushScissorRect(clip); };
    renderer->addCommand(&pass->before);
    renderer->pushVisitClipRect(clip);
    Widget::visit(renderer, parentTransform, parentFlags);
    renderer->popVisitClipRect();
    pass->after.init(FLT_MAX);
    pass->after.func = [renderer] { renderer->popScissorRect(); };
    renderer->addCommand(&pass->after);
    renderer->popGroup();
    onAfterVisit();
}

// --- background --------------------------------------------------------------------------------

void Layout::setBackGroundColorType(BackGroundColorType type) {
    _colorType = type;
    rebuildColorRenderer();
}

void Layout::setBackGroundColor(const Color3B& color) {
    _color = color;
    rebuildColorRenderer();
}

void Layout::setBackGroundColor(const Color3B& start, const Color3B& end) {
    _startColor = start;
    _endColor = end;
    rebuildColorRenderer();
}

void Layout::setBackGroundColorVector(const Vec2& vector) {
    _alongVector = vector;
    rebuildColorRenderer();
}

void Layout::setBackGroundColorOpacity(GLubyte opacity) {
    _colorOpacity = opacity;
    rebuildColorRenderer();
}

void Layout::enableBKColor(bool enable, const Color3B& color, float opacity) {
    if (!enable) {
        setBackGroundColorType(BackGroundColorType::NONE);
        return;
    }
    float o = opacity < 0.0f ? 0.0f : (opacity > 1.0f ? 1.0f : opacity);
    _color = color;
    _colorOpacity = static_cast<GLubyte>(o * 255.0f + 0.5f);
    setBackGroundColorType(BackGroundColorType::SOLID);
}

void Layout::rebuildColorRenderer() {
    if (_colorType != BackGroundColorType::SOLID && _colorRender) {
        removeProtectedChild(_colorRender, true);
        _colorRender = nullptr;
    }
    if (_colorType != BackGroundColorType::GRADIENT && _gradientRender) {
        removeProtectedChild(_gradientRender, true);
        _gradientRender = nullptr;
    }
    if (_colorType == BackGroundColorType::SOLID) {
        if (!_colorRender) {
            _colorRender = LayerColor::create(Color4B(_color.r, _color.g, _color.b, _colorOpacity));
            _colorRender->setIgnoreAnchorPointForPosition(true);
            addProtectedChild(_colorRender, kColorZ);
        }
        _colorRender->setContentSize(_contentSize);
        _colorRender->setColor(_color);
        _colorRender->setOpacity(_colorOpacity);
    } else if (_colorType == BackGroundColorType::GRADIENT) {
        if (!_gradientRender) {
            _gradientRender = DrawNode::create();
            addProtectedChild(_gradientRender, kColorZ);
        }
        // Bands across the gradient's dominant axis, each of the colour at its middle; the
        // start colour is at the side the vector points away from.
        _gradientRender->clear();
        const float w = _contentSize.width;
        const float h = _contentSize.height;
        const bool horizontal = std::abs(_alongVector.x) > std::abs(_alongVector.y);
        const bool forward = horizontal ? _alongVector.x > 0 : _alongVector.y > 0;
        const float extent = horizontal ? w : h;
        const float a = _colorOpacity / 255.0f;
        for (int i = 0; i < kGradientBands; ++i) {
            float t = (i + 0.5f) / kGradientBands;
            Color4F c((_startColor.r + (_endColor.r - _startColor.r) * t) / 255.0f,
                      (_startColor.g + (_endColor.g - _startColor.g) * t) / 255.0f,
                      (_startColor.b + (_endColor.b - _startColor.b) * t) / 255.0f, a);
            float s0 = extent * i / kGradientBands;
            float s1 = extent * (i + 1) / kGradientBands;
            if (!forward) {
                s0 = extent - s0;
                s1 = extent - s1;
            }
            if (horizontal)
                _gradientRender->drawSolidRect(Vec2(std::min(s0, s1), 0), Vec2(std::max(s0, s1), h), c);
            else
                _gradientRender->drawSolidRect(Vec2(0, std::min(s0, s1)), Vec2(w, std::max(s0, s1)), c);
        }
    }
}

void Layout::setBackGroundImage(const std::string& file, TextureResType /*type*/) {
    if (file.empty()) {
        removeBackGroundImage();
        return;
    }
    if (!_backGroundImage) {
        _backGroundImage = Scale9Sprite::create();
        _backGroundImage->setScale9Enabled(_backGroundScale9Enabled);
        addProtectedChild(_backGroundImage, kImageZ);
    }
    if (!_backGroundImage->initWithFile(file))
        return;
    _backGroundImageFile = file;
    _backGroundImage->setCapInsets(_backGroundImageCapInsets);
    _backGroundImage->setColor(_backGroundImageColor);
    _backGroundImage->setOpacity(_backGroundImageOpacity);
    if (!_backGroundScale9Enabled)
        _backGroundImage->setPreferredSize(_backGroundImage->getOriginalSize());
    _contentSizeDirtyForRenderers = true;
    adaptRenderers();
}

void Layout::removeBackGroundImage() {
    if (_backGroundImage)
        removeProtectedChild(_backGroundImage, true);
    _backGroundImage = nullptr;
    _backGroundImageFile.clear();
}

void Layout::setBackGroundImageScale9Enabled(bool enabled) {
    _backGroundScale9Enabled = enabled;
    if (!_backGroundImage)
        return;
    _backGroundImage->setScale9Enabled(enabled);
    _backGroundImage->setPreferredSize(enabled ? _contentSize : _backGroundImage->getOriginalSize());
    adaptRenderers();
}

void Layout::setBackGroundImageCapInsets(const Rect& capInsets) {
    _backGroundImageCapInsets = capInsets;
    if (_backGroundImage)
        _backGroundImage->setCapInsets(capInsets);
}

void Layout::setBackGroundImageColor(const Color3B& color) {
    _backGroundImageColor = color;
    if (_backGroundImage)
        _backGroundImage->setColor(color);
}

void Layout::setBackGroundImageOpacity(GLubyte opacity) {
    _backGroundImageOpacity = opacity;
    if (_backGroundImage)
        _backGroundImage->setOpacity(opacity);
}

Size Layout::getBackGroundImageTextureSize() const {
    return _backGroundImage ? _backGroundImage->getOriginalSize() : Size::ZERO;
}

// --- cloning -----------------------------------------------------------------------------------

Widget* Layout::createCloneInstance() {
    return Layout::create();
}

void Layout::copySpecialProperties(Widget* model) {
    auto* layout = dynamic_cast<Layout*>(model);
    if (!layout)
        return;
    setBackGroundImageScale9Enabled(layout->_backGroundScale9Enabled);
    setBackGroundImageCapInsets(layout->_backGroundImageCapInsets);
    setBackGroundImage(layout->_backGroundImageFile);
    _color = layout->_color;
    _startColor = layout->_startColor;
    _endColor = layout->_endColor;
    _alongVector = layout->_alongVector;
    _colorOpacity = layout->_colorOpacity;
    setBackGroundColorType(layout->_colorType);
    setClippingEnabled(layout->_clippingEnabled);
    setClippingType(layout->_clippingType);
    setLayoutType(layout->_layoutType);
}

void Layout::copyClonedWidgetChildren(Widget* model) {
    Widget::copyClonedWidgetChildren(model);
}

} // namespace ui
} // namespace cocos2d
