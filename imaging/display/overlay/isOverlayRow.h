#pragma once
// One row of texts and buttons in a corner of a viewport's overlay. It leaves the placing of
// its items to its corner, which may continue a long row on further lines.

#include "layout/NSLayout.h"

namespace isImageSDK {

class isOverlayRow : public NSUI::NSLayout {
public:
    static isOverlayRow* create();
    /// Has the corner holding the row place the items (a row of its own arranges them itself).
    void forceDoLayout() override;
    /// The corner has placed the items.
    void setArranged() { _doLayoutDirty = false; }

protected:
    isOverlayRow() = default;
};

} // namespace isImageSDK
