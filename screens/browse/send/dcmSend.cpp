#include "send/dcmSend.h"

#include "AppConfig.h"
#include "AppServices.h"
#include "db/dicomDB.h"
#include "discovery/sniffer.h"
#include "net/NetUtils.h"
#include "net/dataService.h"
#include "net/dcmSendingObject.h"
#include "notify/NSNotificationCenter.h"
#include "panel/ModalWindow.h"
#include "send/dcmNodeObject.h"
#include "send/dcmSendScene.h"
#include "table/NSListView.h"
#include "table/NSTableViewCell.h"
#include "table/NSTableViewMenu.h"
#include "ui/CocosGUI.h"
#include "util/TimeUtils.h"

#include <vector>

using namespace cocos2d;

namespace {

// Notifications the panel follows.
const unsigned kEchoAnswer = 2003, kSendProgress = 2010, kSendDone = 2011, kSendFailed = 2012, kSendDelete = 2013,
               kDiscovered = 2017;
// Usage statistics of the panel: opened, left.
const int kStatOpened = 9, kStatLeft = 10;

// Widget names of the layouts.
const char* const kSendButton = "dcmNode_send";
const char* const kTypedSendButton = "dcmNode_send_input";
const char* const kBackButton = "btn_back";
const char* const kRetryButton = "dcmNodeSend_retry";
const char* const kDeleteButton = "del";
const char* const kHelpImage = "helpbk";
const char* const kHelpPicture = "imgs/qpNodeHelp.png";

const float kToastSeconds = 1.5f;

// A task the sender has taken, even before its first progress message, can no longer be withdrawn.
bool isTaskRunning(const dcmSendingObject* task)
{
    return task->state == dcmSendingObject::kSending || (task->state == dcmSendingObject::kQueued && task->dispatched);
}

void recordStat(int type)
{
    if (AppServices* services = AppServices::current())
        services->recordStat(type);
}

std::string text(const std::string& key)
{
    return AppConfig::getInstance()->getText(key);
}

// A typed address: the dotted form the shared check accepts, with a number between every two
// dots (that check lets "10..0.9" through).
bool isValidTypedAddress(const std::string& ip)
{
    return isValidIPv4(ip) && ip.front() != '.' && ip.find("..") == std::string::npos;
}

// A typed port: decimal digits only, 1 to 65535.
bool isValidPort(const std::string& port)
{
    if (port.empty() || port.size() > 5)
        return false;
    for (char c : port)
        if (c < '0' || c > '9')
            return false;
    const int value = std::stoi(port);
    return value >= 1 && value <= 65535;
}

} // namespace

// ---- Building ----------------------------------------------------------------------------

dcmSend* dcmSend::make()
{
    auto* panel = new dcmSend();
    if (!panel->init()) {
        delete panel;
        return nullptr;
    }
    panel->autorelease();
    return panel;
}

Node* dcmSend::create()
{
    dcmSend* panel = make();
    if (!panel)
        return nullptr;
    panel->enableAndroidReturnKey(true);
    panel->setupLayout();
    return ModalWindow::wrap(panel, panel->_layout);
}

Scene* dcmSend::createScene()
{
    dcmSend* panel = make();
    dcmSendScene* scene = panel ? dcmSendScene::create() : nullptr;
    if (!scene)
        return nullptr;
    scene->addContent(panel, panel->_layout);
    panel->setupLayout();
    return scene;
}

dcmSend* dcmSend::fromWindow(Node* window)
{
    return window ? dynamic_cast<dcmSend*>(window->getChildByNameDeep(kPanelName)) : nullptr;
}

bool dcmSend::init()
{
    if (!Node::init())
        return false;
    recordStat(kStatOpened);
    setControlOwner(this);
    _fixedRowCount = 0;
    _firstEnter = true;
    setName(kPanelName);
    _layout = CSLoader::createNode(kLayoutFile);
    if (_layout) {
        _layout->setName(kLayoutFile);
        addChild(_layout);
    }
    return true;
}

