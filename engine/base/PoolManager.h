#pragma once
// Keeps one stack of autorelease pools per thread; the main thread's pool is drained every frame.

#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace cocos2d {

class AutoreleasePool;
class Ref;

class PoolManager {
public:
    static PoolManager* getInstance();
    /// Drains and deletes every pool (end of the program or of a test).
    static void destroyInstance();

    /// The top pool of the calling thread; a thread that has none gets one, drained when
    /// the thread calls removeThread or ends.
    AutoreleasePool* getCurrentPool();
    bool isObjectInPools(Ref* object) const;

    /// Gives a thread its own pool stack (the calling thread when no id is given).
    void addThread(std::thread::id id = std::this_thread::get_id());
    /// Drains and deletes the thread's pools. Call it on that thread, or after it has stopped
    /// autoreleasing: objects it autoreleased are released here.
    void removeThread(std::thread::id id = std::this_thread::get_id());
    bool hasThread(std::thread::id id) const;

    /// The thread whose pool the director drains each frame (the first user of the manager).
    std::thread::id getMainThreadId() const { return _mainThread; }
    void setMainThreadId(std::thread::id id) { _mainThread = id; }

private:
    friend class AutoreleasePool;
    PoolManager();
    ~PoolManager();

    void push(AutoreleasePool* pool);
    void pop(AutoreleasePool* pool);
    std::vector<AutoreleasePool*>& stackFor(std::thread::id id);

    mutable std::mutex _mutex;
    std::map<std::thread::id, std::vector<AutoreleasePool*>> _stacks;
    std::thread::id _mainThread;
};

} // namespace cocos2d
