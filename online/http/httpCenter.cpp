#include "http/httpCenter.h"

#include "data/NSDataManager.h"

httpCenter* httpCenter::create() {
    auto* center = new httpCenter();
    if (!center->init()) {
        delete center;
        return nullptr;
    }
    center->autorelease();
    return center;
}

bool httpCenter::init() {
    if (!NSUI::NSDatas::init())
        return false;
    NSUI::NSDataManager::getInstance()->addData(this);
    return true;
}

void httpCenter::update(float) {
    // The sign-in re-check arrives with the account service; nobody is signed in before it.
}
