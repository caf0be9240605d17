#include "imaging/core/object/isSharedObjects.h"

#include <algorithm>
#include <mutex>

#include "imaging/core/object/isObject.h"

namespace isImageSDK {

namespace {
std::mutex g_instanceMutex;
isSharedObjects* g_instance = nullptr; // guarded by g_instanceMutex
} // namespace

isSharedObjects* isSharedObjects::getInstance()
{
    std::lock_guard<std::mutex> lock(g_instanceMutex);
    if (!g_instance)
        g_instance = new isSharedObjects();
    return g_instance;
}

isSharedObjects* isSharedObjects::peekInstance()
{
    std::lock_guard<std::mutex> lock(g_instanceMutex);
    return g_instance;
}

void isSharedObjects::destroyInstance()
{
    isSharedObjects* registry = nullptr;
    {
        std::lock_guard<std::mutex> lock(g_instanceMutex);
        std::swap(registry, g_instance);
    }
    if (registry)
        registry->release();
}

isSharedObjects::~isSharedObjects()
{
    clear();
}

void isSharedObjects::addObject(isObject* object)
{
    if (!object) return;
    std::lock_guard<std::recursive_mutex> lock(_mutex);
    if (std::find(_objects.begin(), _objects.end(), object) != _objects.end()) return;
    object->retain();
    _objects.push_back(object);
}

isObject* isSharedObjects::getObjectByName(const std::string& name) const
{
    std::lock_guard<std::recursive_mutex> lock(_mutex);
    for (isObject* object : _objects)
        if (object->getName() == name) return object;
    return nullptr;
}

void isSharedObjects::removeObjectByName(const std::string& name)
{
    std::unique_lock<std::recursive_mutex> lock(_mutex);
    auto it = std::find_if(_objects.begin(), _objects.end(),
                           [&](isObject* object) { return object->getName() == name; });
    if (it == _objects.end()) return;
    isObject* object = *it;
    _objects.erase(it);
    lock.unlock();
    object->release();
}

void isSharedObjects::removeObject(isObject* object)
{
    std::unique_lock<std::recursive_mutex> lock(_mutex);
    auto it = std::find(_objects.begin(), _objects.end(), object);
    if (it == _objects.end()) return;
    _objects.erase(it);
    lock.unlock();
    object->release();
}

void isSharedObjects::clear()
{
    std::vector<isObject*> objects;
    {
        std::lock_guard<std::recursive_mutex> lock(_mutex);
        objects.swap(_objects);
    }
    for (isObject* object : objects) object->release();
}

size_t isSharedObjects::count() const
{
    std::lock_guard<std::recursive_mutex> lock(_mutex);
    return _objects.size();
}

} // namespace isImageSDK
