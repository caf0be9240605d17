#include "imaging/display/overlay/isNodeOverlay.h"

#include "imaging/display/overlay/isOverlayCorner.h"
#include "ui/Layout.h"

namespace isImageSDK {

void isNodeOverlay::relayoutParent(cocos2d::Node* item) {
    // The row, and the corner that may continue the row on further lines.
    if (auto* layout = dynamic_cast<cocos2d::ui::Layout*>(item->getParent())) {
        layout->requestDoLayout();
        if (auto* corner = dynamic_cast<isOverlayCorner*>(layout->getParent()))
            corner->requestDoLayout();
    }
    item->markContentChanged();
}

void isNodeOverlay::raiseAboveOwner(cocos2d::Node* item, cocos2d::Ref* owner) {
    if (auto* node = dynamic_cast<cocos2d::Node*>(owner))
        item->setGlobalZOrder(node->getGlobalZOrder() + 1);
}

} // namespace isImageSDK
