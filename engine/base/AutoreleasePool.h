#pragma once
// A pool that owns one reference of each object handed to it and drops them all on clear.

#include <string>
#include <vector>

namespace cocos2d {

class Ref;

class AutoreleasePool {
public:
    /// Creates the pool and makes it the calling thread's current pool until it is destroyed.
    AutoreleasePool();
    explicit AutoreleasePool(const std::string& name);
    /// Clears the pool and removes it from its thread's stack (destroy it on the thread that made it).
    ~AutoreleasePool();
    AutoreleasePool(const AutoreleasePool&) = delete;
    AutoreleasePool& operator=(const AutoreleasePool&) = delete;

    void addObject(Ref* object);
    /// Releases every object once; objects autoreleased while clearing land in the next clear.
    void clear();
    bool isClearing() const { return _isClearing; }
    bool contains(Ref* object) const;
    size_t size() const { return _managedObjects.size(); }
    const std::string& getName() const { return _name; }
    void dump();

private:
    friend class PoolManager;
    // Pools made by the manager for a thread are not pushed by their constructor.
    struct NoPush {};
    AutoreleasePool(const std::string& name, NoPush);

    std::vector<Ref*> _managedObjects;
    std::string _name;
    bool _isClearing = false;
    bool _pushed = false;
};

} // namespace cocos2d
