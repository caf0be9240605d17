#include "thread/NSRunableThread.h"

#include "cocos2d.h"
#include "thread/NSThreadSafeDestroy.h"

#include <thread>

namespace NSUI {

NSRunableThread* NSRunableThread::create(const std::function<void(void*)>& func, void* arg,
                                         NSThreadSafeDestroy* owner, std::function<void()> completion) {
    NSRunableThread* thread = new NSRunableThread();
    thread->_completion = std::move(completion);
    thread->start(func, arg, owner, true);
    return thread;
}

NSRunableThread::NSRunableThread() = default;

NSRunableThread::NSRunableThread(const std::function<void(void*)>& func, void* arg) {
    start(func, arg, nullptr, true);
}

NSRunableThread::~NSRunableThread() {
    if (_owner)
        _owner->workerExited();
}

void NSRunableThread::start(const std::function<void(void*)>& func, void* arg, NSThreadSafeDestroy* owner,
                            bool autostart) {
    if (_launched)
        return;
    _func = func;
    _arg = arg;
    if (owner && !_owner) {
        _owner = owner;
        owner->workerStarted();
    }
    if (!autostart)
        return;
    // Everything the thread reads is in place before it exists, so no start flag is shared.
    _launched = true;
    std::thread(&NSRunableThread::run, this).detach();
}

void NSRunableThread::run(NSRunableThread* self) {
    cocos2d::PoolManager::getInstance()->addThread();
    if (self->_func)
        self->_func(self->_arg);
    cocos2d::PoolManager::getInstance()->removeThread();
    if (self->_completion) {
        // Queued under the owner, so an owner that stops can withdraw it.
        cocos2d::Director::getInstance()->getScheduler()->performFunctionInCocosThread(self->_completion,
                                                                                      self->_owner);
    }
    delete self;
}

} // namespace NSUI
