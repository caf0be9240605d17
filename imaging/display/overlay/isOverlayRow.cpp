#include "imaging/display/overlay/isOverlayRow.h"

#include "2d/actions/ActionCreate.h"
#include "imaging/display/overlay/isOverlayCorner.h"

namespace isImageSDK {

isOverlayRow* isOverlayRow::create() {
    auto* row = new (std::nothrow) isOverlayRow();
    return cocos2d::finishCreate(row, row && row->init());
}

void isOverlayRow::forceDoLayout() {
    if (auto* corner = dynamic_cast<isOverlayCorner*>(getParent()))
        corner->forceDoLayout();
    else
        NSUI::NSLayout::forceDoLayout();
    _doLayoutDirty = false;
}

} // namespace isImageSDK
