#include "2d/Node.h"

#include <algorithm>
#include <new>

#include "2d/ActionManager.h"
#include "2d/Camera.h"
#include "2d/Scene.h"
#include "base/Director.h"
#include "renderer/GLProgramState.h"
#include "base/EventDispatcher.h"
#include "base/EventListenerKeyboard.h"
#include "base/Scheduler.h"
#include "base/Touch.h"
#include "base/ccLog.h"
#include "base/ccMacros.h"

namespace cocos2d {

unsigned int Node::s_globalOrderOfArrival = 1;

Node* Node::create()
{
    auto* ret = new (std::nothrow) Node();
    if (ret && ret->init()) {
        ret->autorelease();
        return ret;
    }
    delete ret;
    return nullptr;
}

Node::Node()
{
    Director* director = Director::getInstance();
    _scheduler = director->getScheduler();
    CC_SAFE_RETAIN(_scheduler);
    _actionManager = director->getActionManager();
    CC_SAFE_RETAIN(_actionManager);
    _eventDispatcher = director->getEventDispatcher();
    CC_SAFE_RETAIN(_eventDispatcher);
}

Node::~Node()
{
    CC_SAFE_RELEASE_NULL(_userObject);
    CC_SAFE_RELEASE_NULL(_glProgramState);
    for (Node* child : _children)
        child->_parent = nullptr;
    delete _additionalTransform;
    _additionalTransform = nullptr;
    if (_actionManager) {
        _actionManager->removeAllActionsFromTarget(this);
        _actionManager->release();
    }
    // A node freed without cleanup must not leave timers that would call into freed memory.
    if (_scheduler) {
        _scheduler->unscheduleAllForTarget(this);
        _scheduler->release();
    }
    if (_eventDispatcher) {
        _eventDispatcher->removeEventListenersForTarget(this);
        _eventDispatcher->release();
    }
    CC_SAFE_RELEASE_NULL(_returnKeyListener);
}

bool Node::init() { return true; }

std::string Node::getDescription() const { return "<Node | Tag = " + std::to_string(_tag) + ">"; }

// --- z order -----------------------------------------------------------------------------

void Node::setLocalZOrder(int z)
{
    if (_localZOrder == z)
        return;
    if (_parent)
        _parent->reorderChild(this, z);
    else
        _localZOrder = z;
}

void Node::setGlobalZOrder(float globalZOrder)
{
    if (_globalZOrder == globalZOrder)
        return;
    _globalZOrder = globalZOrder;
    noteVisualChange();
}

void Node::updateChildrenToHighZOrder()
{
    const float z = static_cast<float>(_localZOrder);
    visitInDrawOrder([z](Node* node) { node->setGlobalZOrder(z); });
}

// --- geometry ----------------------------------------------------------------------------

void Node::markTransformDirty() { _transformUpdated = _transformDirty = _inverseDirty = true; }

Node::TransformDirtyFlag& Node::TransformDirtyFlag::operator=(bool value)
{
    _value = value;
    if (value)
        _owner->noteVisualChange();
    return *this;
}

void Node::noteVisualChange()
{
    if (_running)
        Director::getInstance()->markChanged();
}

void Node::setScaleX(float scaleX)
{
    if (_scaleX == scaleX)
        return;
    _scaleX = scaleX;
    markTransformDirty();
}

void Node::setScaleY(float scaleY)
{
    if (_scaleY == scaleY)
        return;
    _scaleY = scaleY;
    markTransformDirty();
}

void Node::setScaleZ(float scaleZ)
{
    if (_scaleZ == scaleZ)
        return;
    _scaleZ = scaleZ;
    markTransformDirty();
}

void Node::setScale(float scale)
{
    if (_scaleX == scale && _scaleY == scale && _scaleZ == scale)
        return;
    _scaleX = _scaleY = _scaleZ = scale;
    markTransformDirty();
}

void Node::setScale(float scaleX, float scaleY)
{
    if (_scaleX == scaleX && _scaleY == scaleY)
        return;
    _scaleX = scaleX;
    _scaleY = scaleY;
    markTransformDirty();
}

void Node::setPosition(const Vec2& position) { setPosition(position.x, position.y); }

void Node::setPosition(float x, float y)
{
    if (_position.x == x && _position.y == y && !_usingNormalizedPosition)
        return;
    _position.set(x, y);
    _usingNormalizedPosition = false;
    markTransformDirty();
}

void Node::getPosition(float* x, float* y) const
{
    if (x)
        *x = _position.x;
    if (y)
        *y = _position.y;
}

void Node::setPositionX(float x) { setPosition(x, _position.y); }

void Node::setPositionY(float y) { setPosition(_position.x, y); }

void Node::setPosition3D(const Vec3& position)
{
    setPositionZ(position.z);
    setPosition(position.x, position.y);
}

void Node::setPositionZ(float positionZ)
{
    if (_positionZ == positionZ)
        return;
    _positionZ = positionZ;
    markTransformDirty();
}

void Node::setNormalizedPosition(const Vec2& position)
{
    _normalizedPosition = position;
    _usingNormalizedPosition = true;
    _normalizedPositionDirty = true;
    if (_parent) {
        const Size& s = _parent->getContentSize();
        _position.set(s.width * position.x, s.height * position.y);
        _normalizedPositionDirty = false;
    }
    markTransformDirty();
}

void Node::setSkewX(float skewX)
{
    if (_skewX == skewX)
        return;
    _skewX = skewX;
    markTransformDirty();
}

void Node::setSkewY(float skewY)
{
    if (_skewY == skewY)
        return;
    _skewY = skewY;
    markTransformDirty();
}

void Node::setAnchorPoint(const Vec2& point)
{
    if (point == _anchorPoint)
        return;
    _anchorPoint = point;
    _anchorPointInPoints.set(_contentSize.width * point.x, _contentSize.height * point.y);
    markTransformDirty();
}

void Node::setContentSize(const Size& size)
{
    if (size == _contentSize)
        return;
    _contentSize = size;
    _anchorPointInPoints.set(size.width * _anchorPoint.x, size.height * _anchorPoint.y);
    markTransformDirty();
    _contentSizeDirty = true;
}

void Node::setIgnoreAnchorPointForPosition(bool ignore)
{
    if (ignore == _ignoreAnchorPointForPosition)
        return;
    _ignoreAnchorPointForPosition = ignore;
    markTransformDirty();
}

void Node::setRotation(float rotation)
{
    if (_rotationZ_X == rotation && _rotationZ_Y == rotation)
        return;
    _rotationZ_X = _rotationZ_Y = rotation;
    updateRotationQuat();
    markTransformDirty();
}

void Node::setRotation3D(const Vec3& rotation)
{
    if (_rotationX == rotation.x && _rotationY == rotation.y && _rotationZ_X == rotation.z &&
        _rotationZ_Y == rotation.z)
        return;
    _rotationX = rotation.x;
    _rotationY = rotation.y;
    _rotationZ_X = _rotationZ_Y = rotation.z;
    updateRotationQuat();
    markTransformDirty();
}

void Node::setRotationQuat(const Quaternion& quat)
{
    _rotationQuat = quat;
    updateRotation3D();
    markTransformDirty();
}

void Node::setRotationSkewX(float rotationX)
{
    if (_rotationZ_X == rotationX)
        return;
    _rotationZ_X = rotationX;
    updateRotationQuat();
    markTransformDirty();
}

void Node::setRotationSkewY(float rotationY)
{
    if (_rotationZ_Y == rotationY)
        return;
    _rotationZ_Y = rotationY;
    updateRotationQuat();
    markTransformDirty();
}

void Node::updateRotationQuat()
{
    // x first, then y, then z; z turns clockwise like the 2D rotation.
    const float rz = (_rotationZ_X == _rotationZ_Y) ? -CC_DEGREES_TO_RADIANS(_rotationZ_X) : 0.0f;
    _rotationQuat = Quaternion(Vec3::UNIT_Z, rz) * Quaternion(Vec3::UNIT_Y, CC_DEGREES_TO_RADIANS(_rotationY)) *
                    Quaternion(Vec3::UNIT_X, CC_DEGREES_TO_RADIANS(_rotationX));
}

void Node::updateRotation3D()
{
    // Euler angles (x, then y, then z) of the quaternion, z reported clockwise.
    const Quaternion& q = _rotationQuat;
    const float sinrCosp = 2.0f * (q.w * q.x + q.y * q.z);
    const float cosrCosp = 1.0f - 2.0f * (q.x * q.x + q.y * q.y);
    float sinp = 2.0f * (q.w * q.y - q.z * q.x);
    sinp = std::max(-1.0f, std::min(1.0f, sinp));
    const float sinyCosp = 2.0f * (q.w * q.z + q.x * q.y);
    const float cosyCosp = 1.0f - 2.0f * (q.y * q.y + q.z * q.z);
    _rotationX = CC_RADIANS_TO_DEGREES(std::atan2(sinrCosp, cosrCosp));
    _rotationY = CC_RADIANS_TO_DEGREES(std::asin(sinp));
    _rotationZ_X = _rotationZ_Y = -CC_RADIANS_TO_DEGREES(std::atan2(sinyCosp, cosyCosp));
}

void Node::setVisible(bool visible)
{
    if (visible == _visible)
        return;
    _visible = visible;
    if (_visible)
        markTransformDirty();
    else
        noteVisualChange();
}

// --- colour and opacity ------------------------------------------------------------------

void Node::setOpacity(GLubyte opacity)
{
    if (_realOpacity != opacity || _displayedOpacity != opacity)
        noteVisualChange();
    _displayedOpacity = _realOpacity = opacity;
    if (_cascadeOpacityEnabled) {
        GLubyte parentOpacity = 255;
        if (_parent && _parent->isCascadeOpacityEnabled())
            parentOpacity = _parent->getDisplayedOpacity();
        updateDisplayedOpacity(parentOpacity);
    }
}

void Node::updateDisplayedOpacity(GLubyte parentOpacity)
{
    const GLubyte displayed = static_cast<GLubyte>(_realOpacity * parentOpacity / 255);
    if (displayed != _displayedOpacity)
        noteVisualChange();
    _displayedOpacity = displayed;
    if (_cascadeOpacityEnabled) {
        for (Node* child : _children)
            child->updateDisplayedOpacity(_displayedOpacity);
    }
}

void Node::setCascadeOpacityEnabled(bool enabled)
{
    if (_cascadeOpacityEnabled == enabled)
        return;
    _cascadeOpacityEnabled = enabled;
    if (enabled) {
        setOpacity(_realOpacity);
    } else {
        _displayedOpacity = _realOpacity;
        for (Node* child : _children)
            child->updateDisplayedOpacity(255);
    }
}

void Node::setColor(const Color3B& color)
{
    if (_realColor != color || _displayedColor != color)
        noteVisualChange();
    _displayedColor = _realColor = color;
    if (_cascadeColorEnabled) {
        Color3B parentColor = Color3B::WHITE;
        if (_parent && _parent->isCascadeColorEnabled())
            parentColor = _parent->getDisplayedColor();
        updateDisplayedColor(parentColor);
    }
}

void Node::updateDisplayedColor(const Color3B& parentColor)
{
    const Color3B displayed(static_cast<GLubyte>(_realColor.r * parentColor.r / 255),
                            static_cast<GLubyte>(_realColor.g * parentColor.g / 255),
                            static_cast<GLubyte>(_realColor.b * parentColor.b / 255));
    if (displayed != _displayedColor)
        noteVisualChange();
    _displayedColor = displayed;
    if (_cascadeColorEnabled) {
        for (Node* child : _children)
            child->updateDisplayedColor(_displayedColor);
    }
}

void Node::setCascadeColorEnabled(bool enabled)
{
    if (_cascadeColorEnabled == enabled)
        return;
    _cascadeColorEnabled = enabled;
    if (enabled) {
        setColor(_realColor);
    } else {
        _displayedColor = _realColor;
        for (Node* child : _children)
            child->updateDisplayedColor(Color3B::WHITE);
    }
}

// --- children ----------------------------------------------------------------------------

void Node::addChild(Node* child, int localZOrder, int tag)
{
    addChildHelper(child, localZOrder, tag, "", true);
}

void Node::addChild(Node* child, int localZOrder, const std::string& name)
{
    addChildHelper(child, localZOrder, INVALID_TAG, name, false);
}

void Node::addChild(Node* child, int localZOrder)
{
    if (child)
        addChild(child, localZOrder, child->_name);
}

void Node::addChild(Node* child)
{
    if (child)
        addChild(child, child->_localZOrder, child->_name);
}

bool Node::canAdopt(const Node* child, const char* operation) const
{
    if (!child) {
        log("%s: null child", operation);
        return false;
    }
    if (child->_parent) {
        log("%s: the child already has a parent", operation);
        return false;
    }
    // A node may not become its own ancestor: the tree would turn into a loop.
    for (const Node* p = this; p; p = p->_parent) {
        if (p == child) {
            log("%s: a node cannot be added below itself", operation);
            return false;
        }
    }
    return true;
}

void Node::adoptChild(Node* child)
{
    child->setParent(this);
    if (child->_usingNormalizedPosition)
        child->setNormalizedPosition(child->_normalizedPosition);
    if (_running) {
        child->onEnter();
        // A child joining a node whose transition has finished gets that call too.
        if (_isTransitionFinished)
            child->onEnterTransitionDidFinish();
    }
    if (_cascadeColorEnabled)
        child->updateDisplayedColor(_displayedColor);
    if (_cascadeOpacityEnabled)
        child->updateDisplayedOpacity(_displayedOpacity);
}

void Node::placeInOrder(Node* child, int localZOrder)
{
    child->_localZOrder = localZOrder;
    child->_orderOfArrival = s_globalOrderOfArrival++;
}

void Node::sortByZOrder(Vector<Node*>& nodes)
{
    std::sort(nodes.begin(), nodes.end(), [](const Node* a, const Node* b) {
        if (a->_localZOrder != b->_localZOrder)
            return a->_localZOrder < b->_localZOrder;
        return a->_orderOfArrival < b->_orderOfArrival;
    });
}

void Node::addChildHelper(Node* child, int localZOrder, int tag, const std::string& name, bool setTag)
{
    if (!canAdopt(child, "Node::addChild"))
        return;
    insertChild(child, localZOrder);
    if (setTag)
        child->setTag(tag);
    else
        child->setName(name);
    adoptChild(child);
}

void Node::insertChild(Node* child, int z)
{
    _reorderChildDirty = true;
    _children.pushBack(child);
    placeInOrder(child, z);
}

Node* Node::getChildByTag(int tag) const
{
    for (Node* child : _children) {
        if (child->_tag == tag)
            return child;
    }
    return nullptr;
}

Node* Node::getChildByName(const std::string& name) const
{
    if (name.empty())
        return nullptr;
    for (Node* child : _children) {
        if (child->_name == name)
            return child;
    }
    return nullptr;
}

Node* Node::getChildByNameDeep(const std::string& name) const
{
    if (name.empty())
        return nullptr;
    for (Node* child : _children) {
        if (child->getName() == name)
            return child;
        if (Node* found = child->getChildByNameDeep(name))
            return found;
    }
    return nullptr;
}

void Node::setParent(Node* parent)
{
    _parent = parent;
    markTransformDirty();
}

void Node::removeFromParent() { removeFromParentAndCleanup(true); }

void Node::removeFromParentAndCleanup(bool cleanup)
{
    if (_parent)
        _parent->removeChild(this, cleanup);
}

void Node::removeChild(Node* child, bool cleanup)
{
    if (!child || _children.empty())
        return;
    ssize_t index = _children.getIndex(child);
    if (index >= 0)
        detachChild(child, index, cleanup);
}

void Node::removeChildByTag(int tag, bool cleanup)
{
    Node* child = getChildByTag(tag);
    if (!child)
        log("Node::removeChildByTag: no child with tag %d", tag);
    else
        removeChild(child, cleanup);
}

void Node::removeChildByName(const std::string& name, bool cleanup)
{
    Node* child = getChildByName(name);
    if (!child)
        log("Node::removeChildByName: no child named %s", name.c_str());
    else
        removeChild(child, cleanup);
}

void Node::removeAllChildren() { removeAllChildrenWithCleanup(true); }

void Node::removeAllChildrenWithCleanup(bool cleanup)
{
    // Callbacks below may add or remove children; work through a copy.
    Vector<Node*> children = _children;
    for (Node* child : children) {
        if (child->_parent == this)
            detachChild(child, _children.getIndex(child), cleanup);
    }
}

void Node::detachChild(Node* child, ssize_t index, bool doCleanup)
{
    (void)index;
    dropChild(child, _children, doCleanup);
}

void Node::dropChild(Node* child, Vector<Node*>& list, bool doCleanup)
{
    child->retain(); // alive through its own exit callbacks
    if (_running) {
        child->onExitTransitionDidStart();
        child->onExit();
    }
    if (doCleanup)
        child->cleanup();
    if (child->_parent == this) {
        child->setParent(nullptr);
        list.eraseObject(child);
    }
    child->release();
}

void Node::reorderChild(Node* child, int zOrder)
{
    if (!child || child->_parent != this)
        return;
    _reorderChildDirty = true;
    placeInOrder(child, zOrder);
    noteVisualChange();
}

void Node::sortAllChildren()
{
    if (!_reorderChildDirty)
        return;
    sortByZOrder(_children);
    _reorderChildDirty = false;
}

void Node::setUserObject(Ref* userObject)
{
    CC_SAFE_RETAIN(userObject);
    CC_SAFE_RELEASE(_userObject);
    _userObject = userObject;
}

// --- lifecycle ---------------------------------------------------------------------------

void Node::onEnter()
{
    _isTransitionFinished = false;
    Vector<Node*> children = _children;
    for (Node* child : children)
        child->onEnter();
    resume();
    _running = true;
    noteVisualChange();
}

void Node::onEnterTransitionDidFinish()
{
    _isTransitionFinished = true;
    Vector<Node*> children = _children;
    for (Node* child : children)
        child->onEnterTransitionDidFinish();
}

void Node::onExitTransitionDidStart()
{
    Vector<Node*> children = _children;
    for (Node* child : children)
        child->onExitTransitionDidStart();
}

void Node::onExit()
{
    noteVisualChange();
    pause();
    _running = false;
    Vector<Node*> children = _children;
    for (Node* child : children)
        child->onExit();
}

void Node::cleanup()
{
    stopAllActions();
    unscheduleAllCallbacks();
    Vector<Node*> children = _children;
    for (Node* child : children)
        child->cleanup();
}

Scene* Node::getScene() const
{
    const Node* root = this;
    while (root->_parent)
        root = root->_parent;
    return dynamic_cast<Scene*>(const_cast<Node*>(root));
}

// --- drawing -----------------------------------------------------------------------------

void Node::draw(Renderer* renderer, const Mat4& transform, uint32_t flags)
{
    (void)renderer;
    (void)transform;
    (void)flags;
}

void Node::setGLProgram(GLProgram* glprogram)
{
    if (!glprogram) {
        setGLProgramState(nullptr);
    } else if (!_glProgramState || _glProgramState->getGLProgram() != glprogram) {
        setGLProgramState(GLProgramState::create(glprogram));
    }
}

GLProgram* Node::getGLProgram() const
{
    return _glProgramState ? _glProgramState->getGLProgram() : nullptr;
}

void Node::setGLProgramState(GLProgramState* glProgramState)
{
    if (glProgramState == _glProgramState)
        return;
    CC_SAFE_RETAIN(glProgramState);
    CC_SAFE_RELEASE(_glProgramState);
    _glProgramState = glProgramState;
    noteVisualChange();
}

void Node::visit()
{
    const Mat4 parentTransform = _parent ? _parent->getNodeToWorldTransform() : Mat4::IDENTITY;
    visit(nullptr, parentTransform, FLAGS_TRANSFORM_DIRTY);
}

void Node::visit(Renderer* renderer, const Mat4& parentTransform, uint32_t parentFlags)
{
    if (!_visible)
        return;
    const uint32_t flags = processParentFlags(parentTransform, parentFlags);
    const bool visibleByCamera = isVisitableByVisitingCamera();
    walkInDrawOrder([&](Node* child) { visitChild(child, renderer, flags); },
                    [&] {
                        if (visibleByCamera)
                            draw(renderer, _modelViewTransform, flags);
                    });
}

void Node::visitChild(Node* child, Renderer* renderer, uint32_t flags)
{
    child->visit(renderer, _modelViewTransform, flags);
    if (!_cameraVisitThroughChild)
        return;
    Camera* visiting = Camera::_visitingCamera;
    // In-line cameras draw only inside a pass of a scene camera, never inside each other.
    if (visiting && visiting->isDrawnInline())
        return;
    Vector<Node*> grandChildren = child->_children;
    for (Node* n : grandChildren) {
        auto* camera = dynamic_cast<Camera*>(n);
        if (!camera || !camera->isVisible() || camera == visiting || !camera->isDrawnInline())
            continue;
        Camera::_visitingCamera = camera;
        camera->beginVisit(renderer);
        child->visit(renderer, _modelViewTransform, flags);
        camera->endVisit(renderer);
    }
    Camera::_visitingCamera = visiting;
}

void Node::visitInDrawOrder(const std::function<void(Node*)>& fn)
{
    walkInDrawOrder([&](Node* child) { child->visitInDrawOrder(fn); }, [&] { fn(this); });
}

void Node::walkInDrawOrder(const std::function<void(Node*)>& child, const std::function<void()>& self)
{
    sortAllChildren();
    // A copy: drawing and callbacks may change the children.
    Vector<Node*> children = _children;
    ssize_t i = 0;
    for (; i < children.size() && children.at(i)->_localZOrder < 0; ++i)
        child(children.at(i));
    self();
    for (; i < children.size(); ++i)
        child(children.at(i));
}

uint32_t Node::processParentFlags(const Mat4& parentTransform, uint32_t parentFlags)
{
    if (_usingNormalizedPosition && _parent &&
        (_normalizedPositionDirty || (parentFlags & FLAGS_CONTENT_SIZE_DIRTY))) {
        const Size& s = _parent->getContentSize();
        _position.set(s.width * _normalizedPosition.x, s.height * _normalizedPosition.y);
        _normalizedPositionDirty = false;
        markTransformDirty();
    }
    uint32_t flags = parentFlags;
    if (_transformUpdated || _transformDirty)
        flags |= FLAGS_TRANSFORM_DIRTY;
    if (_contentSizeDirty)
        flags |= FLAGS_CONTENT_SIZE_DIRTY;
    // Always recomputed (one matrix product): a subclass with a transform of its own may change
    // it without raising any flag, and a stale matrix would draw the node in the wrong place.
    _modelViewTransform = transform(parentTransform);
    _transformUpdated = false;
    _contentSizeDirty = false;
    return flags;
}

Mat4 Node::transform(const Mat4& parentTransform) { return parentTransform * getNodeToParentTransform(); }

// --- transforms --------------------------------------------------------------------------

const Mat4& Node::getNodeToParentTransform() const
{
    if (!_transformDirty)
        return _transform;

    float x = _position.x;
    float y = _position.y;
    if (_ignoreAnchorPointForPosition) {
        x += _anchorPointInPoints.x;
        y += _anchorPointInPoints.y;
    }
    Mat4 t;
    Mat4::createTranslation(x, y, _positionZ, &t);

    Mat4 r;
    if (_rotationZ_X != _rotationZ_Y) {
        // Separate turns of the x and y axes (rotation skew), in the plane only.
        const float ax = -CC_DEGREES_TO_RADIANS(_rotationZ_X);
        const float ay = -CC_DEGREES_TO_RADIANS(_rotationZ_Y);
        r.m[0] = std::cos(ax);
        r.m[1] = std::sin(ax);
        r.m[4] = -std::sin(ay);
        r.m[5] = std::cos(ay);
    } else {
        Mat4::createRotation(_rotationQuat, &r);
    }

    Mat4 k;
    if (_skewX != 0.0f || _skewY != 0.0f) {
        k.m[4] = std::tan(CC_DEGREES_TO_RADIANS(_skewX));
        k.m[1] = std::tan(CC_DEGREES_TO_RADIANS(_skewY));
    }

    Mat4 s;
    Mat4::createScale(_scaleX, _scaleY, _scaleZ, &s);

    _transform = t * r * k * s;
    if (!_anchorPointInPoints.isZero())
        _transform.translate(-_anchorPointInPoints.x, -_anchorPointInPoints.y, 0.0f);
    if (_additionalTransform)
        _transform = _transform * *_additionalTransform;

    _transformDirty = false;
    return _transform;
}

void Node::setNodeToParentTransform(const Mat4& transform)
{
    _transform = transform;
    _transformDirty = false;
    _transformUpdated = true;
    _inverseDirty = true;
    noteVisualChange();
}

Mat4 Node::getNodeToParentTransform(Node* ancestor) const
{
    Mat4 t = getNodeToParentTransform();
    for (const Node* p = _parent; p && p != ancestor; p = p->_parent)
        t = p->getNodeToParentTransform() * t;
    return t;
}

const Mat4& Node::getParentToNodeTransform() const
{
    // Compared with the matrix it was made from: overriding transforms need not flag changes.
    const Mat4& forward = getNodeToParentTransform();
    if (_inverseDirty || forward != _inverseSource) {
        _inverse = forward.getInversed();
        _inverseSource = forward;
        _inverseDirty = false;
    }
    return _inverse;
}

Mat4 Node::getNodeToWorldTransform() const { return getNodeToParentTransform(nullptr); }

Mat4 Node::getWorldToNodeTransform() const { return getNodeToWorldTransform().getInversed(); }

void Node::setAdditionalTransform(const Mat4* additionalTransform)
{
    if (additionalTransform) {
        if (!_additionalTransform)
            _additionalTransform = new Mat4();
        *_additionalTransform = *additionalTransform;
    } else {
        delete _additionalTransform;
        _additionalTransform = nullptr;
    }
    markTransformDirty();
}

void Node::setAdditionalTransform(const Mat4& additionalTransform) { setAdditionalTransform(&additionalTransform); }

Rect Node::getBoundingBox() const
{
    const Mat4& m = getNodeToParentTransform();
    const Vec3 corners[4] = {Vec3(0, 0, 0), Vec3(_contentSize.width, 0, 0), Vec3(0, _contentSize.height, 0),
                             Vec3(_contentSize.width, _contentSize.height, 0)};
    float minX = 0, minY = 0, maxX = 0, maxY = 0;
    for (int i = 0; i < 4; ++i) {
        Vec3 p;
        m.transformPoint(corners[i], &p);
        if (i == 0 || p.x < minX)
            minX = p.x;
        if (i == 0 || p.x > maxX)
            maxX = p.x;
        if (i == 0 || p.y < minY)
            minY = p.y;
        if (i == 0 || p.y > maxY)
            maxY = p.y;
    }
    return Rect(minX, minY, maxX - minX, maxY - minY);
}

Vec2 Node::convertToNodeSpace(const Vec2& worldPoint) const
{
    Vec3 p(worldPoint.x, worldPoint.y, 0.0f);
    getWorldToNodeTransform().transformPoint(&p);
    return Vec2(p.x, p.y);
}

Vec2 Node::convertToWorldSpace(const Vec2& nodePoint) const
{
    Vec3 p(nodePoint.x, nodePoint.y, 0.0f);
    getNodeToWorldTransform().transformPoint(&p);
    return Vec2(p.x, p.y);
}

Vec2 Node::convertToNodeSpaceAR(const Vec2& worldPoint) const
{
    return convertToNodeSpace(worldPoint) - _anchorPointInPoints;
}

Vec2 Node::convertToWorldSpaceAR(const Vec2& nodePoint) const
{
    return convertToWorldSpace(nodePoint + _anchorPointInPoints);
}

Vec2 Node::convertTouchToNodeSpace(Touch* touch) const
{
    return touch ? convertToNodeSpace(touch->getLocation()) : Vec2::ZERO;
}

Vec2 Node::convertTouchToNodeSpaceAR(Touch* touch) const
{
    return touch ? convertToNodeSpaceAR(touch->getLocation()) : Vec2::ZERO;
}

// --- cameras -----------------------------------------------------------------------------

void Node::setCameraMask(unsigned short flag, bool applyChildren)
{
    if (_cameraList.insert(flag).second)
        noteVisualChange();
    if (applyChildren) {
        for (Node* child : _children)
            child->setCameraMask(flag, true);
    }
}

void Node::removeCameraMask(unsigned short flag, bool applyChildren)
{
    if (_cameraList.erase(flag))
        noteVisualChange();
    if (applyChildren) {
        for (Node* child : _children)
            child->removeCameraMask(flag, true);
    }
}

bool Node::isVisitableByVisitingCamera() const
{
    const Camera* camera = Camera::getVisitingCamera();
    return !camera || hasCameraFlag(static_cast<unsigned short>(camera->getCameraFlag()));
}

// --- scheduling --------------------------------------------------------------------------

void Node::setScheduler(Scheduler* scheduler)
{
    if (scheduler == _scheduler)
        return;
    if (_scheduler)
        _scheduler->unscheduleAllForTarget(this);
    CC_SAFE_RETAIN(scheduler);
    CC_SAFE_RELEASE(_scheduler);
    _scheduler = scheduler;
}

bool Node::isScheduled(SEL_SCHEDULE selector) const { return _scheduler->isScheduled(selector, this); }

bool Node::isScheduled(const std::string& key) const { return _scheduler->isScheduled(key, this); }

void Node::scheduleUpdate() { scheduleUpdateWithPriority(0); }

void Node::scheduleUpdateWithPriority(int priority) { _scheduler->scheduleUpdate(this, priority, !_running); }

void Node::unscheduleUpdate() { _scheduler->unscheduleUpdate(this); }

void Node::schedule(SEL_SCHEDULE selector, float interval, unsigned int repeat, float delay)
{
    _scheduler->schedule(selector, this, interval, repeat, delay, !_running);
}

void Node::schedule(SEL_SCHEDULE selector, float interval)
{
    schedule(selector, interval, CC_REPEAT_FOREVER, 0.0f);
}

void Node::scheduleOnce(SEL_SCHEDULE selector, float delay) { schedule(selector, 0.0f, 0, delay); }

void Node::scheduleOnce(const std::function<void(float)>& callback, float delay, const std::string& key)
{
    _scheduler->schedule(callback, this, 0.0f, 0, delay, !_running, key);
}

void Node::schedule(SEL_SCHEDULE selector) { schedule(selector, 0.0f, CC_REPEAT_FOREVER, 0.0f); }

void Node::schedule(const std::function<void(float)>& callback, const std::string& key)
{
    _scheduler->schedule(callback, this, 0.0f, !_running, key);
}

void Node::schedule(const std::function<void(float)>& callback, float interval, const std::string& key)
{
    _scheduler->schedule(callback, this, interval, !_running, key);
}

void Node::schedule(const std::function<void(float)>& callback, float interval, unsigned int repeat, float delay,
                    const std::string& key)
{
    _scheduler->schedule(callback, this, interval, repeat, delay, !_running, key);
}

void Node::unschedule(SEL_SCHEDULE selector)
{
    if (selector)
        _scheduler->unschedule(selector, this);
}

void Node::unschedule(const std::string& key) { _scheduler->unschedule(key, this); }

void Node::unscheduleAllCallbacks() { _scheduler->unscheduleAllForTarget(this); }

void Node::resume()
{
    _scheduler->resumeTarget(this);
    _actionManager->resumeTarget(this);
    _eventDispatcher->resumeEventListenersForTarget(this);
}

void Node::pause()
{
    _scheduler->pauseTarget(this);
    _actionManager->pauseTarget(this);
    _eventDispatcher->pauseEventListenersForTarget(this);
}

void Node::update(float delta) { (void)delta; }

// --- actions -----------------------------------------------------------------------------

void Node::setActionManager(ActionManager* actionManager)
{
    if (actionManager == _actionManager)
        return;
    stopAllActions();
    CC_SAFE_RETAIN(actionManager);
    CC_SAFE_RELEASE(_actionManager);
    _actionManager = actionManager;
}

Action* Node::runAction(Action* action)
{
    if (!action) {
        log("Node::runAction: null action");
        return nullptr;
    }
    _actionManager->addAction(action, this, !_running);
    return action;
}

void Node::stopAllActions() { _actionManager->removeAllActionsFromTarget(this); }

void Node::stopAction(Action* action) { _actionManager->removeAction(action); }

void Node::stopActionByTag(int tag) { _actionManager->removeActionByTag(tag, this); }

void Node::stopAllActionsByTag(int tag) { _actionManager->removeAllActionsByTag(tag, this); }

Action* Node::getActionByTag(int tag) { return _actionManager->getActionByTag(tag, this); }

ssize_t Node::getNumberOfRunningActions() const
{
    return _actionManager->getNumberOfRunningActionsInTarget(this);
}

// --- events ------------------------------------------------------------------------------

void Node::setEventDispatcher(EventDispatcher* dispatcher)
{
    if (dispatcher == _eventDispatcher)
        return;
    if (_eventDispatcher)
        _eventDispatcher->removeEventListenersForTarget(this);
    CC_SAFE_RETAIN(dispatcher);
    CC_SAFE_RELEASE(_eventDispatcher);
    _eventDispatcher = dispatcher;
}

void Node::enableAndroidReturnKey(bool enable)
{
    if (enable == (_returnKeyListener != nullptr))
        return;
    if (!enable) {
        _eventDispatcher->removeEventListener(_returnKeyListener);
        CC_SAFE_RELEASE_NULL(_returnKeyListener);
        return;
    }
    auto* listener = EventListenerKeyboard::create();
    listener->onKeyReleased = [this](EventKeyboard::KeyCode key, Event* event) {
        if (key == EventKeyboard::KeyCode::KEY_ESCAPE && onResponseReturn())
            event->stopPropagation();
    };
    _eventDispatcher->addEventListenerWithSceneGraphPriority(listener, this);
    listener->retain();
    _returnKeyListener = listener;
}

void Node::markContentChanged()
{
    if (_running) {
        Director::getInstance()->markDirty();
    }
}

} // namespace cocos2d
