#pragma once
// A one-shot detached thread that runs one function and may post a completion to the main thread.

#include <functional>

namespace NSUI {

class NSThreadSafeDestroy;

/// Deletes itself after its function has returned; the creator never deletes a started one.
/// An owner given to start() counts the thread as a live worker until the object is gone.
class NSRunableThread {
public:
    /// Starts a thread running func(arg) at once; the completion, when given, runs afterwards on
    /// the main thread, queued with the owner as target (removeFunctionInCocosThread(owner)
    /// withdraws it).
    static NSRunableThread* create(const std::function<void(void*)>& func, void* arg,
                                   NSThreadSafeDestroy* owner, std::function<void()> completion);

    /// Starts a thread running func(arg) at once, without owner or completion.
    NSRunableThread(const std::function<void(void*)>& func, void* arg);
    /// Not started; a subclass may start it later or run its work on the calling thread and delete it.
    NSRunableThread();
    NSRunableThread(const NSRunableThread&) = delete;
    NSRunableThread& operator=(const NSRunableThread&) = delete;

    /// Tells the owner, if any, that this worker is gone.
    virtual ~NSRunableThread();

    /// Stores the function and argument, attaches the owner (when not null) and, with autostart,
    /// launches the detached thread. Without autostart nothing runs until start() is called again
    /// with autostart. A thread object is started at most once.
    virtual void start(const std::function<void(void*)>& func, void* arg, NSThreadSafeDestroy* owner,
                       bool autostart);

private:
    static void run(NSRunableThread* self);

    std::function<void(void*)> _func;
    void* _arg = nullptr;
    NSThreadSafeDestroy* _owner = nullptr;
    std::function<void()> _completion;
    bool _launched = false;
};

} // namespace NSUI
