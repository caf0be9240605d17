#include "net/dataService.h"

#include "db/dicomDB.h"
#include "hooks/ServiceHooks.h"
#include "import/importDcm.h"
#include "net/QueryAnswer.h"

#include "net/dcmEcho.h"
#include "net/dcmSender.h"
#include "net/NetUtils.h"
#include "notify/NSNotificationCenter.h"
#include "util/TimeUtils.h"

#include <algorithm>
#include <set>

namespace {

dataService* g_instance = nullptr;

const unsigned kSendProgress = 2010, kSendDone = 2011, kSendFailed = 2012;
const unsigned kEchoResult = 2003, kQueryAnswer = 2007, kDiscovered = 2017, kLiveNodes = 2024;

// Echoes the targets; the library copies the texts before it returns.
void echoTargets(dcmSDK::dcmEcho& echo, const std::vector<std::string>& targets, bool sweep)
{
    if (targets.empty())
        return;
    std::vector<const char*> texts;
    for (const std::string& t : targets)
        texts.push_back(t.c_str());
    echo.echo(texts.data(), static_cast<int>(texts.size()), sweep);
}

} // namespace

dataService* dataService::getInstance()
{
    if (!g_instance) {
        auto* service = new dataService();
        if (!service->init()) {
            delete service;
            return nullptr;
        }
        service->autorelease();
        service->retain();
        g_instance = service;
    }
    return g_instance;
}

void dataService::destroyInstance()
{
    if (!g_instance)
        return;
    dataService* service = g_instance;
    g_instance = nullptr;
    service->stop();
    service->release();
}

dataService::~dataService()
{
    stop();
    if (g_instance == this)
        g_instance = nullptr;
}

bool dataService::init()
{
    _sender.reset(new dcmSDK::dcmSender());
    _echo.reset(new dcmSDK::dcmEcho());
    _store = dicomDB::create();
    if (!_store)
        cocos2d::log("dataService: the study store could not be created");
    _tick = 0;
    cocos2d::Director::getInstance()->getScheduler()->schedule([this](float dt) { onTimer(dt); }, this, 1.0f,
                                                               CC_REPEAT_FOREVER, 0.5f, false, kTimerKey);
    auto* centre = NSUI::NSNotificationCenter::getInstance();
    auto callback = [this](cocos2d::Ref* sender, unsigned id, NSUI::NSNotificationData* data) {
        onNotification(sender, id, data);
    };
    for (unsigned id : {kSendProgress, kSendDone, kSendFailed, kEchoResult, kQueryAnswer, kDiscovered})
        centre->addObserver(this, nullptr, callback, id);
    return true;
}

void dataService::stop()
{
    if (_stopping)
        return;
    _stopping = true;
    cocos2d::Director::getInstance()->getScheduler()->unschedule(kTimerKey, this);
    NSUI::NSNotificationCenter::getInstance()->removeObserver(this);
    for (dcmSendingObject* task : _sendList)
        task->release();
    _sendList.clear();
    if (_store) {
        // The importers' last files are posted before the store takes in what was posted to it.
        importDcm::stopAll();
        _store->stop();
        _store->release();
        _store = nullptr;
    }
}

void dataService::addSendTask(dcmSendingObject* task)
{
    if (!task || _stopping)
        return;
    task->retain();
    _sendList.push_back(task);
    pumpSendQueue();
}

void dataService::pumpSendQueue()
{
    if (!_sender || _sender->isSending())
        return;
    for (dcmSendingObject* task : _sendList) {
        if (task->state != dcmSendingObject::kQueued || task->dispatched || task->ip.empty() || task->path.empty())
            continue;
        // The task's state moves only with the sender's messages; the flag only keeps it from
        // being handed over again before its first message arrives.
        task->dispatched = true;
        _sender->setIP(task->ip, task->port);
        _sender->send(task->getTaskID(), task->path);
        return;
    }
}

void dataService::echoSweep(int mode)
{
    if (!_echo)
        return;
    std::vector<std::string> hosts;
    if (mode == 2) {
        std::vector<std::string> targets;
        if (_store) {
            listSubnetHosts(hosts);
            std::set<std::string> local(hosts.begin(), hosts.end());
            std::vector<NeighborRecord> nodes;
            _store->listNeighbors(nodes);
            for (const NeighborRecord& node : nodes) {
                if (node.device != 5 || !local.count(node.ip))
                    continue;
                // A node busy with one of our sends is not disturbed by echoes.
                bool busy = std::any_of(_sendList.begin(), _sendList.end(), [&](dcmSendingObject* task) {
                    return task->ip == node.ip && task->port == node.port && task->state <= dcmSendingObject::kSending;
                });
                if (!busy)
                    targets.push_back(node.name + "," + node.ip + "," + node.port);
            }
        }
        targets.insert(targets.end(), _keptEchoTargets.begin(), _keptEchoTargets.end());
        _keptEchoTargets.clear();
        echoTargets(*_echo, targets, false);
    } else if (mode == 1) {
        _tick = 0;
        listSubnetHosts(hosts);
        std::vector<std::string> targets;
        for (const std::string& host : hosts)
            targets.push_back(host + "," + std::to_string(dicomDB::getReceiverPort()));
        echoTargets(*_echo, targets, true);
    }
}

