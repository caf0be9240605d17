#pragma once
// Base of every reference-counted engine object: an atomic count and a run-unique id.

#include <atomic>
#include <cstddef>

namespace cocos2d {

class Ref;
class Node;
class Event;

/// Member-function callbacks that engine classes keep as selectors.
typedef void (Ref::*SEL_CallFunc)();
typedef void (Ref::*SEL_CallFuncN)(Node*);
typedef void (Ref::*SEL_CallFuncO)(Ref*);
typedef void (Ref::*SEL_MenuHandler)(Ref*);
typedef void (Ref::*SEL_SCHEDULE)(float);

#define CC_CALLFUNC_SELECTOR(_SELECTOR) static_cast<cocos2d::SEL_CallFunc>(&_SELECTOR)
#define CC_CALLFUNCN_SELECTOR(_SELECTOR) static_cast<cocos2d::SEL_CallFuncN>(&_SELECTOR)
#define CC_CALLFUNCO_SELECTOR(_SELECTOR) static_cast<cocos2d::SEL_CallFuncO>(&_SELECTOR)
#define CC_MENU_SELECTOR(_SELECTOR) static_cast<cocos2d::SEL_MenuHandler>(&_SELECTOR)
#define CC_SCHEDULE_SELECTOR(_SELECTOR) static_cast<cocos2d::SEL_SCHEDULE>(&_SELECTOR)
#define callfunc_selector(_SELECTOR) CC_CALLFUNC_SELECTOR(_SELECTOR)
#define schedule_selector(_SELECTOR) CC_SCHEDULE_SELECTOR(_SELECTOR)

class Ref {
public:
    /// Takes one more reference.
    void retain();
    /// Drops one reference; the object deletes itself when the last one goes.
    void release();
    /// Hands one reference to the calling thread's current autorelease pool.
    Ref* autorelease();
    unsigned int getReferenceCount() const;

    /// An id unique for the whole run; ids are never reused, unlike addresses.
    unsigned int getRefID() const { return _ID; }
    /// True when other is this very object (compared by id, safe against reused addresses).
    bool equal(const Ref* other) const;

    /// Starts tracking live objects; the ones still alive at exit are reported in the log.
    static void enableCheckMemory();
    static bool isCheckMemoryEnabled();
    /// Objects alive now (only counted while the memory check is on).
    static size_t getLiveObjectCount();
    /// Writes one log line per object still alive (only while the memory check is on).
    static void printLeaks();

    virtual ~Ref();

protected:
    Ref();
    Ref(const Ref&);
    Ref& operator=(const Ref&);

    std::atomic<unsigned int> _referenceCount;
    unsigned int _ID;
};

} // namespace cocos2d
