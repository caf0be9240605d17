#include "table/NSTableViewMenu.h"

#include "2d/actions/ActionCreate.h"

namespace NSUI {

using cocos2d::finishCreate;

NSTableViewMenu* NSTableViewMenu::create() {
    auto* menu = new (std::nothrow) NSTableViewMenu();
    return finishCreate(menu, menu && menu->init());
}

bool NSTableViewMenu::init() {
    if (!cocos2d::ui::Widget::init())
        return false;
    setTouchEnabled(true);
    return true;
}

} // namespace NSUI
