#include "imaging/display/overlay/isNodeOverlay.h"

#include "ui/Layout.h"

namespace isImageSDK {

void isNodeOverlay::relayoutParent(cocos2d::Node* item) {
    if (auto* layout = dynamic_cast<cocos2d::ui::Layout*>(item->getParent()))
        layout->requestDoLayout();
    item->markContentChanged();
}

void isNodeOverlay::raiseAboveOwner(cocos2d::Node* item, cocos2d::Ref* owner) {
    if (auto* node = dynamic_cast<cocos2d::Node*>(owner))
        item->setGlobalZOrder(node->getGlobalZOrder() + 1);
}

} // namespace isImageSDK
