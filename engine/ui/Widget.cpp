#include "ui/Widget.h"

#include "2d/Camera.h"
#include "base/Director.h"
#include "base/EventDispatcher.h"
#include "base/EventListenerTouchOneByOne.h"
#include "base/Touch.h"
#include "ui/Layout.h"
#include "ui/LayoutComponent.h"

namespace cocos2d {
namespace ui {

Widget::Widget() = default;

Widget::~Widget() {
    setTouchEnabled(false);
    for (auto& entry : _layoutParameters)
        entry.second->release();
    if (_layoutComponent)
        _layoutComponent->release();
}

Widget* Widget::create() {
    auto* widget = new Widget();
    if (!widget->init()) {
        delete widget;
        return nullptr;
    }
    widget->autorelease();
    return widget;
}

bool Widget::init() {
    if (!ProtectedNode::init())
        return false;
    initRenderer();
    setBright(true);
    ignoreContentAdaptWithSize(true);
    setAnchorPoint(Vec2::ANCHOR_MIDDLE);
    setCascadeColorEnabled(true);
    setCascadeOpacityEnabled(true);
    return true;
}

// --- states ------------------------------------------------------------------------------------

void Widget::setEnabled(bool enabled) {
    _enabled = enabled;
    setBright(enabled);
}

void Widget::setBright(bool bright) {
    _bright = bright;
    if (_bright) {
        _brightStyle = BrightStyle::NONE;
        setBrightStyle(BrightStyle::NORMAL);
    } else {
        onPressStateChangedToDisabled();
    }
}

void Widget::setBrightStyle(BrightStyle style) {
    if (_brightStyle == style)
        return;
    _brightStyle = style;
    if (style == BrightStyle::HIGHLIGHT)
        onPressStateChangedToPressed();
    else
        onPressStateChangedToNormal();
}

void Widget::setHighlighted(bool highlight) {
    if (highlight == _highlight)
        return;
    _highlight = highlight;
    if (_bright)
        setBrightStyle(_highlight ? BrightStyle::HIGHLIGHT : BrightStyle::NORMAL);
    else
        onPressStateChangedToDisabled();
}

// --- touch ---------------------------------------------------------------------------------------

void Widget::setTouchEnabled(bool enabled) {
    if (enabled == _touchEnabled)
        return;
    _touchEnabled = enabled;
    if (_touchEnabled) {
        _touchListener = EventListenerTouchOneByOne::create();
        _touchListener->retain();
        _touchListener->setSwallowTouches(_swallowTouches);
        _touchListener->onTouchBegan = [this](Touch* t, Event* e) { return onTouchBegan(t, e); };
        _touchListener->onTouchMoved = [this](Touch* t, Event* e) { onTouchMoved(t, e); };
        _touchListener->onTouchEnded = [this](Touch* t, Event* e) { onTouchEnded(t, e); };
        _touchListener->onTouchCancelled = [this](Touch* t, Event* e) { onTouchCancelled(t, e); };
        EventDispatcher* dispatcher =
            _eventDispatcher ? _eventDispatcher : Director::getInstance()->getEventDispatcher();
        dispatcher->addEventListenerWithSceneGraphPriority(_touchListener, this);
    } else if (_touchListener) {
        EventDispatcher* dispatcher =
            _eventDispatcher ? _eventDispatcher : Director::getInstance()->getEventDispatcher();
        dispatcher->removeEventListener(_touchListener);
        _touchListener->release();
        _touchListener = nullptr;
    }
}

void Widget::setSwallowTouches(bool swallow) {
    _swallowTouches = swallow;
    if (_touchListener)
        _touchListener->setSwallowTouches(swallow);
}

bool Widget::isSwallowTouches() const {
    return _touchListener ? _touchListener->isSwallowTouches() : _swallowTouches;
}

bool Widget::isAncestorsVisible(const Node* node) {
    for (const Node* n = node; n; n = n->getParent()) {
        if (!n->isVisible())
            return false;
    }
    return true;
}

bool Widget::isAncestorsEnabled() const {
    for (const Node* n = getParent(); n; n = n->getParent()) {
        auto* w = dynamic_cast<const Widget*>(n);
        if (w && !w->isEnabled())
            return false;
    }
    return true;
}

bool Widget::toNodeSpace(const Node* node, const Vec2& pt, const Camera* camera, Vec2* local) {
    if (!camera || camera->getCameraFlag() == CameraFlag::DEFAULT || camera == Camera::getDefaultCamera()) {
        *local = node->convertToNodeSpace(pt);
        return true;
    }
    // A render window's camera: cast the point's ray into the node's plane (z = 0).
    Vec3 nearP = camera->unprojectGL(Vec3(pt.x, pt.y, 0.0f)); // depth 0..1
    Vec3 farP = camera->unprojectGL(Vec3(pt.x, pt.y, 1.0f));
    Mat4 toNode = node->getWorldToNodeTransform();
    toNode.transformPoint(&nearP);
    toNode.transformPoint(&farP);
    float dz = farP.z - nearP.z;
    if (dz == 0.0f)
        return false;
    float t = -nearP.z / dz;
    *local = Vec2(nearP.x + (farP.x - nearP.x) * t, nearP.y + (farP.y - nearP.y) * t);
    return true;
}

bool Widget::hitTest(const Vec2& pt, const Camera* camera, Vec3* p) const {
    Vec2 local;
    if (!toNodeSpace(this, pt, camera, &local))
        return false;
    if (p)
        *p = Vec3(local.x, local.y, 0.0f);
    const Size& s = _contentSize;
    float w = s.width * _touchScale;
    float h = s.height * _touchScale;
    Rect area((s.width - w) * 0.5f, (s.height - h) * 0.5f, w, h);
    return area.containsPoint(local);
}

bool Widget::isClippingParentContainsPoint(const Vec2& pt) const {
    const Camera* visiting = Camera::getVisitingCamera();
    for (const Node* n = getParent(); n; n = n->getParent()) {
        auto* layout = dynamic_cast<const Layout*>(n);
        if (!layout || !layout->isClippingEnabled())
            continue;
        // Each clipping parent is tested as the camera that draws it shows it: a render
        // window under the default camera holds children drawn by its own camera.
        const Camera* camera =
            visiting && layout->hasCameraFlag(static_cast<unsigned short>(visiting->getCameraFlag()))
                ? visiting
                : nullptr;
        Vec2 local;
        const Size& s = layout->getContentSize();
        if (!toNodeSpace(layout, pt, camera, &local) || !Rect(0, 0, s.width, s.height).containsPoint(local))
            return false;
    }
    return true;
}

bool Widget::onTouchBegan(Touch* touch, Event* /*unusedEvent*/) {
    _hitted = false;
    if (isVisible() && isEnabled() && isAncestorsEnabled() && isAncestorsVisible(this)) {
        _touchBeganPosition = touch->getLocation();
        if (hitTest(_touchBeganPosition, Camera::getVisitingCamera(), nullptr) &&
            isClippingParentContainsPoint(_touchBeganPosition))
            _hitted = true;
    }
    if (!_hitted)
        return false;
    setHighlighted(true);
    if (_propagateTouchEvents)
        propagateTouchEvent(TouchEventType::BEGAN, this, touch);
    pushDownEvent();
    return true;
}

void Widget::onTouchMoved(Touch* touch, Event* /*unusedEvent*/) {
    _touchMovePosition = touch->getLocation();
    // Only the point decides: a parent that took the highlight away gives it back when the
    // finger returns, unless it keeps the touch for itself (it then switches it off again).
    setHighlighted(hitTest(_touchMovePosition, Camera::getVisitingCamera(), nullptr) &&
                   isClippingParentContainsPoint(_touchMovePosition));
    if (_propagateTouchEvents)
        propagateTouchEvent(TouchEventType::MOVED, this, touch);
    moveEvent();
}

void Widget::onTouchEnded(Touch* touch, Event* /*unusedEvent*/) {
    _touchEndPosition = touch->getLocation();
    if (_propagateTouchEvents)
        propagateTouchEvent(TouchEventType::ENDED, this, touch);
    bool highlight = _highlight;
    setHighlighted(false);
    if (highlight)
        releaseUpEvent();
    else
        cancelUpEvent();
}

void Widget::onTouchCancelled(Touch* touch, Event* /*unusedEvent*/) {
    if (_propagateTouchEvents)
        propagateTouchEvent(TouchEventType::CANCELED, this, touch);
    setHighlighted(false);
    cancelUpEvent();
}

void Widget::interceptTouchEvent(TouchEventType event, Widget* sender, Touch* touch) {
    if (Widget* parent = getWidgetParent())
        parent->interceptTouchEvent(event, sender, touch);
}

void Widget::propagateTouchEvent(TouchEventType event, Widget* sender, Touch* touch) {
    if (Widget* parent = getWidgetParent())
        parent->interceptTouchEvent(event, sender, touch);
}

// The callbacks may remove the widget; it stays alive until they return.
void Widget::pushDownEvent() {
    retain();
    if (_touchEventCallback)
        _touchEventCallback(this, TouchEventType::BEGAN);
    release();
}

void Widget::moveEvent() {
    retain();
    if (_touchEventCallback)
        _touchEventCallback(this, TouchEventType::MOVED);
    release();
}

void Widget::releaseUpEvent() {
    retain();
    if (_touchEventCallback)
        _touchEventCallback(this, TouchEventType::ENDED);
    if (_clickEventListener)
        _clickEventListener(this);
    release();
}

void Widget::cancelUpEvent() {
    retain();
    if (_touchEventCallback)
        _touchEventCallback(this, TouchEventType::CANCELED);
    release();
}

// --- size and position -----------------------------------------------------------------------

void Widget::setContentSize(const Size& contentSize) {
    _customSize = contentSize;
    Size size = _ignoreSize ? getVirtualRendererSize() : contentSize;
    bool changed = !size.equals(_contentSize);
    ProtectedNode::setContentSize(size);
    if (_parent) {
        const Size& ps = _parent->getContentSize();
        _sizePercent.set(ps.width > 0 ? _customSize.width / ps.width : 0.0f,
                         ps.height > 0 ? _customSize.height / ps.height : 0.0f);
    }
    if (changed) {
        adaptRenderers();
        onSizeChanged();
    }
}

void Widget::setSizePercent(const Vec2& percent) {
    _sizePercent = percent;
    if (!_parent)
        return;
    const Size& ps = _parent->getContentSize();
    Size size(ps.width * percent.x, ps.height * percent.y);
    Vec2 keep = _sizePercent;
    setContentSize(size);
    _sizePercent = keep;
}

void Widget::setPosition(const Vec2& pos) {
    if (_parent) {
        const Size& ps = _parent->getContentSize();
        _positionPercent.set(ps.width > 0 ? pos.x / ps.width : 0.0f,
                             ps.height > 0 ? pos.y / ps.height : 0.0f);
    }
    ProtectedNode::setPosition(pos);
}

void Widget::requestParentLayout() {
    if (auto* layout = dynamic_cast<Layout*>(_parent))
        layout->requestDoLayout();
}

void Widget::setVisible(bool visible) {
    if (visible != _visible)
        requestParentLayout();
    ProtectedNode::setVisible(visible);
}

void Widget::setScaleX(float scaleX) {
    ProtectedNode::setScaleX(scaleX);
    requestParentLayout();
}

void Widget::setScaleY(float scaleY) {
    ProtectedNode::setScaleY(scaleY);
    requestParentLayout();
}

void Widget::setScale(float scale) {
    ProtectedNode::setScale(scale);
    requestParentLayout();
}

void Widget::setScale(float scaleX, float scaleY) {
    ProtectedNode::setScale(scaleX, scaleY);
    requestParentLayout();
}

void Widget::setPositionPercent(const Vec2& percent) {
    _positionPercent = percent;
    if (!_parent)
        return;
    const Size& ps = _parent->getContentSize();
    ProtectedNode::setPosition(Vec2(ps.width * percent.x, ps.height * percent.y));
}

void Widget::setPositionType(PositionType type) {
    _positionType = type;
}

void Widget::ignoreContentAdaptWithSize(bool ignore) {
    _ignoreSize = ignore;
    Size size = ignore ? getVirtualRendererSize() : _customSize;
    if (!size.equals(_contentSize)) {
        ProtectedNode::setContentSize(size);
        adaptRenderers();
        onSizeChanged();
    }
}

void Widget::updateSizeAndPosition() {
    if (_parent)
        updateSizeAndPosition(_parent->getContentSize());
}

void Widget::updateSizeAndPosition(const Size& parentSize) {
    if (_sizeType == SizeType::PERCENT) {
        Vec2 keep = _sizePercent;
        setContentSize(Size(parentSize.width * _sizePercent.x, parentSize.height * _sizePercent.y));
        _sizePercent = keep;
    }
    if (_positionType == PositionType::PERCENT) {
        ProtectedNode::setPosition(
            Vec2(parentSize.width * _positionPercent.x, parentSize.height * _positionPercent.y));
    } else if (parentSize.width > 0 && parentSize.height > 0) {
        _positionPercent.set(_position.x / parentSize.width, _position.y / parentSize.height);
    }
}

void Widget::rendererChanged() {
    if (_ignoreSize) {
        Size size = getVirtualRendererSize();
        if (!size.equals(_contentSize)) {
            ProtectedNode::setContentSize(size);
            onSizeChanged();
        }
    }
    adaptRenderers();
}

void Widget::onSizeChanged() {
    requestParentLayout();
    for (Node* child : _children) {
        if (auto* widget = dynamic_cast<Widget*>(child))
            widget->updateSizeAndPosition(_contentSize);
    }
}

Widget* Widget::getWidgetParent() {
    return dynamic_cast<Widget*>(getParent());
}

float Widget::getLeftBoundary() const {
    return _position.x - _scaleX * _contentSize.width * _anchorPoint.x;
}

float Widget::getBottomBoundary() const {
    return _position.y - _scaleY * _contentSize.height * _anchorPoint.y;
}

float Widget::getRightBoundary() const {
    return getLeftBoundary() + _scaleX * _contentSize.width;
}

float Widget::getTopBoundary() const {
    return getBottomBoundary() + _scaleY * _contentSize.height;
}

// --- layout ------------------------------------------------------------------------------------

void Widget::setLayoutParameter(LayoutParameter* parameter) {
    if (!parameter)
        return;
    int key = static_cast<int>(parameter->getLayoutType());
    auto it = _layoutParameters.find(key);
    parameter->retain();
    if (it != _layoutParameters.end()) {
        it->second->release();
        it->second = parameter;
    } else {
        _layoutParameters[key] = parameter;
    }
    _layoutParameterType = parameter->getLayoutType();
    requestParentLayout();
}

LayoutParameter* Widget::getLayoutParameter() const {
    return getLayoutParameter(_layoutParameterType);
}

LayoutParameter* Widget::getLayoutParameter(LayoutParameter::Type type) const {
    auto it = _layoutParameters.find(static_cast<int>(type));
    return it == _layoutParameters.end() ? nullptr : it->second;
}

void Widget::setLayoutComponent(LayoutComponent* component) {
    if (component == _layoutComponent)
        return;
    if (component)
        component->retain();
    if (_layoutComponent) {
        _layoutComponent->setOwner(nullptr);
        _layoutComponent->release();
    }
    _layoutComponent = component;
    if (component)
        component->setOwner(this);
}

Widget* Widget::findNextFocusedWidget(FocusDirection /*direction*/, Widget* current) {
    return current;
}

// --- drawing -----------------------------------------------------------------------------------

void Widget::visit(Renderer* renderer, const Mat4& parentTransform, uint32_t parentFlags) {
    if (!_visible)
        return;
    if (_contentSizeDirtyForRenderers) {
        adaptRenderers();
        _contentSizeDirtyForRenderers = false;
    }
    ProtectedNode::visit(renderer, parentTransform, parentFlags);
}

void Widget::onEnter() {
    // A percent size or position given before the widget had a parent takes effect now.
    if (_sizeType == SizeType::PERCENT || _positionType == PositionType::PERCENT)
        updateSizeAndPosition();
    ProtectedNode::onEnter();
}

// --- cloning -----------------------------------------------------------------------------------

std::string Widget::getDescription() const {
    return "Widget";
}

Widget* Widget::createCloneInstance() {
    return Widget::create();
}

void Widget::copySpecialProperties(Widget* /*model*/) {}

void Widget::copyClonedWidgetChildren(Widget* model) {
    for (Node* child : model->getChildren()) {
        if (auto* widget = dynamic_cast<Widget*>(child))
            addChild(widget->clone());
    }
}

void Widget::copyProperties(Widget* model) {
    setEnabled(model->isEnabled());
    setVisible(model->isVisible());
    setBright(model->isBright());
    setTouchEnabled(model->isTouchEnabled());
    setSwallowTouches(model->isSwallowTouches());
    setPropagateTouchEvents(model->isPropagateTouchEvents());
    setTouchScaled(model->getTouchScaled());
    setLocalZOrder(model->getLocalZOrder());
    setTag(model->getTag());
    setName(model->getName());
    setUserString(model->getUserString());
    setCallbackName(model->getCallbackName());
    _touchEventCallback = model->_touchEventCallback;
    _clickEventListener = model->_clickEventListener;
    _ignoreSize = model->_ignoreSize;
    _sizeType = model->_sizeType;
    _sizePercent = model->_sizePercent;
    _positionType = model->_positionType;
    _positionPercent = model->_positionPercent;
    setContentSize(model->_customSize);
    setPosition(model->getPosition());
    setAnchorPoint(model->getAnchorPoint());
    setScaleX(model->getScaleX());
    setScaleY(model->getScaleY());
    setRotation(model->getRotation());
    setColor(model->getColor());
    setOpacity(model->getOpacity());
    for (auto& entry : model->_layoutParameters)
        setLayoutParameter(entry.second->clone());
    _layoutParameterType = model->_layoutParameterType;
    copySpecialProperties(model);
}

Widget* Widget::clone() {
    Widget* copy = createCloneInstance();
    if (!copy)
        return nullptr;
    copy->copyProperties(this);
    copy->copyClonedWidgetChildren(this);
    return copy;
}

} // namespace ui
} // namespace cocos2d
