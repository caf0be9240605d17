#include "notify/NSNotificationData.h"

namespace NSUI {

NSNotificationData::NSNotificationData() = default;

NSNotificationData::~NSNotificationData() {
    if (object)
        object->release();
}

bool NSNotificationData::init() {
    text.clear();
    intValue = 0;
    floatValue = 0.0f;
    intValue2 = 0;
    tag = 0;
    object = nullptr;
    userData = 0;
    return true;
}

void NSNotificationData::clearObject() {
    if (object) {
        object->release();
        object = nullptr;
    }
}

void NSNotificationData::setObject(cocos2d::Ref* obj) {
    if (obj)
        obj->retain();
    if (object)
        object->release();
    object = obj;
}

} // namespace NSUI
