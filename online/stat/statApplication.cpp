#include "stat/statApplication.h"

namespace {
statApplication* g_instance = nullptr;
}

statApplication* statApplication::getInstance() {
    if (!g_instance) {
        auto* instance = new statApplication();
        instance->init();
        instance->autorelease();
        instance->retain();
        g_instance = instance;
    }
    return g_instance;
}

statApplication* statApplication::peekInstance() {
    return g_instance;
}

void statApplication::destroyInstance() {
    if (!g_instance)
        return;
    statApplication* instance = g_instance;
    g_instance = nullptr;
    instance->stop();
    instance->release();
}

statApplication::~statApplication() {
    if (g_instance == this)
        g_instance = nullptr;
}

bool statApplication::init() {
    return true;
}

void statApplication::start() {
    _started = true;
}

void statApplication::recordStat(int type) {
    if (!_started || type < 0 || type > 2)
        return;
    ++_recorded;
}

void statApplication::stop() {
    _started = false;
}
