#include "notify/NSNotificationCenter.h"

#include <algorithm>
#include <atomic>

namespace NSUI {

/// One pending delivery of one post to one observer. The observer pointer may only be read while
/// the record is valid: removing an observer invalidates its in-flight records before releasing it.
struct NSNotificationCenter::Record {
    NSNotificationObserver* observer = nullptr;
    cocos2d::Ref* sender = nullptr;
    NSNotificationData* data = nullptr; // retained by the record
    NotificationId id = 0;
    unsigned int frame = 0;
    bool valid = true;
    uint64_t sequence = 0;
};

namespace {

std::mutex g_instanceMutex;
std::atomic<NSNotificationCenter*> g_instance{nullptr};
bool g_shutDown = false; // guarded by g_instanceMutex

// The director's frame counter belongs to the main thread; other threads read the copy the
// tick keeps, which is the current frame from the tick on (a post from another thread is only
// ever "of this frame" up to that race anyway).
std::atomic<unsigned int> g_tickFrame{0};

unsigned int currentFrame() {
    cocos2d::Director* director = cocos2d::Director::getInstance();
    return director->isMainThread() ? director->getTotalFrames()
                                    : g_tickFrame.load(std::memory_order_relaxed);
}

} // namespace

NSNotificationCenter* NSNotificationCenter::getInstance() {
    NSNotificationCenter* centre = g_instance.load(std::memory_order_acquire);
    if (centre)
        return centre;
    std::lock_guard<std::mutex> lock(g_instanceMutex);
    centre = g_instance.load(std::memory_order_relaxed);
    if (!centre) {
        centre = new NSNotificationCenter(g_shutDown);
        g_instance.store(centre, std::memory_order_release);
    }
    return centre;
}

void NSNotificationCenter::destroyInstance() {
    std::lock_guard<std::mutex> lock(g_instanceMutex);
    g_shutDown = false;
    NSNotificationCenter* centre = g_instance.exchange(nullptr);
    if (centre)
        centre->release();
}

void NSNotificationCenter::shutdown() {
    std::lock_guard<std::mutex> lock(g_instanceMutex);
    g_shutDown = true;
    NSNotificationCenter* centre = g_instance.load(std::memory_order_relaxed);
    if (centre && centre->_inert)
        return;
    // The inert centre stays (and stays reachable) to the end of the process. It replaces the
    // live one before that is released, so no caller can pick up a freed centre.
    g_instance.store(new NSNotificationCenter(true), std::memory_order_release);
    if (centre)
        centre->release();
}

void NSNotificationCenter::releaseAfterShutdown() {
    NSNotificationCenter* centre = nullptr;
    {
        std::lock_guard<std::mutex> lock(g_instanceMutex);
        if (!g_shutDown)
            return;
        centre = g_instance.exchange(nullptr);
    }
    if (centre)
        centre->release();
}

NSNotificationCenter::NSNotificationCenter(bool inert) : _inert(inert) {
    if (_inert)
        return;
    cocos2d::Director::getInstance()->getScheduler()->schedule([this](float dt) { update(dt); }, this, 0.0f,
                                                               CC_REPEAT_FOREVER, 0.5f, false, kScheduleKey);
}

NSNotificationCenter::~NSNotificationCenter() {
    if (!_inert)
        cocos2d::Director::getInstance()->getScheduler()->unschedule(kScheduleKey, this);
    removeAllObservers();
    std::lock_guard<std::recursive_mutex> lock(_mutex);
    for (Record* r : _inFlight)
        freeRecord(r);
    _inFlight.clear();
}

void NSNotificationCenter::freeRecord(Record* record) {
    if (record->data)
        record->data->release();
    delete record;
}

void NSNotificationCenter::addObserver(void* target, cocos2d::Ref* object,
                                       const NSNotificationCallback& callback, unsigned int id) {
    if (_inert)
        return;
    std::lock_guard<std::recursive_mutex> lock(_mutex);
    if (isObserverRegistered(id, object, target))
        return;
    _observers.push_back(new NSNotificationObserver(callback, id, nullptr, object, target));
}

bool NSNotificationCenter::isObserverRegistered(unsigned int id, cocos2d::Ref* object, void* target) {
    std::lock_guard<std::recursive_mutex> lock(_mutex);
    for (NSNotificationObserver* o : _observers) {
        if (o->id == id && o->sender == nullptr && o->object == object && o->target == target)
            return true;
    }
    return false;
}

void NSNotificationCenter::removeObserver(void* target) {
    removeObserversIf(target, true, 0);
}

void NSNotificationCenter::removeObserver(unsigned int id, void* target) {
    removeObserversIf(target, false, id);
}

void NSNotificationCenter::removeObserversIf(void* target, bool anyId, unsigned int id) {
    std::lock_guard<std::recursive_mutex> lock(_mutex);
    std::vector<NSNotificationObserver*> removed;
    auto keep = std::remove_if(_observers.begin(), _observers.end(), [&](NSNotificationObserver* o) {
        if (o->target != target || (!anyId && o->id != id))
            return false;
        removed.push_back(o);
        return true;
    });
    _observers.erase(keep, _observers.end());
    if (removed.empty())
        return;

    auto isRemoved = [&](const Record* r) {
        return std::find(removed.begin(), removed.end(), r->observer) != removed.end();
    };
    for (std::deque<Record*>* queue : {&_perFrameQueue, &_nextFrameQueue}) {
        auto end =
            std::stable_partition(queue->begin(), queue->end(), [&](Record* r) { return !isRemoved(r); });
        for (auto it = end; it != queue->end(); ++it)
            freeRecord(*it);
        queue->erase(end, queue->end());
    }
    for (Record* r : _inFlight) {
        if (r->valid && isRemoved(r))
            r->valid = false;
    }
    for (NSNotificationObserver* o : removed)
        o->release();
}

void NSNotificationCenter::removeAllObservers() {
    std::lock_guard<std::recursive_mutex> lock(_mutex);
    // In-flight records may point at the observers released below; invalidate them first.
    for (Record* r : _inFlight)
        r->valid = false;
    for (std::deque<Record*>* queue : {&_perFrameQueue, &_nextFrameQueue}) {
        for (Record* r : *queue)
            freeRecord(r);
        queue->clear();
    }
    std::vector<NSNotificationObserver*> observers;
    observers.swap(_observers);
    for (NSNotificationObserver* o : observers)
        o->release();
}

void NSNotificationCenter::postNotification(cocos2d::Ref* sender, unsigned int id, NSNotificationData* data,
                                            cocos2d::Ref* object, bool allNextFrame) {
    if (data)
        data->retain();
    bool queued = false;
    {
        std::lock_guard<std::recursive_mutex> lock(_mutex);
        unsigned int frame = currentFrame();
        for (NSNotificationObserver* o : _observers) {
            if (o->target == sender || o->id != id)
                continue;
            if (o->sender != nullptr && o->sender != sender)
                continue;
            if (o->object != object)
                continue;
            Record* r = new Record();
            r->observer = o;
            r->sender = sender;
            r->data = data;
            if (data)
                data->retain();
            r->id = id;
            r->frame = frame;
            r->sequence = _sequence++;
            (allNextFrame ? _nextFrameQueue : _perFrameQueue).push_back(r);
            queued = true;
        }
    }
    if (data)
        data->release();
    // A post from another thread (a load finished, an image arrived) is delivered at once
    // rather than at the next frame's turn.
    if (queued)
        cocos2d::Director::getInstance()->markWorkPosted();
}

namespace {

// A new payload filled by `fill`, posted, and the creator's reference dropped.
template <class Fill>
void postNew(NSNotificationCenter* centre, cocos2d::Ref* sender, unsigned int id, cocos2d::Ref* object,
             bool allNextFrame, Fill fill) {
    NSNotificationData* data = new NSNotificationData();
    fill(data);
    centre->postNotification(sender, id, data, object, allNextFrame);
    data->release();
}

} // namespace

void NSNotificationCenter::postNotificationWithInt(cocos2d::Ref* sender, unsigned int id, int value,
                                                   cocos2d::Ref* object, bool allNextFrame) {
    postNew(this, sender, id, object, allNextFrame, [&](NSNotificationData* d) { d->intValue = value; });
}

void NSNotificationCenter::postNotificationWithFloat(cocos2d::Ref* sender, unsigned int id, float value,
                                                     cocos2d::Ref* object, bool allNextFrame) {
    postNew(this, sender, id, object, allNextFrame, [&](NSNotificationData* d) { d->floatValue = value; });
}

void NSNotificationCenter::postNotificationWithString(cocos2d::Ref* sender, unsigned int id,
                                                      const std::string& text, cocos2d::Ref* object,
                                                      bool allNextFrame) {
    postNew(this, sender, id, object, allNextFrame, [&](NSNotificationData* d) { d->text = text; });
}

void NSNotificationCenter::postNotificationWithTag(unsigned int id, int tag, bool allNextFrame) {
    postNew(this, nullptr, id, nullptr, allNextFrame, [&](NSNotificationData* d) { d->tag = tag; });
}

void NSNotificationCenter::postFixedIdNotification(cocos2d::Ref* sender, int value, cocos2d::Ref* object) {
    postNew(this, sender, kImageLoadedId, object, true, [&](NSNotificationData* d) { d->intValue2 = value; });
}

void NSNotificationCenter::cancelMatching(cocos2d::Ref* sender, unsigned int id, cocos2d::Ref* object,
                                          bool thisFrameOnly) {
    std::lock_guard<std::recursive_mutex> lock(_mutex);
    unsigned int frame = thisFrameOnly ? currentFrame() : 0;
    auto matches = [&](const Record* r) {
        return r->valid && r->sender == sender && r->id == id && r->observer->object == object &&
               (!thisFrameOnly || r->frame == frame);
    };
    for (std::deque<Record*>* queue : {&_perFrameQueue, &_nextFrameQueue}) {
        for (Record* r : *queue) {
            if (matches(r))
                r->valid = false;
        }
    }
    for (Record* r : _inFlight) {
        if (matches(r))
            r->valid = false;
    }
}

void NSNotificationCenter::cancelNotification(cocos2d::Ref* sender, unsigned int id, cocos2d::Ref* object) {
    cancelMatching(sender, id, object, false);
}

void NSNotificationCenter::cancelNotificationOfThisFrame(cocos2d::Ref* sender, unsigned int id,
                                                         cocos2d::Ref* object) {
    cancelMatching(sender, id, object, true);
}

void NSNotificationCenter::cancelNotificationsForTarget(void* target) {
    std::lock_guard<std::recursive_mutex> lock(_mutex);
    auto mark = [&](Record* r) {
        if (r->valid && r->observer->target == target)
            r->valid = false;
    };
    for (Record* r : _perFrameQueue)
        mark(r);
    for (Record* r : _nextFrameQueue)
        mark(r);
    for (Record* r : _inFlight)
        mark(r);
}

void NSNotificationCenter::deliverWaiting(unsigned int id, void* target) {
    std::vector<Record*> taken;
    {
        std::lock_guard<std::recursive_mutex> lock(_mutex);
        for (std::deque<Record*>* queue : {&_perFrameQueue, &_nextFrameQueue}) {
            auto end = std::stable_partition(queue->begin(), queue->end(), [&](Record* r) {
                return !(r->valid && r->id == id && r->observer->target == target);
            });
            taken.insert(taken.end(), end, queue->end());
            queue->erase(end, queue->end());
        }
        // Out of the queues, the records are no longer withdrawn with their observer: each
        // holds it, and runs only while it is still registered.
        for (Record* r : taken)
            r->observer->retain();
    }
    std::sort(taken.begin(), taken.end(), [](const Record* a, const Record* b) { return a->sequence < b->sequence; });
    for (Record* r : taken) {
        bool registered;
        {
            std::lock_guard<std::recursive_mutex> lock(_mutex);
            registered = std::find(_observers.begin(), _observers.end(), r->observer) != _observers.end();
        }
        if (registered && r->observer->callback)
            r->observer->callback(r->sender, r->observer->id, r->data);
        r->observer->release();
        freeRecord(r);
    }
}

void NSNotificationCenter::update(float /*dt*/) {
    g_tickFrame.store(cocos2d::Director::getInstance()->getTotalFrames(), std::memory_order_relaxed);
    {
        std::lock_guard<std::recursive_mutex> lock(_mutex);
        // Withdrawn records leave the one-per-frame queue without taking this tick's slot.
        auto end = std::stable_partition(_perFrameQueue.begin(), _perFrameQueue.end(),
                                         [](Record* r) { return r->valid; });
        for (auto it = end; it != _perFrameQueue.end(); ++it)
            freeRecord(*it);
        _perFrameQueue.erase(end, _perFrameQueue.end());

        if (!_perFrameQueue.empty()) {
            _inFlight.push_back(_perFrameQueue.front());
            _perFrameQueue.pop_front();
        }
        _inFlight.insert(_inFlight.end(), _nextFrameQueue.begin(), _nextFrameQueue.end());
        _nextFrameQueue.clear();
        std::sort(_inFlight.begin(), _inFlight.end(),
                  [](const Record* a, const Record* b) { return a->sequence < b->sequence; });
    }

    // Only this tick adds to or frees the in-flight vector, so indexing it outside the lock is safe;
    // the records' flags and observers are read under the lock because other threads withdraw them.
    for (size_t i = 0;; ++i) {
        NSNotificationObserver* observer = nullptr;
        cocos2d::Ref* sender = nullptr;
        NSNotificationData* data = nullptr;
        {
            std::lock_guard<std::recursive_mutex> lock(_mutex);
            if (i >= _inFlight.size())
                break;
            Record* r = _inFlight[i];
            if (!r->valid || !r->observer)
                continue;
            r->valid = false;
            observer = r->observer;
            observer->retain();
            sender = r->sender;
            data = r->data;
        }
        if (observer->callback)
            observer->callback(sender, observer->id, data);
        observer->release();
    }

    std::vector<Record*> done;
    {
        std::lock_guard<std::recursive_mutex> lock(_mutex);
        done.swap(_inFlight);
    }
    for (Record* r : done)
        freeRecord(r);
}

} // namespace NSUI
