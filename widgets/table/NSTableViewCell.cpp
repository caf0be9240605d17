#include "table/NSTableViewCell.h"

namespace NSUI {

NSTableViewCell* NSTableViewCell::create()
{
    auto* cell = new (std::nothrow) NSTableViewCell();
    if (cell && cell->init()) {
        cell->autorelease();
        return cell;
    }
    if (cell)
        cell->release();
    return nullptr;
}

} // namespace NSUI
