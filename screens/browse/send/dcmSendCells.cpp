// The rows of the send panel's two tables: node rows, send rows and the send rows' swipe menu.

#include "send/dcmSend.h"

#include "AppConfig.h"
#include "net/dcmSendingObject.h"
#include "panel/TextFit.h"
#include "send/dcmNodeObject.h"
#include "table/NSListView.h"
#include "table/NSTableViewCell.h"
#include "table/NSTableViewMenu.h"
#include "ui/CocosGUI.h"

using namespace cocos2d;

namespace {

const char* const kNodeRowFile = "dcmNodeInfo.csb";
const char* const kSendRowFile = "dcmNodeSendInfo.csb";
const char* const kSendMenuFile = "dcmNodeSendTool.csb";
const char* const kTypedSendButton = "dcmNode_send_input";
const char* const kRetryButton = "dcmNodeSend_retry";
const Color3B kAccent(21, 170, 254);
const float kRowHeight = 70.0f;
// Rows a finger can hit, in the phone layout.
const float kPhoneRowHeight = 90.0f;
// Room the right ends of the rows keep for the state, time and icons.
const float kTextRight = 160.0f;
const float kNodeTextRight = 340.0f;
const float kTextLeft = 35.0f;
const int kFieldFontSize = 15;
// A calm scroll bar on the dark tables.
const Color3B kScrollBar(90, 95, 102);

template <class T> T* find(Node* root, const char* name)
{
    return dynamic_cast<T*>(root->getChildByNameDeep(name));
}

void setText(Node* root, const char* name, const std::string& value)
{
    if (auto* label = find<ui::Text>(root, name))
        label->setString(value);
}

void setShown(Node* root, const char* name, bool shown)
{
    if (Node* node = root->getChildByNameDeep(name))
        node->setVisible(shown);
}

// The cell the table shows the row in, else a recycled one, else null for the caller to make.
NSUI::NSTableViewCell* existingCell(NSUI::NSTableView* table, int64_t index)
{
    NSUI::NSTableViewCell* cell = table->cellAtIndex(index);
    return cell ? cell : table->dequeueCell();
}

// A new cell holding the row layout, sized to the cell and localised.
NSUI::NSTableViewCell* newCell(const char* file, const Size& size)
{
    NSUI::NSTableViewCell* cell = NSUI::NSTableViewCell::create();
    if (Node* row = CSLoader::createNode(file)) {
        row->setContentSize(size);
        ui::Helper::doLayout(row);
        AppConfig::getInstance()->applyText(row);
        cell->addChild(row);
    }
    return cell;
}

const char* devicePicture(int device)
{
    switch (device) {
    case 1:
        return "imgs/device_Android.png";
    case 3:
        return "imgs/device_iOS.png";
    case 4:
        return "imgs/device_Mac.png";
    default:
        return "imgs/device_PC.png";
    }
}

} // namespace

Size dcmSend::tableCellSizeForIndex(NSUI::NSTableView* table, int64_t, Ref*)
{
    return Size(table->getContentSize().width, AppConfig::getInstance()->phoneLayout ? kPhoneRowHeight : kRowHeight);
}

NSUI::NSTableViewCell* dcmSend::tableCellAtIndex(NSUI::NSTableView* table, int64_t index, const Size& size)
{
    if (Sprite* bar = table->getScrollBar())
        bar->setColor(kScrollBar);
    NSUI::NSTableViewCell* cell = existingCell(table, index);
    if (cell)
        cell->setCellSize(size);
    if (table == _nodeTable) {
        if (!cell) {
            cell = newCell(kNodeRowFile, size);
            if (auto* name = find<ui::Text>(cell, "name"))
                name->setTextColor(Color4B(kAccent));
            // Under the row's title, aligned with it, in the table's text size.
            NSUI::NSTextField* field = createTextField(AppConfig::getInstance()->getText("inputIP"),
                                                       Vec2(kTextLeft, 8), 25, Vec2::ZERO);
            field->setFontSize(kFieldFontSize);
            field->setPlaceHolderFontSize(kFieldFontSize);
            field->setTextColor(Color3B::WHITE);
            field->setTag(kTextFieldTag);
            field->setCursorImage("UIRes/cursor.png");
            field->setContentSize(size);
            field->setTouchRect(Rect(0, 0, size.width, size.height));
            field->setCallback([this](Ref* sender, NSUI::NSTextField::EventType event) {
                onTextFieldEvent(sender, event);
            });
            cell->addChild(field, table->getLocalZOrder() + 1);
            cell->setCellSize(size);
        }
        fillNodeCell(cell, static_cast<dcmNodeObject*>(table->rows.at(index)));
    } else {
        if (!cell) {
            cell = newCell(kSendRowFile, size);
            if (auto* retry = find<ui::Widget>(cell, kRetryButton)) {
                retry->setLocalZOrder(table->getLocalZOrder() + 1);
                retry->addClickEventListener([this](Ref* sender) { onButtonClicked(sender); });
            }
            cell->setCellSize(size);
        }
        fillSendCell(cell, static_cast<dcmSendingObject*>(table->rows.at(index)));
    }
    return cell;
}

