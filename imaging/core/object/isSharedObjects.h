#pragma once
// The process-wide registry that keeps named imaging objects alive between screens. Loading
// threads register into it while the main thread looks objects up, so every operation locks.

#include <mutex>
#include <string>
#include <vector>

#include "cocos2d.h"

namespace isImageSDK {

class isObject;

class isSharedObjects : public cocos2d::Ref {
public:
    static isSharedObjects* getInstance();
    /// The registry, or null when there is none (before the first getInstance, after
    /// destroyInstance); never makes one.
    static isSharedObjects* peekInstance();
    /// Releases the registry and what it holds (the program's shutdown); a later
    /// getInstance makes a new, empty one.
    static void destroyInstance();
    ~isSharedObjects() override;

    /// Appends and retains, unless the object is listed already.
    void addObject(isObject* object);
    /// First object of exactly that name, not retained for the caller; null when none.
    isObject* getObjectByName(const std::string& name) const;
    void removeObjectByName(const std::string& name);
    void removeObject(isObject* object);
    virtual void clear();

    size_t count() const;

private:
    isSharedObjects() = default;
    mutable std::recursive_mutex _mutex;
    std::vector<isObject*> _objects;
};

} // namespace isImageSDK