NSUI::NSListView* dcmSend::makeTable(const std::string& placeholderName)
{
    Node* placeholder = _layout->getChildByNameDeep(placeholderName);
    if (!placeholder)
        return nullptr;
    NSUI::NSListView* table = NSUI::NSListView::create();
    table->setContentSize(placeholder->getContentSize());
    table->setAnchorPoint(placeholder->getAnchorPoint());
    table->setPosition(placeholder->getPosition());
    table->setLocalZOrder(placeholder->getLocalZOrder());
    _layout->addChild(table);
    placeholder->removeFromParent();
    table->delegate = this;
    table->reloadData();
    table->keepHighlight = true;
    return table;
}

void dcmSend::setupLayout()
{
    if (!_layout)
        return;
    AppConfig::getInstance()->applyText(_layout);
    highlightEnabled = true;
    // The help picture goes one above the send placeholder, which is gone once its table stands.
    Node* sendPlaceholder = _layout->getChildByNameDeep("sending");
    const int helpZOrder = sendPlaceholder ? sendPlaceholder->getLocalZOrder() + 1 : 1;

    _nodeTable = makeTable("list");
    if (_nodeTable) {
        addLocalAddressRows();
        addStoredNodes();
    }
    _sendTable = makeTable("sending");
    if (_sendTable) {
        addUnfinishedSends();
        if (_sendTable->getRowCount() == 0) {
            Sprite* help = Sprite::create(kHelpPicture);
            if (help) {
                help->setName(kHelpImage);
                help->setScale(0.7f);
                help->setAnchorPoint(Vec2(0.5f, 0.5f));
                const Rect box = _sendTable->getBoundingBox();
                help->setPosition(Vec2(box.getMidX(), box.getMidY()));
                _layout->addChild(help, helpZOrder);
            }
        }
    }

    if (AppConfig::getInstance()->phoneLayout)
        moveSendButtonToScene();
    for (const char* name : {kSendButton, kBackButton})
        if (auto* button = dynamic_cast<ui::Widget*>(_layout->getChildByNameDeep(name)))
            button->addClickEventListener([this](Ref* sender) { onButtonClicked(sender); });

    auto* centre = NSUI::NSNotificationCenter::getInstance();
    auto callback = [this](Ref* sender, unsigned id, NSUI::NSNotificationData* data) {
        onNotification(sender, id, data);
    };
    for (unsigned id : {kSendProgress, kSendDone, kSendFailed, kDiscovered, kEchoAnswer})
        centre->addObserver(this, nullptr, callback, id);
    centre->addObserver(this, this, callback, kSendDelete);
}

void dcmSend::moveSendButtonToScene()
{
    // The panel's own scene, not the one running while it is built: that one stays on the stack
    // under the pushed scene and would keep a button of a panel long gone.
    Scene* scene = getScene();
    Node* placeholder = _layout->getChildByNameDeep(kSendButton);
    if (!scene || !placeholder)
        return;
    const Size& win = Director::getInstance()->getWinSize();
    ui::Button* button = ui::Button::create();
    // The size first: a button without a picture takes its size from its title.
    button->setTitleFontSize(40);
    button->setTitleText(text(kSendButton));
    button->setTitleColor(Color3B(21, 170, 254));
    button->setAnchorPoint(Vec2(1.0f, 0.5f));
    button->setPosition(Vec2(win.width - 15.0f, win.height - 30.0f));
    button->setName(kSendButton);
    button->addClickEventListener([this](Ref* sender) { onButtonClicked(sender); });
    scene->addChild(button);
    placeholder->removeFromParent();
}

void dcmSend::addLocalAddressRows()
{
    std::string host, addresses, masks;
    getLocalNetworkInfo(host, addresses, masks);
    const std::string address = addresses.substr(0, addresses.find(','));

    dcmNodeObject* local = dcmNodeObject::create();
    local->appid = "localip";
    local->rowKind = dcmNodeObject::kLocalAddress;
    local->sendStarted = 1;
    if (!address.empty() && address != "0.0.0.0") {
        local->ip = address + ":" + std::to_string(dicomDB::getReceiverPort());
        local->name = text("local");
        _nodeTable->insertItem(_nodeTable->getRowCount(), local);

        dcmNodeObject* typed = dcmNodeObject::create();
        typed->appid = "input";
        typed->ip = address.substr(0, address.rfind('.') + 1);
        typed->rowKind = dcmNodeObject::kTypedAddress;
        _nodeTable->insertItem(_nodeTable->getRowCount(), typed);
    } else {
        const bool english = AppConfig::getInstance()->languageType == 0;
        local->ip = english ? "Check the network config" : "";
        local->name = english ? "No valid internet connection" : "";
        _nodeTable->insertItem(_nodeTable->getRowCount(), local);
    }
    _fixedRowCount = static_cast<int>(_nodeTable->getRowCount());
}

