#include "base/EventListenerTouchOneByOne.h"

#include <algorithm>
#include <new>

#include "base/Touch.h"
#include "base/ccLog.h"

namespace cocos2d {

const std::string EventListenerTouchOneByOne::LISTENER_ID = "__cc_touch_one_by_one";

EventListenerTouchOneByOne* EventListenerTouchOneByOne::create()
{
    auto* ret = new (std::nothrow) EventListenerTouchOneByOne();
    if (ret && ret->init()) {
        ret->autorelease();
        return ret;
    }
    delete ret;
    return nullptr;
}

EventListenerTouchOneByOne::~EventListenerTouchOneByOne()
{
    for (Touch* t : _claimedTouches)
        t->release();
}

bool EventListenerTouchOneByOne::init()
{
    return EventListener::init(Type::TOUCH_ONE_BY_ONE, LISTENER_ID, nullptr);
}

bool EventListenerTouchOneByOne::checkAvailable()
{
    // Without a began callback no touch could ever be claimed.
    if (!onTouchBegan) {
        log("EventListenerTouchOneByOne: onTouchBegan is not set");
        return false;
    }
    return true;
}

EventListenerTouchOneByOne* EventListenerTouchOneByOne::clone()
{
    auto* ret = new (std::nothrow) EventListenerTouchOneByOne();
    if (!ret || !ret->init()) {
        delete ret;
        return nullptr;
    }
    ret->autorelease();
    ret->onTouchBegan = onTouchBegan;
    ret->onTouchMoved = onTouchMoved;
    ret->onTouchEnded = onTouchEnded;
    ret->onTouchCancelled = onTouchCancelled;
    ret->_needSwallow = _needSwallow;
    return ret;
}

void EventListenerTouchOneByOne::claim(Touch* touch)
{
    if (hasClaimed(touch))
        return;
    touch->retain();
    _claimedTouches.push_back(touch);
}

bool EventListenerTouchOneByOne::hasClaimed(Touch* touch) const
{
    return std::find(_claimedTouches.begin(), _claimedTouches.end(), touch) != _claimedTouches.end();
}

void EventListenerTouchOneByOne::unclaim(Touch* touch)
{
    auto it = std::find(_claimedTouches.begin(), _claimedTouches.end(), touch);
    if (it != _claimedTouches.end()) {
        _claimedTouches.erase(it);
        touch->release();
    }
}

} // namespace cocos2d
