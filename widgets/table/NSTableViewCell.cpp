#include "table/NSTableViewCell.h"

#include "2d/actions/ActionCreate.h"

namespace NSUI {

using cocos2d::finishCreate;

NSTableViewCell* NSTableViewCell::create() {
    auto* cell = new (std::nothrow) NSTableViewCell();
    return finishCreate(cell, cell && cell->init());
}

} // namespace NSUI
