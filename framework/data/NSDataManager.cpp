#include "data/NSDataManager.h"

#include <algorithm>

namespace NSUI {

namespace {
NSDataManager* g_manager = nullptr;
}

NSDataManager* NSDataManager::getInstance() {
    if (!g_manager) {
        g_manager = new NSDataManager();
        g_manager->init();
    }
    return g_manager;
}

void NSDataManager::destroyInstance() {
    if (!g_manager)
        return;
    NSDataManager* manager = g_manager;
    g_manager = nullptr;
    manager->release();
}

NSDataManager::~NSDataManager() {
    if (_autoUpdate)
        cocos2d::Director::getInstance()->getScheduler()->unschedule(kScheduleKey, this);
    for (NSDatas* d : _datas)
        d->release();
}

bool NSDataManager::init() {
    _initialised = true;
    _autoUpdate = false;
    return true;
}

void NSDataManager::addData(NSDatas* data) {
    if (!data || std::find(_datas.begin(), _datas.end(), data) != _datas.end())
        return;
    data->retain();
    _datas.push_back(data);
}

void NSDataManager::setAutoUpdate(bool on) {
    if (on == _autoUpdate)
        return;
    _autoUpdate = on;
    cocos2d::Scheduler* scheduler = cocos2d::Director::getInstance()->getScheduler();
    if (on) {
        scheduler->schedule([this](float dt) { update(dt); }, this, 1.0f, CC_REPEAT_FOREVER, 0.5f, false,
                            kScheduleKey);
    } else {
        scheduler->unschedule(kScheduleKey, this);
    }
}

void NSDataManager::update(float dt) {
    // A data object may register another (or clear the manager) from its tick: walk a retained
    // snapshot so the list can change underneath.
    std::vector<NSDatas*> snapshot = _datas;
    for (NSDatas* d : snapshot)
        d->retain();
    for (NSDatas* d : snapshot)
        d->update(dt);
    for (NSDatas* d : snapshot)
        d->release();
}

void NSDataManager::clear() {
    std::vector<NSDatas*> datas;
    datas.swap(_datas);
    for (NSDatas* d : datas)
        d->cancelRequests();
    for (NSDatas* d : datas)
        d->release();
    setAutoUpdate(false);
}

} // namespace NSUI