void dcmSend::addStoredNodes()
{
    dataService* service = dataService::getInstance();
    if (!service || !service->getDB())
        return;
    std::vector<NeighborRecord> records;
    service->getDB()->listNeighbors(records);
    // Nodes seen in the last seconds come first (newest stored last time first), the rest after.
    for (const NeighborRecord& record : records) {
        dcmNodeObject* node = dcmNodeObject::create(record);
        _nodeTable->insertItem(isRecent(node->wifi) ? _fixedRowCount : _nodeTable->getRowCount(), node);
    }
}

void dcmSend::addUnfinishedSends()
{
    dataService* service = dataService::getInstance();
    if (!service)
        return;
    // A copy: the list may grow while rows are added.
    const std::vector<dcmSendingObject*> tasks = service->getSendList();
    for (dcmSendingObject* task : tasks)
        if (task->state != dcmSendingObject::kDone)
            _sendTable->insertItem(_sendTable->getRowCount(), task);
}

void dcmSend::setSendSource(std::string path, std::string label)
{
    _sourcePath = std::move(path);
    _sourceLabel = std::move(label);
}

void dcmSend::onEnterTransitionDidFinish()
{
    Node::onEnterTransitionDidFinish();
    if (!_firstEnter)
        return;
    _firstEnter = false;
    if (NSUI::sniffer* discovery = NSUI::sniffer::getInstance())
        discovery->startPingSweep();
}

void dcmSend::onExit()
{
    Node::onExit();
    recordStat(kStatLeft);
}

void dcmSend::cleanup()
{
    Node::cleanup();
    NSUI::NSNotificationCenter::getInstance()->removeObserver(this);
    recordStat(kStatLeft);
}

bool dcmSend::onResponseReturn()
{
    ModalWindow::close(this);
    return true;
}

// ---- What the user does ------------------------------------------------------------------

void dcmSend::onButtonClicked(Ref* sender)
{
    auto* widget = dynamic_cast<Node*>(sender);
    if (!widget)
        return;
    const std::string& name = widget->getName();
    if (name == kBackButton) {
        onResponseReturn();
    } else if (name == kSendButton || name == kTypedSendButton) {
        if (!_nodeTable)
            return;
        NSUI::NSTableViewCell* selected = _nodeTable->getTouchedCell();
        // The button inside the typed-address row sends that row, whichever row is selected.
        if (name == kTypedSendButton && widget->getParent())
            selected = dynamic_cast<NSUI::NSTableViewCell*>(widget->getParent());
        if (_sourcePath.empty() || !selected || selected->getIdx() < 0) {
            showMessageBox("Please choose a patient or series, and open again.", kToastSeconds);
            return;
        }
        sendFrom(static_cast<dcmNodeObject*>(_nodeTable->rows.at(selected->getIdx())));
    } else if (name == kRetryButton) {
        auto* task = dynamic_cast<dcmSendingObject*>(widget->getUserObject());
        int64_t row = task ? sendRowOf(task->getTaskID()) : -1;
        if (row < 0)
            return;
        task->state = dcmSendingObject::kQueued;
        task->progress = 0.0f;
        task->dispatched = false;
        _sendTable->updateCellAtIndex(row);
    } else if (name == kDeleteButton) {
        for (Node* up = widget->getParent(); up; up = up->getParent())
            if (auto* menu = dynamic_cast<NSUI::NSTableViewMenu*>(up)) {
                deleteSend(menu->cell);
                break;
            }
    }
}

