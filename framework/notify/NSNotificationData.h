#pragma once
// The reference-counted payload a notification carries from its poster to every observer.

#include "cocos2d.h"

#include <cstdint>
#include <string>

namespace NSUI {

/// A poster fills only the fields its kind of notification uses; receivers read only those.
/// Created with a count of one that the creator releases after posting.
class NSNotificationData : public cocos2d::Ref {
public:
    NSNotificationData();
    virtual ~NSNotificationData();

    /// Resets every field; the held object is forgotten without being released.
    virtual bool init();
    /// Releases the held object, if any.
    virtual void clearObject();

    /// Retains the new object before releasing the previous one, so setting the same object is safe.
    void setObject(cocos2d::Ref* obj);
    void setUserData(uintptr_t value) { userData = value; }

    std::string text;
    int32_t intValue = 0;
    float floatValue = 0.0f;
    int32_t intValue2 = 0;
    int32_t tag = 0;
    cocos2d::Ref* object = nullptr;
    uintptr_t userData = 0;
};

} // namespace NSUI
