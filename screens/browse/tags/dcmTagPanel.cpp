#include "tags/dcmTagPanel.h"

#include "AppConfig.h"
#include "notify/NSNotificationCenter.h"
#include "panel/ModalWindow.h"
#include "panel/TextFit.h"
#include "panel/TitledScene.h"
#include "table/NSListView.h"
#include "table/NSTableViewCell.h"
#include "tags/dcmTagRow.h"
#include "ui/CocosGUI.h"

using namespace cocos2d;

namespace {

const char* const kRowFile = "tagInfo.csb";
const char* const kBackButton = "btn_back";
const int kRowTag = 100;
const float kRowHeight = 35.0f;
const float kTagWidth = 136.0f;
const float kMargin = 16.0f;
// A calm scroll bar on the dark table.
const Color3B kScrollBar(90, 95, 102);
// Long tag lists are flicked through quickly.
const float kMaxScrollSpeed = 4000.0f;

void setText(Node* row, const char* name, const std::string& value)
{
    if (auto* label = dynamic_cast<ui::Text*>(row->getChildByNameDeep(name)))
        label->setString(value);
}

} // namespace

bool dcmTagPanel::initWithLayout(const std::string& layoutFile, const std::string& placeholder)
{
    if (!Node::init())
        return false;
    _firstEnter = true;
    _placeholder = placeholder;
    _layout = CSLoader::createNode(layoutFile);
    if (_layout) {
        _layout->setName(layoutFile);
        addChild(_layout);
    }
    return true;
}

Node* dcmTagPanel::present(dcmTagPanel* panel)
{
    panel->enableAndroidReturnKey(true);
    panel->setupLayout();
    return ModalWindow::wrap(panel, panel->_layout);
}

Scene* dcmTagPanel::presentInScene(dcmTagPanel* panel)
{
    TitledScene* scene = TitledScene::create(AppConfig::getInstance()->getText("dcmInfo_title"));
    if (!scene)
        return nullptr;
    scene->addContent(panel, panel->_layout);
    panel->setupLayout();
    return scene;
}

void dcmTagPanel::setupLayout()
{
    if (!_layout)
        return;
    AppConfig::getInstance()->applyText(_layout);
    if (Node* placeholder = _layout->getChildByNameDeep(_placeholder)) {
        _table = NSUI::NSListView::create();
        _table->setContentSize(placeholder->getContentSize());
        _table->setAnchorPoint(placeholder->getAnchorPoint());
        _table->setPosition(placeholder->getPosition());
        _layout->addChild(_table);
        placeholder->setVisible(false);
        _table->setAutoScrollMaxSpeed(kMaxScrollSpeed);
        _table->delegate = this;
        _table->reloadData();
    }
    if (auto* back = dynamic_cast<ui::Widget*>(_layout->getChildByNameDeep(kBackButton)))
        back->addClickEventListener([this](Ref* sender) { onButtonClicked(sender); });
}

void dcmTagPanel::cleanup()
{
    Node::cleanup();
    NSUI::NSNotificationCenter::getInstance()->removeObserver(this);
}

bool dcmTagPanel::onResponseReturn()
{
    ModalWindow::close(this);
    return true;
}

void dcmTagPanel::onButtonClicked(Ref* sender)
{
    auto* node = dynamic_cast<Node*>(sender);
    if (node && node->getName() == kBackButton)
        onResponseReturn();
}

Size dcmTagPanel::tableCellSizeForIndex(NSUI::NSTableView* table, int64_t, Ref*)
{
    return Size(table->getContentSize().width, kRowHeight);
}

NSUI::NSTableViewCell* dcmTagPanel::tableCellAtIndex(NSUI::NSTableView* table, int64_t index, const Size& size)
{
    if (Sprite* bar = table->getScrollBar())
        bar->setColor(kScrollBar);
    NSUI::NSTableViewCell* cell = table->cellAtIndex(index);
    if (!cell)
        cell = table->dequeueCell();
    if (!cell) {
        cell = NSUI::NSTableViewCell::create();
        if (Node* row = CSLoader::createNode(kRowFile)) {
            row->setContentSize(size);
            ui::Helper::doLayout(row);
            AppConfig::getInstance()->applyText(row);
            cell->addChild(row, 0, kRowTag);
        }
    }
    Node* row = cell->getChildByTag(kRowTag);
    auto* item = dynamic_cast<dcmTagRow*>(table->rows.at(index));
    if (row && item) {
        const float width = row->getContentSize().width;
        setText(row, "intro", item->introText);
        TextFit::setFitted(row, "tag", item->tagText, kTagWidth);
        Node* value = row->getChildByNameDeep("value");
        TextFit::setFitted(row, "value", item->valueText, value ? width - value->getPositionX() - kMargin : 0.0f);
    }
    return cell;
}
