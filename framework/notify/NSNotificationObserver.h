#pragma once
// One registration with the notification centre: who listens, on which channel, for which id.

#include "cocos2d.h"
#include "notify/NotificationId.h"

#include <functional>

namespace NSUI {

class NSNotificationData;

typedef std::function<void(cocos2d::Ref* sender, unsigned int id, NSNotificationData* data)>
    NSNotificationCallback;

/// Immutable once registered; the centre keeps it retained while it is registered and the tick
/// keeps it alive while its callback runs.
class NSNotificationObserver : public cocos2d::Ref {
public:
    NSNotificationObserver(const NSNotificationCallback& cb, NotificationId notificationId,
                           cocos2d::Ref* senderFilter, cocos2d::Ref* obj, void* owner)
        : callback(cb), id(notificationId), sender(senderFilter), object(obj), target(owner) {}
    virtual ~NSNotificationObserver() = default;

    const NSNotificationCallback callback;
    const NotificationId id;
    /// Null accepts every sender; registrations made through addObserver always store null.
    cocos2d::Ref* const sender;
    /// The channel listened on (not retained); null is a channel of its own.
    cocos2d::Ref* const object;
    /// The owner of the registration (not retained), the key for removal.
    void* const target;
};

} // namespace NSUI
