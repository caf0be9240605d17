#pragma once
// The strip behind a table row that a sideways swipe uncovers; the delegate fills it.

#include <cstdint>

#include "ui/Widget.h"

namespace NSUI {

class NSTableViewCell;

class NSTableViewMenu : public cocos2d::ui::Widget {
public:
    static NSTableViewMenu* create();
    bool init() override;

    int64_t idx = -1;
    NSTableViewCell* cell = nullptr; // the row's cell, which holds the menu

protected:
    NSTableViewMenu() = default;
};

} // namespace NSUI
