#include "update/updateService.h"

updateService* updateService::create() {
    auto* service = new updateService();
    if (!service->init()) {
        delete service;
        return nullptr;
    }
    service->autorelease();
    return service;
}

updateService::~updateService() = default;

bool updateService::init() {
    _running = true;
    // The server's version check and the hot-update download are not part of this build:
    // the sequence ends at once, so the next return to the foreground starts a fresh one.
    finish();
    return true;
}

void updateService::cleanup() {
    finish();
}

void updateService::finish() {
    _running = false;
}
