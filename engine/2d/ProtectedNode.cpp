#include "2d/ProtectedNode.h"

#include <new>

#include "base/ccLog.h"

namespace cocos2d {

ProtectedNode* ProtectedNode::create()
{
    auto* ret = new (std::nothrow) ProtectedNode();
    if (ret && ret->init()) {
        ret->autorelease();
        return ret;
    }
    delete ret;
    return nullptr;
}

ProtectedNode::~ProtectedNode()
{
    for (Node* child : _protectedChildren)
        child->_parent = nullptr;
}

void ProtectedNode::addProtectedChild(Node* child) { addProtectedChild(child, child ? child->getLocalZOrder() : 0); }

void ProtectedNode::addProtectedChild(Node* child, int localZOrder)
{
    addProtectedChild(child, localZOrder, child ? child->getTag() : INVALID_TAG);
}

void ProtectedNode::addProtectedChild(Node* child, int localZOrder, int tag)
{
    if (!canAdopt(child, "ProtectedNode::addProtectedChild"))
        return;
    _reorderProtectedChildDirty = true;
    _protectedChildren.pushBack(child);
    placeInOrder(child, localZOrder);
    child->setTag(tag);
    adoptChild(child);
}

Node* ProtectedNode::getProtectedChildByTag(int tag)
{
    for (Node* child : _protectedChildren) {
        if (child->getTag() == tag)
            return child;
    }
    return nullptr;
}

void ProtectedNode::removeProtectedChild(Node* child, bool cleanup)
{
    if (child && _protectedChildren.contains(child))
        dropChild(child, _protectedChildren, cleanup);
}

void ProtectedNode::removeProtectedChildByTag(int tag, bool cleanup)
{
    Node* child = getProtectedChildByTag(tag);
    if (child)
        removeProtectedChild(child, cleanup);
}

void ProtectedNode::removeAllProtectedChildren() { removeAllProtectedChildrenWithCleanup(true); }

void ProtectedNode::removeAllProtectedChildrenWithCleanup(bool cleanup)
{
    Vector<Node*> children = _protectedChildren;
    for (Node* child : children)
        removeProtectedChild(child, cleanup);
}

void ProtectedNode::reorderProtectedChild(Node* child, int localZOrder)
{
    if (!child || !_protectedChildren.contains(child))
        return;
    _reorderProtectedChildDirty = true;
    placeInOrder(child, localZOrder);
    noteVisualChange();
}

void ProtectedNode::sortAllProtectedChildren()
{
    if (!_reorderProtectedChildDirty)
        return;
    sortByZOrder(_protectedChildren);
    _reorderProtectedChildDirty = false;
}

Node* ProtectedNode::getChildByNameDeep(const std::string& name) const
{
    if (Node* found = Node::getChildByNameDeep(name))
        return found;
    if (name.empty())
        return nullptr;
    for (Node* child : _protectedChildren) {
        if (child->getName() == name)
            return child;
        if (Node* found = child->getChildByNameDeep(name))
            return found;
    }
    return nullptr;
}

void ProtectedNode::walkInDrawOrder(const std::function<void(Node*)>& child, const std::function<void()>& self)
{
    sortAllChildren();
    sortAllProtectedChildren();
    Vector<Node*> children = _children;
    Vector<Node*> protectedChildren = _protectedChildren;
    ssize_t i = 0, j = 0;
    for (; i < children.size() && children.at(i)->getLocalZOrder() < 0; ++i)
        child(children.at(i));
    for (; j < protectedChildren.size() && protectedChildren.at(j)->getLocalZOrder() < 0; ++j)
        child(protectedChildren.at(j));
    self();
    for (; j < protectedChildren.size(); ++j)
        child(protectedChildren.at(j));
    for (; i < children.size(); ++i)
        child(children.at(i));
}

void ProtectedNode::cleanup()
{
    Node::cleanup();
    Vector<Node*> children = _protectedChildren;
    for (Node* child : children)
        child->cleanup();
}

void ProtectedNode::onEnter()
{
    Node::onEnter();
    Vector<Node*> children = _protectedChildren;
    for (Node* child : children)
        child->onEnter();
}

void ProtectedNode::onEnterTransitionDidFinish()
{
    Node::onEnterTransitionDidFinish();
    Vector<Node*> children = _protectedChildren;
    for (Node* child : children)
        child->onEnterTransitionDidFinish();
}

void ProtectedNode::onExit()
{
    Node::onExit();
    Vector<Node*> children = _protectedChildren;
    for (Node* child : children)
        child->onExit();
}

void ProtectedNode::onExitTransitionDidStart()
{
    Node::onExitTransitionDidStart();
    Vector<Node*> children = _protectedChildren;
    for (Node* child : children)
        child->onExitTransitionDidStart();
}

void ProtectedNode::updateDisplayedOpacity(GLubyte parentOpacity)
{
    Node::updateDisplayedOpacity(parentOpacity);
    if (_cascadeOpacityEnabled) {
        for (Node* child : _protectedChildren)
            child->updateDisplayedOpacity(_displayedOpacity);
    }
}

void ProtectedNode::updateDisplayedColor(const Color3B& parentColor)
{
    Node::updateDisplayedColor(parentColor);
    if (_cascadeColorEnabled) {
        for (Node* child : _protectedChildren)
            child->updateDisplayedColor(_displayedColor);
    }
}

void ProtectedNode::setCameraMask(unsigned short flag, bool applyChildren)
{
    Node::setCameraMask(flag, applyChildren);
    if (applyChildren) {
        for (Node* child : _protectedChildren)
            child->setCameraMask(flag, true);
    }
}

void ProtectedNode::removeCameraMask(unsigned short flag, bool applyChildren)
{
    Node::removeCameraMask(flag, applyChildren);
    if (applyChildren) {
        for (Node* child : _protectedChildren)
            child->removeCameraMask(flag, true);
    }
}

} // namespace cocos2d
