#include "imaging/core/object/isSharedObjects.h"

#include <algorithm>

#include "imaging/core/object/isObject.h"

namespace isImageSDK {

isSharedObjects* isSharedObjects::getInstance()
{
    static isSharedObjects* instance = [] {
        auto* registry = new isSharedObjects();
        registry->autorelease();
        registry->retain();
        return registry;
    }();
    return instance;
}

isSharedObjects::~isSharedObjects()
{
    clear();
}

void isSharedObjects::addObject(isObject* object)
{
    if (!object) return;
    if (std::find(_objects.begin(), _objects.end(), object) != _objects.end()) return;
    object->retain();
    _objects.push_back(object);
}

isObject* isSharedObjects::getObjectByName(const std::string& name) const
{
    for (isObject* object : _objects)
        if (object->getName() == name) return object;
    return nullptr;
}

void isSharedObjects::removeObjectByName(const std::string& name)
{
    auto it = std::find_if(_objects.begin(), _objects.end(),
                           [&](isObject* object) { return object->getName() == name; });
    if (it == _objects.end()) return;
    isObject* object = *it;
    _objects.erase(it);
    object->release();
}

void isSharedObjects::removeObject(isObject* object)
{
    auto it = std::find(_objects.begin(), _objects.end(), object);
    if (it == _objects.end()) return;
    _objects.erase(it);
    object->release();
}

void isSharedObjects::clear()
{
    std::vector<isObject*> objects;
    objects.swap(_objects);
    for (isObject* object : objects) object->release();
}

} // namespace isImageSDK
