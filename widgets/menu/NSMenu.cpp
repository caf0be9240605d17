#include "menu/NSMenu.h"

#include "2d/actions/ActionCreate.h"

#include "2d/Label.h"
#include "2d/Sprite.h"
#include "base/PlainSprite.h"
#include "notify/NSNotificationCenter.h"
#include "table/NSListView.h"
#include "table/NSTableViewCell.h"

namespace NSUI {

using namespace cocos2d;

NSMenu* NSMenu::create() {
    auto* menu = new (std::nothrow) NSMenu();
    return finishCreate(menu, menu && menu->init());
}

NSMenu::~NSMenu() {
    // A list that outlives the menu (someone else retained it) must not call a freed delegate.
    for (Node* child : getChildren())
        if (auto* table = dynamic_cast<NSTableView*>(child))
            if (table->delegate == this)
                table->delegate = nullptr;
}

bool NSMenu::init() {
    if (!Layer::init())
        return false;
    rowHeight = 40.0f;
    fontSize = rowHeight * 0.5f;
    iconWidth = 0;
    highlightColor = Color4B(255, 255, 0, 55);
    highlightEnabled = false;
    setControlOwner(this);
    return true;
}

void NSMenu::showMenu(menuObject* first) {
    if (!first)
        return;
    iconWidth = 0;
    size_t count = 0;
    size_t longest = 0;
    for (menuObject* entry = first; entry; entry = entry->next) {
        if (iconWidth == 0 && !entry->iconFile.empty()) {
            if (Sprite* icon = Sprite::create(entry->iconFile))
                iconWidth = static_cast<int>(icon->getTexture() ? icon->getContentSize().width : 0);
        }
        ++count;
        longest = std::max(longest, entry->title.size());
    }
    Size size(longest * fontSize * 0.5f + iconWidth + 30.0f, count * rowHeight);

    listView = NSListView::create();
    addChild(listView, 1000);
    listView->setContentSize(size);
    listView->setAnchorPoint(Vec2::ZERO);
    listView->delegate = this;
    highlightEnabled = true;
    listView->reloadData();
    for (menuObject* entry = first; entry; entry = entry->next)
        listView->insertCellAtIndex(listView->getRowCount(), entry);
}

Size NSMenu::tableCellSizeForIndex(NSTableView*, int64_t, Ref*) {
    return Size(getContentSize().width, rowHeight);
}

NSTableViewCell* NSMenu::tableCellAtIndex(NSTableView* table, int64_t index, const Size& size) {
    auto* entry =
        index >= 0 && index < table->rows.size() ? dynamic_cast<menuObject*>(table->rows.at(index)) : nullptr;
    NSTableViewCell* cell = table->cellAtIndex(index);
    if (!cell)
        cell = table->dequeueCell();
    if (!cell) {
        cell = NSTableViewCell::create();
        Sprite* background = createSpriteOrPlain("UIRes/greyHigh.png", Size(2, 2), Color3B(90, 90, 90));
        background->setAnchorPoint(Vec2::ZERO);
        background->setPosition(Vec2::ZERO);
        const Size& bs = background->getContentSize();
        if (bs.width > 0 && bs.height > 0)
            background->setScale(size.width / bs.width, size.height / bs.height);
        background->setOpacity(240);
        cell->addChild(background, -105);

        Sprite* icon = Sprite::create();
        icon->setAnchorPoint(Vec2(0.0f, 0.5f));
        icon->setPosition(Vec2(5.0f, size.height / 2));
        cell->addChild(icon, 0, kIconTag);

        Label* label = Label::createWithSystemFont("", "", fontSize);
        label->setAnchorPoint(Vec2(0.0f, 0.5f));
        label->setPosition(Vec2(iconWidth + 10.0f, size.height / 2));
        label->setTextColor(Color4B(220, 220, 220, 255));
        cell->addChild(label, 0, kLabelTag);
    }
    if (auto* icon = dynamic_cast<Sprite*>(cell->getChildByTag(kIconTag))) {
        bool hasIcon = entry && !entry->iconFile.empty();
        if (hasIcon)
            icon->setTexture(entry->iconFile);
        icon->setVisible(hasIcon);
    }
    if (auto* label = dynamic_cast<Label*>(cell->getChildByTag(kLabelTag)))
        label->setString(entry ? entry->title : "");
    return cell;
}

void NSMenu::tableCellTouched(NSTableView* table, NSTableViewCell* cell, const Vec2&) {
    setVisible(false);
    int64_t index = cell->getIdx();
    if (index < 0 || index >= table->rows.size())
        return;
    auto* entry = dynamic_cast<menuObject*>(table->rows.at(index));
    if (!entry)
        return;
    NSNotificationCenter::getInstance()->postNotificationWithString(this, entry->notificationId, entry->text,
                                                                    entry->object, true);
}

} // namespace NSUI
