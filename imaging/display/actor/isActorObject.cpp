#include "imaging/display/actor/isActorObject.h"

#include "imaging/display/window/isRenderWindow.h"
#include "notify/NSNotificationCenter.h"

namespace isImageSDK {

isActorObject::~isActorObject() { isActorObject::cleanup(); }

bool isActorObject::init()
{
    isObject::init();
    window = nullptr;
    return true;
}

void isActorObject::cleanup()
{
    NSUI::NSNotificationCenter::getInstance()->removeObserver(this);
    if (window) window->removeDrawnCallback(this);
    detachNodes();
    CC_SAFE_RELEASE_NULL(window);
    for (auto* list : {&plainNodes, &sceneNodes, &overlayNodes}) {
        for (cocos2d::Node* node : *list)
            node->release();
        list->clear();
    }
}

void isActorObject::attachTo(isRenderWindow* target)
{
    if (window || !target) return;
    window = target;
    window->retain();
    for (cocos2d::Node* node : plainNodes)
        handOver(node, NodeKind::Plain);
    for (cocos2d::Node* node : sceneNodes)
        handOver(node, NodeKind::Scene);
    for (cocos2d::Node* node : overlayNodes)
        handOver(node, NodeKind::Overlay);
}

void isActorObject::addPlainNode(cocos2d::Node* node) { addNode(plainNodes, node, NodeKind::Plain); }
void isActorObject::addSceneNode(cocos2d::Node* node) { addNode(sceneNodes, node, NodeKind::Scene); }
void isActorObject::addOverlayNode(cocos2d::Node* node) { addNode(overlayNodes, node, NodeKind::Overlay); }

void isActorObject::addNode(std::vector<cocos2d::Node*>& list, cocos2d::Node* node, NodeKind kind)
{
    if (!node) return;
    for (cocos2d::Node* known : list)
        if (known->equal(node)) return;
    // The tag tells a window which actor a node belongs to.
    node->setTag(static_cast<int>(getRefID()));
    node->retain();
    list.push_back(node);
    if (window) handOver(node, kind);
}

void isActorObject::handOver(cocos2d::Node* node, NodeKind kind)
{
    switch (kind) {
    case NodeKind::Plain: window->addChild(node); break;
    case NodeKind::Scene: window->addSceneNode(node); break;
    case NodeKind::Overlay: window->addOverlayNode(node); break;
    }
}

void isActorObject::detachNodes()
{
    if (!window) return;
    for (cocos2d::Node* node : plainNodes)
        window->removeChild(node, true);
    for (cocos2d::Node* node : sceneNodes)
        window->removeSceneNode(node);
    for (cocos2d::Node* node : overlayNodes)
        window->removeOverlayNode(node);
}

} // namespace isImageSDK
