#include "study/StoreWorkers.h"

#include "thread/NSRunableThread.h"
#include "thread/NSThreadSafeDestroy.h"

#include <atomic>
#include <memory>

namespace {

// Never destroyed: a worker still signals its end to the owner while the process exits.
struct Workers {
    NSUI::NSThreadSafeDestroy owner;
    std::atomic<bool> stopping{false};
};

Workers& workers() {
    static Workers* const all = new Workers();
    return *all;
}

} // namespace

void StoreWorkers::start(std::function<void()> job) {
    auto* task = new std::function<void()>(std::move(job));
    NSUI::NSRunableThread::create(
        [](void* arg) {
            std::unique_ptr<std::function<void()>> run(static_cast<std::function<void()>*>(arg));
            (*run)();
        },
        task, &workers().owner, nullptr);
}

void StoreWorkers::finishAll() {
    Workers& all = workers();
    all.stopping = true;
    all.owner.waitWorkersFinished();
    all.stopping = false;
}

bool StoreWorkers::stopRequested() {
    return workers().stopping;
}
