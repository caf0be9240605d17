#include "base/__Array.h"

#include <algorithm>

#include "base/ccLog.h"

namespace cocos2d {

__Array* __Array::create()
{
    auto* ret = new __Array();
    ret->autorelease();
    return ret;
}

__Array* __Array::createWithCapacity(ssize_t capacity)
{
    __Array* ret = create();
    if (capacity > 0) {
        ret->data.reserve(static_cast<size_t>(capacity));
    }
    return ret;
}

__Array::~__Array()
{
    removeAllObjects();
}

Ref* __Array::getObjectAtIndex(ssize_t index) const
{
    if (index < 0 || index >= count()) {
        return nullptr;
    }
    return data[static_cast<size_t>(index)];
}

Ref* __Array::lastObject() const
{
    return data.empty() ? nullptr : data.back();
}

ssize_t __Array::getIndexOfObject(Ref* object) const
{
    auto it = std::find(data.begin(), data.end(), object);
    return it == data.end() ? -1 : static_cast<ssize_t>(it - data.begin());
}

bool __Array::containsObject(Ref* object) const
{
    return getIndexOfObject(object) >= 0;
}

void __Array::addObject(Ref* object)
{
    if (!object) {
        return;
    }
    object->retain();
    data.push_back(object);
}

void __Array::addObjectsFromArray(__Array* other)
{
    if (!other || other == this) {
        return;
    }
    for (Ref* obj : other->data) {
        addObject(obj);
    }
}

void __Array::insertObject(Ref* object, ssize_t index)
{
    if (!object || index < 0 || index > count()) {
        return;
    }
    object->retain();
    data.insert(data.begin() + index, object);
}

void __Array::setObject(Ref* object, ssize_t index)
{
    if (!object || index < 0 || index >= count()) {
        return;
    }
    object->retain();
    data[static_cast<size_t>(index)]->release();
    data[static_cast<size_t>(index)] = object;
}

void __Array::removeObject(Ref* object, bool releaseObj)
{
    ssize_t index = getIndexOfObject(object);
    if (index >= 0) {
        removeObjectAtIndex(index, releaseObj);
    }
}

void __Array::removeObjectAtIndex(ssize_t index, bool releaseObj)
{
    if (index < 0 || index >= count()) {
        return;
    }
    Ref* obj = data[static_cast<size_t>(index)];
    data.erase(data.begin() + index);
    if (releaseObj) {
        obj->release();
    }
}

void __Array::removeLastObject(bool releaseObj)
{
    if (!data.empty()) {
        removeObjectAtIndex(count() - 1, releaseObj);
    }
}

void __Array::removeAllObjects()
{
    std::vector<Ref*> old;
    old.swap(data);
    for (Ref* obj : old) {
        obj->release();
    }
}

void __Array::exchangeObjectAtIndex(ssize_t index1, ssize_t index2)
{
    if (index1 < 0 || index2 < 0 || index1 >= count() || index2 >= count()) {
        return;
    }
    std::swap(data[static_cast<size_t>(index1)], data[static_cast<size_t>(index2)]);
}

__Array* __Array::clone() const
{
    __Array* ret = createWithCapacity(count());
    for (Ref* obj : data) {
        auto* clonable = dynamic_cast<Clonable*>(obj);
        if (!clonable) {
            log("__Array::clone: element %u cannot be cloned, left out", obj->getRefID());
            continue;
        }
        Ref* copy = dynamic_cast<Ref*>(clonable->clone());
        if (copy) {
            ret->addObject(copy);
        }
    }
    return ret;
}

} // namespace cocos2d
