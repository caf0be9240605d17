#pragma once
// A node with a second list of children that its users cannot reach through the ordinary
// child operations (the widgets keep their renderers there).

#include "2d/Node.h"

namespace cocos2d {

class ProtectedNode : public Node {
public:
    static ProtectedNode* create();

    virtual void addProtectedChild(Node* child);
    virtual void addProtectedChild(Node* child, int localZOrder);
    virtual void addProtectedChild(Node* child, int localZOrder, int tag);
    virtual Node* getProtectedChildByTag(int tag);
    virtual void removeProtectedChild(Node* child, bool cleanup = true);
    virtual void removeProtectedChildByTag(int tag, bool cleanup = true);
    virtual void removeAllProtectedChildren();
    virtual void removeAllProtectedChildrenWithCleanup(bool cleanup);
    virtual void reorderProtectedChild(Node* child, int localZOrder);
    virtual void sortAllProtectedChildren();
    const Vector<Node*>& getProtectedChildren() const { return _protectedChildren; }

    Node* getChildByNameDeep(const std::string& name) const override;
    void cleanup() override;
    void onEnter() override;
    void onEnterTransitionDidFinish() override;
    void onExit() override;
    void onExitTransitionDidStart() override;
    void updateDisplayedOpacity(GLubyte parentOpacity) override;
    void updateDisplayedColor(const Color3B& parentColor) override;
    void setCameraMask(unsigned short flag, bool applyChildren = true) override;
    void removeCameraMask(unsigned short flag, bool applyChildren = true) override;

protected:
    ProtectedNode() = default;
    ~ProtectedNode() override;

    /// Children below zero, then protected children below zero, this node, the other
    /// protected children, then the other children.
    void walkInDrawOrder(const std::function<void(Node*)>& child, const std::function<void()>& self) override;

    Vector<Node*> _protectedChildren;
    bool _reorderProtectedChildDirty = false;
};

} // namespace cocos2d
