#pragma once
// The process-wide publish/subscribe hub: any thread posts, every callback runs later on the
// main thread from a tick on the engine scheduler.

#include "cocos2d.h"
#include "notify/NSNotificationData.h"
#include "notify/NSNotificationObserver.h"
#include "notify/NotificationId.h"

#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace NSUI {

/// A post reaches the observers registered for its id and object whose target is not the sender.
/// With allNextFrame set it is delivered at the next tick; otherwise it joins a queue of which one
/// delivery (one observer of one post) runs per tick. Within a tick deliveries run in posting order.
class NSNotificationCenter : public cocos2d::Ref {
public:
    /// Creates the centre on first use (and schedules its tick).
    static NSNotificationCenter* getInstance();
    /// Releases the centre (also an inert one); a later getInstance creates a fresh, scheduled one.
    static void destroyInstance();
    /// Releases the centre for good (the program's shutdown). Objects destroyed afterwards may
    /// still call getInstance: they get an inert centre that registers and delivers nothing,
    /// instead of re-creating a scheduled one.
    static void shutdown();
    /// The program's last step: releases the inert centre shutdown() left. Anything that still
    /// asks for the centre afterwards gets a new inert one (and shows up as a leak).
    static void releaseAfterShutdown();

    virtual ~NSNotificationCenter();

    void addObserver(void* target, cocos2d::Ref* object, const NSNotificationCallback& callback,
                     unsigned int id);
    bool isObserverRegistered(unsigned int id, cocos2d::Ref* object, void* target);
    /// Removes every registration of the target and withdraws its waiting deliveries.
    void removeObserver(void* target);
    /// Removes the target's registrations for one id and withdraws their waiting deliveries.
    void removeObserver(unsigned int id, void* target);
    void removeAllObservers();

    void postNotification(cocos2d::Ref* sender, unsigned int id, NSNotificationData* data,
                          cocos2d::Ref* object, bool allNextFrame);
    void postNotificationWithInt(cocos2d::Ref* sender, unsigned int id, int value, cocos2d::Ref* object,
                                 bool allNextFrame);
    void postNotificationWithFloat(cocos2d::Ref* sender, unsigned int id, float value, cocos2d::Ref* object,
                                   bool allNextFrame);
    void postNotificationWithString(cocos2d::Ref* sender, unsigned int id, const std::string& text,
                                    cocos2d::Ref* object, bool allNextFrame);
    /// Null sender and object.
    void postNotificationWithTag(unsigned int id, int tag, bool allNextFrame);
    /// Posts 9108 for the next tick with intValue2 set to the value.
    void postFixedIdNotification(cocos2d::Ref* sender, int value, cocos2d::Ref* object);

    /// Withdraws waiting deliveries with that sender and id addressed to observers of that object.
    void cancelNotification(cocos2d::Ref* sender, unsigned int id, cocos2d::Ref* object);
    /// As cancelNotification, for posts made during the current frame only.
    void cancelNotificationOfThisFrame(cocos2d::Ref* sender, unsigned int id, cocos2d::Ref* object);
    /// Withdraws every waiting delivery addressed to observers of the target.
    void cancelNotificationsForTarget(void* target);

    /// Runs now, in posting order, the target's waiting deliveries of one id (main thread), so
    /// that an owner closing down takes in what was already posted to it.
    void deliverWaiting(unsigned int id, void* target);

    /// The tick: runs on the main thread every frame.
    void update(float dt);

    static constexpr const char* kScheduleKey = "_NSNotificationCenter";
    static constexpr unsigned int kImageLoadedId = 9108;

private:
    struct Record;

    explicit NSNotificationCenter(bool inert);
    void removeObserversIf(void* target, bool anyId, unsigned int id);
    void cancelMatching(cocos2d::Ref* sender, unsigned int id, cocos2d::Ref* object, bool thisFrameOnly);
    static void freeRecord(Record* record);

    std::recursive_mutex _mutex;
    std::vector<NSNotificationObserver*> _observers;
    std::deque<Record*> _perFrameQueue;
    std::deque<Record*> _nextFrameQueue;
    std::vector<Record*> _inFlight;
    uint64_t _sequence = 0;
    const bool _inert;
};

} // namespace NSUI
