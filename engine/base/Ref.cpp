#include "base/Ref.h"

#include <cstdlib>
#include <mutex>
#include <typeinfo>
#include <unordered_set>

#include "base/AutoreleasePool.h"
#include "base/PoolManager.h"
#include "base/ccLog.h"

namespace cocos2d {

namespace {

std::atomic<unsigned int> g_nextRefId{1};
std::atomic<bool> g_checkMemory{false};

struct LiveSet {
    std::mutex mutex;
    std::unordered_set<Ref*> objects;
};

LiveSet& liveSet()
{
    // Never destroyed: objects may be released during static destruction.
    static LiveSet* set = new LiveSet();
    return *set;
}

void trackCreated(Ref* ref)
{
    if (g_checkMemory.load(std::memory_order_relaxed)) {
        std::lock_guard<std::mutex> lock(liveSet().mutex);
        liveSet().objects.insert(ref);
    }
}

void reportLeaksAtExit()
{
    Ref::printLeaks();
}

} // namespace

Ref::Ref() : _referenceCount(1), _ID(g_nextRefId.fetch_add(1))
{
    trackCreated(this);
}

// A copy is a new object: it gets its own count and id.
Ref::Ref(const Ref&) : _referenceCount(1), _ID(g_nextRefId.fetch_add(1))
{
    trackCreated(this);
}

Ref& Ref::operator=(const Ref&)
{
    return *this;
}

Ref::~Ref()
{
    if (g_checkMemory.load(std::memory_order_relaxed)) {
        std::lock_guard<std::mutex> lock(liveSet().mutex);
        liveSet().objects.erase(this);
    }
}

void Ref::retain()
{
    _referenceCount.fetch_add(1, std::memory_order_relaxed);
}

void Ref::release()
{
    unsigned int before = _referenceCount.load(std::memory_order_relaxed);
    do {
        if (before == 0) {
            // A release too many: deleting again would corrupt the heap.
            log("Ref::release: object %u released more often than retained", _ID);
            return;
        }
    } while (!_referenceCount.compare_exchange_weak(before, before - 1, std::memory_order_acq_rel));
    if (before == 1) {
        delete this;
    }
}

Ref* Ref::autorelease()
{
    PoolManager::getInstance()->getCurrentPool()->addObject(this);
    return this;
}

unsigned int Ref::getReferenceCount() const
{
    return _referenceCount.load(std::memory_order_relaxed);
}

bool Ref::equal(const Ref* other) const
{
    return other != nullptr && other->_ID == _ID;
}

void Ref::enableCheckMemory()
{
    bool expected = false;
    if (g_checkMemory.compare_exchange_strong(expected, true)) {
        std::atexit(reportLeaksAtExit);
    }
}

bool Ref::isCheckMemoryEnabled()
{
    return g_checkMemory.load();
}

size_t Ref::getLiveObjectCount()
{
    std::lock_guard<std::mutex> lock(liveSet().mutex);
    return liveSet().objects.size();
}

void Ref::printLeaks()
{
    if (!g_checkMemory.load()) {
        return;
    }
    std::lock_guard<std::mutex> lock(liveSet().mutex);
    if (liveSet().objects.empty()) {
        return;
    }
    log("Ref: %zu objects still alive", liveSet().objects.size());
    for (Ref* ref : liveSet().objects) {
        log("Ref: leaked object %u (%s), references %u", ref->_ID, typeid(*ref).name(),
            ref->getReferenceCount());
    }
}

} // namespace cocos2d