void dcmSend::fillNodeCell(NSUI::NSTableViewCell* cell, dcmNodeObject* node)
{
    const char* detail[] = {"ip", "last", "device", "wifi", "save"};
    Node* ipLabel = cell->getChildByNameDeep("ip");
    Node* nameLabel = cell->getChildByNameDeep("name");
    const float ipX = ipLabel ? ipLabel->getPositionX() : 35.0f;
    Node* typedButton = cell->getChildByName(kTypedSendButton);
    if (typedButton && node->rowKind != dcmNodeObject::kTypedAddress) {
        typedButton->removeFromParent();
        typedButton = nullptr;
    }

    if (node->rowKind == dcmNodeObject::kTypedAddress) {
        setText(cell, "name", AppConfig::getInstance()->getText("dcmSend_Input"));
        if (nameLabel)
            nameLabel->setPositionX(ipX);
        for (const char* name : detail)
            setShown(cell, name, false);
        if (!typedButton) {
            ui::Button* button = ui::Button::create();
            const Size& size = cell->getCellSize();
            button->setAnchorPoint(Vec2(1.0f, 0.5f));
            button->setPosition(Vec2(size.width - 15.0f, size.height / 2.0f));
            // The size first: a button without a picture takes its size from its title.
            button->setTitleFontSize(40);
            button->setTitleText(AppConfig::getInstance()->getText("dcmNode_send"));
            button->setTitleColor(kAccent);
            button->setName(kTypedSendButton);
            button->addClickEventListener([this](Ref* sender) { onButtonClicked(sender); });
            button->setVisible(false);
            cell->addChild(button, cell->getLocalZOrder() + 1);
        }
    } else if (node->rowKind == dcmNodeObject::kLocalAddress) {
        setText(cell, "name", node->name);
        setText(cell, "ip", node->ip);
        if (nameLabel)
            nameLabel->setPositionX(ipX);
        for (const char* name : detail)
            setShown(cell, name, false);
        setShown(cell, "ip", true);
        setShown(cell, "name", true);
    } else {
        for (const char* name : detail)
            setShown(cell, name, true);
        setShown(cell, "name", true);
        if (nameLabel)
            nameLabel->setPositionX(kTextLeft);
        const float width = cell->getCellSize().width - kNodeTextRight;
        TextFit::setFitted(cell, "name", node->name, width);
        TextFit::setFitted(cell, "ip", node->device == 5 ? node->ip + ":" + node->port : node->ip, width);
        setText(cell, "last", node->lastTime);
        if (auto* device = find<ui::ImageView>(cell, "device"))
            device->loadTexture(devicePicture(node->device));
        if (auto* wifi = find<ui::ImageView>(cell, "wifi"))
            wifi->loadTexture(isRecent(node->wifi) ? "imgs/Wi-Fi-Green.png" : "imgs/Wi-Fi-Red.png");
        if (auto* save = find<ui::Button>(cell, "save")) {
            const char* star = node->saveType == 1 ? "imgs/favierate.png" : "imgs/favierateNone.png";
            save->loadTextures(star, star, star);
        }
    }

    if (auto* field = dynamic_cast<NSUI::NSTextField*>(cell->getChildByTag(kTextFieldTag))) {
        field->setUserObject(node);
        field->setVisible(node->rowKind == dcmNodeObject::kTypedAddress);
        field->setString(node->ip);
    }
}

void dcmSend::fillSendCell(NSUI::NSTableViewCell* cell, dcmSendingObject* task)
{
    if (auto* retry = find<ui::Widget>(cell, kRetryButton))
        retry->setUserObject(task);
    const float width = cell->getCellSize().width - kTextRight;
    TextFit::setFitted(cell, "ip", task->name.empty() ? task->ip : task->name + "---" + task->ip, width);
    TextFit::setFitted(cell, "path", task->text1, width);
    char percent[32];
    snprintf(percent, sizeof percent, "%.0f%%", task->progress);
    switch (task->state) {
    case dcmSendingObject::kQueued:
        setText(cell, "ratio", "Waiting");
        setShown(cell, "ratio", true);
        break;
    case dcmSendingObject::kSending:
        setText(cell, "ratio", percent);
        setShown(cell, "ratio", true);
        break;
    case dcmSendingObject::kDone:
        setText(cell, "ratio", "Done");
        setShown(cell, "ratio", true);
        break;
    default:
        setText(cell, "ratio", percent);
        setShown(cell, "ratio", false);
        break;
    }
    setShown(cell, kRetryButton, task->state == dcmSendingObject::kFailed);
}

void dcmSend::tableFillLeftMenu(NSUI::NSTableView* table, NSUI::NSTableViewMenu* menu)
{
    Node* tool = table == _sendTable ? CSLoader::createNode(kSendMenuFile) : nullptr;
    if (!tool) {
        menu->setVisible(false);
        return;
    }
    menu->addChild(tool);
    menu->setContentSize(Size(tool->getContentSize().width, menu->getContentSize().height));
    // The button finds its row through the menu that holds it (the menu knows its cell), so it
    // keeps no reference that would tie the cell to itself.
    if (auto* del = find<ui::Widget>(tool, "del")) {
        del->setLocalZOrder(table->getLocalZOrder() + 1);
        del->addClickEventListener([this](Ref* sender) { onButtonClicked(sender); });
    }
}
