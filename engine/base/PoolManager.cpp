#include "base/PoolManager.h"

#include <algorithm>

#include "base/AutoreleasePool.h"
#include "base/ccLog.h"

namespace cocos2d {

namespace {

PoolManager* g_instance = nullptr;
std::mutex g_instanceMutex;

// Drains the pools of a thread that ends without calling removeThread.
struct ThreadPoolsGuard {
    bool armed = false;
    ~ThreadPoolsGuard()
    {
        if (!armed) {
            return;
        }
        PoolManager* manager = nullptr;
        {
            std::lock_guard<std::mutex> lock(g_instanceMutex);
            manager = g_instance;
        }
        if (manager) {
            manager->removeThread(std::this_thread::get_id());
        }
    }
};

thread_local ThreadPoolsGuard t_guard;

} // namespace

PoolManager* PoolManager::getInstance()
{
    std::lock_guard<std::mutex> lock(g_instanceMutex);
    if (!g_instance) {
        g_instance = new PoolManager();
    }
    return g_instance;
}

void PoolManager::destroyInstance()
{
    PoolManager* instance = nullptr;
    {
        std::lock_guard<std::mutex> lock(g_instanceMutex);
        instance = g_instance;
        g_instance = nullptr;
    }
    delete instance;
}

PoolManager::PoolManager() : _mainThread(std::this_thread::get_id()) {}

PoolManager::~PoolManager()
{
    std::map<std::thread::id, std::vector<AutoreleasePool*>> stacks;
    {
        std::lock_guard<std::mutex> lock(_mutex);
        stacks.swap(_stacks);
    }
    for (auto& entry : stacks) {
        // Pools pushed by their own constructor belong to their creator; only the base pool is ours.
        if (!entry.second.empty()) {
            AutoreleasePool* base = entry.second.front();
            base->clear();
            if (!base->_pushed) {
                delete base;
            }
        }
    }
}

std::vector<AutoreleasePool*>& PoolManager::stackFor(std::thread::id id)
{
    auto& stack = _stacks[id];
    if (stack.empty()) {
        stack.push_back(new AutoreleasePool("thread pool", AutoreleasePool::NoPush()));
    }
    return stack;
}

AutoreleasePool* PoolManager::getCurrentPool()
{
    std::thread::id id = std::this_thread::get_id();
    std::lock_guard<std::mutex> lock(_mutex);
    auto& stack = stackFor(id);
    if (id != _mainThread) {
        t_guard.armed = true;
    }
    return stack.back();
}

bool PoolManager::isObjectInPools(Ref* object) const
{
    std::lock_guard<std::mutex> lock(_mutex);
    auto it = _stacks.find(std::this_thread::get_id());
    if (it == _stacks.end()) {
        return false;
    }
    for (AutoreleasePool* pool : it->second) {
        if (pool->contains(object)) {
            return true;
        }
    }
    return false;
}

void PoolManager::addThread(std::thread::id id)
{
    std::lock_guard<std::mutex> lock(_mutex);
    stackFor(id);
    if (id == std::this_thread::get_id() && id != _mainThread) {
        t_guard.armed = true;
    }
}

void PoolManager::removeThread(std::thread::id id)
{
    if (id == _mainThread) {
        log("PoolManager::removeThread: the main thread keeps its pools");
        return;
    }
    std::vector<AutoreleasePool*> stack;
    {
        std::lock_guard<std::mutex> lock(_mutex);
        auto it = _stacks.find(id);
        if (it == _stacks.end()) {
            return;
        }
        stack.swap(it->second);
        _stacks.erase(it);
    }
    // Releasing outside the lock: destructors may autorelease or ask for pools themselves.
    for (auto it = stack.rbegin(); it != stack.rend(); ++it) {
        (*it)->clear();
    }
    if (!stack.empty() && !stack.front()->_pushed) {
        delete stack.front();
    }
}

bool PoolManager::hasThread(std::thread::id id) const
{
    std::lock_guard<std::mutex> lock(_mutex);
    return _stacks.count(id) != 0;
}

void PoolManager::push(AutoreleasePool* pool)
{
    std::lock_guard<std::mutex> lock(_mutex);
    stackFor(std::this_thread::get_id()).push_back(pool);
}

void PoolManager::pop(AutoreleasePool* pool)
{
    std::lock_guard<std::mutex> lock(_mutex);
    for (auto& entry : _stacks) {
        auto& stack = entry.second;
        auto it = std::find(stack.begin(), stack.end(), pool);
        if (it != stack.end()) {
            stack.erase(it);
            return;
        }
    }
}

} // namespace cocos2d