void dataService::onTimer(float)
{
    pumpSendQueue();
    ++_tick;
    if (_tick <= 300) {
        if (_tick % 5 == 0)
            echoSweep(2);
    } else {
        echoSweep(1);
    }
    if (_tick % 5 == 0)
        ServiceHooks::callStartPingSweep();
    if (_tick % 2 == 0)
        postLiveNodeCount();
}

void dataService::postLiveNodeCount()
{
    auto* centre = NSUI::NSNotificationCenter::getInstance();
    std::string host, addresses, masks;
    getLocalNetworkInfo(host, addresses, masks);
    if (addresses.empty() || !_store) {
        centre->postNotificationWithInt(nullptr, kLiveNodes, -1, nullptr, true);
        return;
    }
    std::vector<NeighborRecord> nodes;
    _store->listNeighbors(nodes);
    int now[6];
    parseDateTime(getCurrentTimeString(), now);
    const int nowSeconds = now[3] * 3600 + now[4] * 60 + now[5];
    int live = 0;
    for (const NeighborRecord& node : nodes) {
        int seen[6];
        if (!parseDateTime(node.wifi, seen) || seen[0] != now[0] || seen[1] != now[1] || seen[2] != now[2])
            continue;
        if (nowSeconds - (seen[3] * 3600 + seen[4] * 60 + seen[5]) < 10)
            ++live;
    }
    centre->postNotificationWithInt(nullptr, kLiveNodes, live, nullptr, true);
}

dcmSendingObject* dataService::findTask(unsigned int taskId) const
{
    for (dcmSendingObject* task : _sendList)
        if (task->getTaskID() == taskId)
            return task;
    return nullptr;
}

void dataService::onNotification(cocos2d::Ref*, unsigned int id, NSUI::NSNotificationData* data)
{
    if (!data || _stopping)
        return;
    switch (id) {
    case kSendProgress:
        if (dcmSendingObject* task = findTask(static_cast<unsigned>(data->tag))) {
            // A progress message that trails the final one must not reopen a finished task.
            if (task->state <= dcmSendingObject::kSending) {
                task->progress = data->floatValue;
                task->state = dcmSendingObject::kSending;
            }
        }
        break;
    case kSendDone:
        if (dcmSendingObject* task = findTask(static_cast<unsigned>(data->tag))) {
            if (task->state <= dcmSendingObject::kSending) {
                task->state = dcmSendingObject::kDone;
                _keptEchoTargets.push_back(task->name + "," + task->ip + "," + task->port);
            }
        }
        break;
    case kSendFailed:
        if (dcmSendingObject* task = findTask(static_cast<unsigned>(data->tag))) {
            if (task->state <= dcmSendingObject::kSending) {
                task->state = dcmSendingObject::kFailed;
                ServiceHooks::callShowMessage("Please check the status of DICOM node", 2.0f);
            }
        }
        break;
    case kEchoResult:
        if (!_store)
            break;
        if (getJsonInt(data->text, "ok", 0) == 1)
            _store->upsertNeighbor(5, getJsonString(data->text, "name"), getJsonString(data->text, "ip"),
                                   getJsonString(data->text, "port"), getJsonString(data->text, "appid"));
        else
            _store->setNeighborWifi(getJsonString(data->text, "appid"));
        break;
    case kQueryAnswer: {
        QueryAnswer* answer = QueryAnswer::parse(data->text);
        auto* record = new NSUI::NSNotificationData();
        record->setObject(answer);
        NSUI::NSNotificationCenter::getInstance()->postNotification(nullptr, answer->notificationId(), record, nullptr,
                                                                    false);
        record->release();
        break;
    }
    case kDiscovered:
        if (_store)
            _store->upsertNeighbor(getJsonInt(data->text, "device", 5), getJsonString(data->text, "name"),
                                   getJsonString(data->text, "ip"), "4587", getJsonString(data->text, "appid"));
        break;
    default:
        break;
    }
}
