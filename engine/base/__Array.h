#pragma once
// A reference-counted list of retained objects, the array element of property-list data.

#include <vector>

#include <sys/types.h>

#include "base/Clonable.h"
#include "base/Ref.h"

namespace cocos2d {

class __Array : public Ref, public Clonable {
public:
    static __Array* create();
    static __Array* createWithCapacity(ssize_t capacity);
    ~__Array() override;

    ssize_t count() const { return static_cast<ssize_t>(data.size()); }
    ssize_t capacity() const { return static_cast<ssize_t>(data.capacity()); }
    /// Null when the index is out of range.
    Ref* getObjectAtIndex(ssize_t index) const;
    Ref* lastObject() const;
    /// Index of the object, or -1.
    ssize_t getIndexOfObject(Ref* object) const;
    bool containsObject(Ref* object) const;

    /// Retains and appends; null is ignored.
    void addObject(Ref* object);
    void addObjectsFromArray(__Array* other);
    void insertObject(Ref* object, ssize_t index);
    void setObject(Ref* object, ssize_t index);
    void removeObject(Ref* object, bool releaseObj = true);
    void removeObjectAtIndex(ssize_t index, bool releaseObj = true);
    void removeLastObject(bool releaseObj = true);
    void removeAllObjects();
    void exchangeObjectAtIndex(ssize_t index1, ssize_t index2);

    /// A new autoreleased array holding clones of the clonable elements (others are left out).
    __Array* clone() const override;

    std::vector<Ref*>::iterator begin() { return data.begin(); }
    std::vector<Ref*>::iterator end() { return data.end(); }

    std::vector<Ref*> data;

protected:
    __Array() = default;
};


} // namespace cocos2d

#define CCARRAY_FOREACH(__array__, __object__)                                                  \
    if ((__array__) != nullptr)                                                                 \
        for (auto __it__ = (__array__)->data.begin();                                           \
             __it__ != (__array__)->data.end() && (((__object__) = *__it__) != nullptr || true); \
             ++__it__)
