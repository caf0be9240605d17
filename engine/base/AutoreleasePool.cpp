#include "base/AutoreleasePool.h"

#include <algorithm>

#include "base/PoolManager.h"
#include "base/Ref.h"
#include "base/ccLog.h"

namespace cocos2d {

AutoreleasePool::AutoreleasePool() : AutoreleasePool(std::string()) {}

AutoreleasePool::AutoreleasePool(const std::string& name) : _name(name), _pushed(true)
{
    _managedObjects.reserve(150);
    PoolManager::getInstance()->push(this);
}

AutoreleasePool::AutoreleasePool(const std::string& name, NoPush) : _name(name)
{
    _managedObjects.reserve(150);
}

AutoreleasePool::~AutoreleasePool()
{
    clear();
    if (_pushed) {
        PoolManager::getInstance()->pop(this);
    }
}

void AutoreleasePool::addObject(Ref* object)
{
    if (object) {
        _managedObjects.push_back(object);
    }
}

void AutoreleasePool::clear()
{
    _isClearing = true;
    // Releasing may run destructors that autorelease again; those go to the fresh vector.
    while (!_managedObjects.empty()) {
        std::vector<Ref*> releasing;
        releasing.swap(_managedObjects);
        for (Ref* obj : releasing) {
            obj->release();
        }
    }
    _isClearing = false;
}

bool AutoreleasePool::contains(Ref* object) const
{
    return std::find(_managedObjects.begin(), _managedObjects.end(), object) != _managedObjects.end();
}

void AutoreleasePool::dump()
{
    log("AutoreleasePool '%s': %zu objects", _name.c_str(), _managedObjects.size());
    for (Ref* obj : _managedObjects) {
        log("  object %u, references %u", obj->getRefID(), obj->getReferenceCount());
    }
}

} // namespace cocos2d