void dcmSend::sendFrom(dcmNodeObject* node)
{
    if (node->sendStarted)
        return;
    if (node->rowKind == dcmNodeObject::kTypedAddress) {
        if (!isValidTypedAddress(node->ip)) {
            showMessageBox(text("UnvalidIP"), kToastSeconds);
            return;
        }
        if (!isValidPort(node->port)) {
            showMessageBox(text("UnvalidPort"), kToastSeconds);
            return;
        }
    }
    node->sendStarted = 1;
    // A layout without a send table still sends; there is just no row to show it in.
    for (int64_t row = 0; _sendTable && row < _sendTable->getRowCount(); ++row) {
        auto* task = static_cast<dcmSendingObject*>(_sendTable->rows.at(row));
        if (task->ip == node->ip && task->port == node->port && task->path == _sourcePath) {
            _sendTable->selectCellAtIndex(row);
            return;
        }
    }
    dcmSendingObject* task = dcmSendingObject::create();
    task->port = node->port;
    task->ip = node->ip;
    task->name = node->name;
    task->path = _sourcePath;
    task->text1 = _sourceLabel;
    task->state = dcmSendingObject::kQueued;
    if (_sendTable)
        _sendTable->insertItem(_sendTable->getRowCount(), task);
    if (dataService* service = dataService::getInstance())
        service->addSendTask(task);
    if (Node* help = _layout->getChildByName(kHelpImage))
        help->setVisible(false);
}

void dcmSend::deleteSend(NSUI::NSTableViewCell* cell)
{
    if (!cell || !_sendTable || cell->getIdx() < 0 || cell->getIdx() >= _sendTable->getRowCount())
        return;
    auto* task = static_cast<dcmSendingObject*>(_sendTable->rows.at(cell->getIdx()));
    if (isTaskRunning(task)) {
        showMessageBox(text("dcm_sending_msg"), kToastSeconds);
        return;
    }
    // The task ID, not the row: rows may come and go before the removal arrives.
    NSUI::NSNotificationCenter::getInstance()->postNotificationWithInt(
        nullptr, kSendDelete, static_cast<int>(task->getTaskID()), this, false);
}

void dcmSend::onTextFieldEvent(Ref* sender, NSUI::NSTextField::EventType)
{
    auto* field = dynamic_cast<NSUI::NSTextField*>(sender);
    auto* node = field ? dynamic_cast<dcmNodeObject*>(field->getUserObject()) : nullptr;
    if (!node)
        return;
    const std::string& typed = field->getString();
    node->ip = typed;
    const size_t colon = typed.find(':');
    if (colon != std::string::npos && typed.find(':', colon + 1) == std::string::npos) {
        node->ip = typed.substr(0, colon);
        node->port = typed.substr(colon + 1);
    }
    node->sendStarted = 0;
    if (Node* button = getChildByNameDeep(kTypedSendButton))
        button->setVisible(true);
}

void dcmSend::tableCellTouched(NSUI::NSTableView* table, NSUI::NSTableViewCell* cell, const Vec2&)
{
    if (table == _nodeTable && cell && cell->getIdx() == 1)
        return;
    if (Node* button = getChildByNameDeep(kTypedSendButton))
        button->setVisible(false);
}

// ---- What the service and discovery report ------------------------------------------------

void dcmSend::onNotification(Ref*, unsigned int id, NSUI::NSNotificationData* data)
{
    if (!data || !_nodeTable || !_sendTable)
        return;
    switch (id) {
    case kSendProgress:
    case kSendDone:
    case kSendFailed:
        onSendProgress(static_cast<int>(id), data);
        break;
    case kSendDelete:
        onDeleteArrived(static_cast<unsigned>(data->intValue));
        break;
    case kDiscovered:
        onDiscovered(data->text);
        break;
    case kEchoAnswer:
        onEchoAnswer(data->text);
        break;
    default:
        break;
    }
}

void dcmSend::onSendProgress(int id, NSUI::NSNotificationData* data)
{
    const int64_t row = sendRowOf(static_cast<unsigned>(data->tag));
    if (row < 0)
        return;
    auto* task = static_cast<dcmSendingObject*>(_sendTable->rows.at(row));
    if (id == kSendProgress) {
        task->progress = data->floatValue;
        task->state = dcmSendingObject::kSending;
    } else if (id == kSendDone) {
        task->progress = 100.0f;
        task->state = dcmSendingObject::kDone;
    } else {
        task->state = dcmSendingObject::kFailed;
    }
    _sendTable->updateCellAtIndex(row);
}

