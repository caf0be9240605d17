#pragma once
// The base of every actor: a non-visual object that owns a few display nodes and places them
// into one render window as a group, as plain children, scene nodes or overlay nodes.

#include <vector>

#include "imaging/core/object/isObject.h"

namespace isImageSDK {

class isRenderWindow;

class isActorObject : public isObject {
public:
    /// Runs cleanup, so a destroyed actor leaves no node in a window and no observer behind.
    ~isActorObject() override;
    /// Drops the actor's registrations, takes its nodes out of the window, releases the window
    /// and the nodes. The actor stays usable; a second run does nothing more.
    virtual void cleanup();
    /// Tag -1, empty name, no window.
    bool init() override;
    virtual void reserved() {}
    /// Only while unattached: retains the window and hands it every node; to move an actor to
    /// another window, clean it up first.
    virtual void attachTo(isRenderWindow* window);
    virtual void setVisible(bool visible) { visible_ = visible; }
    bool isVisible() const { return visible_; }

    /// Each list keeps a node once; a node added while attached reaches the window at once.
    void addPlainNode(cocos2d::Node* node);
    void addSceneNode(cocos2d::Node* node);
    void addOverlayNode(cocos2d::Node* node);
    /// Takes every node out of the window; the lists stay.
    void detachNodes();

    isRenderWindow* getWindow() const { return window; }
    const std::vector<cocos2d::Node*>& getPlainNodes() const { return plainNodes; }
    const std::vector<cocos2d::Node*>& getSceneNodes() const { return sceneNodes; }
    const std::vector<cocos2d::Node*>& getOverlayNodes() const { return overlayNodes; }

protected:
    isActorObject() = default;

    enum class NodeKind { Plain, Scene, Overlay };
    void addNode(std::vector<cocos2d::Node*>& list, cocos2d::Node* node, NodeKind kind);
    void handOver(cocos2d::Node* node, NodeKind kind);

    std::vector<cocos2d::Node*> plainNodes;
    std::vector<cocos2d::Node*> sceneNodes;
    std::vector<cocos2d::Node*> overlayNodes;
    isRenderWindow* window = nullptr;
    bool visible_ = false;
};

} // namespace isImageSDK
