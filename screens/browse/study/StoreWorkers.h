#pragma once
// Background jobs that write into the store (deletions, preview pictures, favourite images),
// which may outlive the screen that started them: they run on the framework's one-shot threads
// under one owner that the program drains before it closes the study store.

#include <functional>

class StoreWorkers {
public:
    /// Runs the job on a one-shot worker thread counted until it has ended.
    static void start(std::function<void()> job);

    /// Asks the running jobs to stop at their next safe point and blocks until every one has
    /// ended; jobs started afterwards run normally. Called on the main thread at shutdown,
    /// before the store closes.
    static void finishAll();

    /// True while finishAll waits: a job that can stop between steps does so, leaving only
    /// complete files behind.
    static bool stopRequested();
};