void dcmSend::onDeleteArrived(unsigned int taskId)
{
    const int64_t row = sendRowOf(taskId);
    if (row < 0)
        return;
    auto* task = static_cast<dcmSendingObject*>(_sendTable->rows.at(row));
    // The send may have started between the press and now: it cannot be withdrawn any more.
    if (isTaskRunning(task)) {
        showMessageBox(text("dcm_sending_msg"), kToastSeconds);
        return;
    }
    // Done, so that the service never starts it.
    task->state = dcmSendingObject::kDone;
    _sendTable->removeCellAtIndex(row);
}

void dcmSend::onDiscovered(const std::string& json)
{
    const std::string appid = getJsonString(json, "appid", "5");
    const int device = getJsonInt(json, "device", 5);
    const std::string name = getJsonString(json, "name", "");
    const std::string ip = getJsonString(json, "ip", "");
    if (ip.empty())
        return;
    const std::string now = getCurrentTimeString();
    int64_t row = nodeRowOf(appid);
    if (row >= 0) {
        auto* node = static_cast<dcmNodeObject*>(_nodeTable->rows.at(row));
        if (isRecent(node->wifi)) {
            node->name = name;
            node->wifi = now;
            node->device = device;
            node->ip = ip;
            node->port = "4587";
            _nodeTable->updateCellAtIndex(row);
            return;
        }
        // Seen again after a while: it moves up among the recent nodes.
        _nodeTable->removeCellAtIndex(row);
    }
    dcmNodeObject* node = dcmNodeObject::create();
    node->appid = appid;
    node->ip = ip;
    node->port = "4587";
    node->name = name;
    node->wifi = now;
    node->device = device;
    _nodeTable->insertItem(_fixedRowCount, node);
}

void dcmSend::onEchoAnswer(const std::string& json)
{
    const int ok = getJsonInt(json, "ok", 0);
    std::string seen = getCurrentTimeString();
    // A node that did not answer keeps today's date at midnight, which is never recent.
    if (ok != 1)
        seen = seen.substr(0, 10) + " 00:00:00";
    const std::string appid = getJsonString(json, "appid", "");
    const std::string name = getJsonString(json, "name", "");
    const std::string port = getJsonString(json, "port", "");
    const std::string ip = getJsonString(json, "ip", "");
    if (ip.empty())
        return;
    const int64_t row = nodeRowOf(appid);
    dcmNodeObject* node = row >= 0 ? static_cast<dcmNodeObject*>(_nodeTable->rows.at(row)) : nullptr;
    if (!node && ok == 0)
        return;
    if (!node) {
        node = dcmNodeObject::create();
        node->appid = appid;
    }
    node->name = name;
    node->wifi = seen;
    node->ip = ip;
    node->port = port;
    node->device = 5;
    if (row >= 0)
        _nodeTable->updateCellAtIndex(row);
    else
        _nodeTable->insertItem(_fixedRowCount, node);
}

int64_t dcmSend::sendRowOf(unsigned int taskId) const
{
    for (int64_t row = 0; _sendTable && row < _sendTable->getRowCount(); ++row)
        if (static_cast<dcmSendingObject*>(_sendTable->rows.at(row))->getTaskID() == taskId)
            return row;
    return -1;
}

int64_t dcmSend::nodeRowOf(const std::string& appid) const
{
    // Only node rows: a peer may call itself anything, "localip" and "input" included, and
    // must not replace or remove this computer's row or the typed-address row.
    for (int64_t row = _fixedRowCount; _nodeTable && row < _nodeTable->getRowCount(); ++row) {
        auto* node = static_cast<dcmNodeObject*>(_nodeTable->rows.at(row));
        if (node->rowKind == dcmNodeObject::kNode && node->appid == appid)
            return row;
    }
    return -1;
}

bool dcmSend::isRecent(const std::string& wifi)
{
    int now[6] = {1900, 1, 1, 0, 0, 0};
    int seen[6] = {1900, 1, 1, 0, 0, 0};
    parseDateTime(getCurrentTimeString(), now);
    if (!parseDateTime(wifi, seen))
        return false;
    if (seen[0] != now[0] || seen[1] != now[1] || seen[2] != now[2])
        return false;
    return (now[3] * 3600 + now[4] * 60 + now[5]) - (seen[3] * 3600 + seen[4] * 60 + seen[5]) < 10;
}
