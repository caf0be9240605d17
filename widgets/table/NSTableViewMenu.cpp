#include "table/NSTableViewMenu.h"

namespace NSUI {

NSTableViewMenu* NSTableViewMenu::create()
{
    auto* menu = new (std::nothrow) NSTableViewMenu();
    if (menu && menu->init()) {
        menu->autorelease();
        return menu;
    }
    if (menu)
        menu->release();
    return nullptr;
}

bool NSTableViewMenu::init()
{
    if (!cocos2d::ui::Widget::init())
        return false;
    setTouchEnabled(true);
    return true;
}

} // namespace NSUI
