#pragma once
// What every item of a viewer's corner overlay shares: the viewer whose notifications it shows
// or posts, and the one notification id it is bound to.

#include "cocos2d.h"
#include "imaging/display/isNodeObject.h"
#include "json/UIJson.h"

namespace isImageSDK {

class isNodeOverlay : public isNodeObject, public NSUI::UIJson {
public:
    /// The id of an item bound to no notification.
    static constexpr unsigned int kUnbound = 9113;
    enum ItemType { kText = 1, kButton = 2 };

    virtual void cleanup() = 0;
    virtual bool init() = 0;

    int getOverlayType() const { return overlayType; }
    unsigned int getBoundId() const { return boundId; }
    void setOwner(cocos2d::Ref* viewer) { owner = viewer; }
    cocos2d::Ref* getOwner() const { return owner; }

    /// The viewer (render window) whose notifications the item observes and posts; not retained.
    cocos2d::Ref* owner = nullptr;
    unsigned int boundId = kUnbound;

protected:
    explicit isNodeOverlay(int type) : overlayType(type) {}
    /// Asks the layout holding the item to arrange its row again (with the row's corner).
    static void relayoutParent(cocos2d::Node* item);
    /// Draws the item just above its viewer.
    static void raiseAboveOwner(cocos2d::Node* item, cocos2d::Ref* owner);

    int overlayType;
};

} // namespace isImageSDK
