#pragma once
// The walk that runs after the store was not closed cleanly: files of its series folders that no
// image row names are handed to the store's worker as file records, as received files are.

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

class dicomDB;

/// Runs on a thread of its own while the receiver and the lists go on. It keeps only a few of its
/// records on the worker at a time, so that a list asked for meanwhile waits for those alone, and
/// it takes the store's lock only for one series' file names at a time (the folder lock never).
/// The worker skips known images and files that have gone; files that are not DICOM, or lie
/// elsewhere than their tags place them, are left as they are, with a log line.
class StoreRecovery {
public:
    explicit StoreRecovery(dicomDB& store);
    /// Stops the walk.
    ~StoreRecovery();
    StoreRecovery(const StoreRecovery&) = delete;
    StoreRecovery& operator=(const StoreRecovery&) = delete;

    void start();
    /// Asks the walk to end after the file in hand and waits for it.
    void stop();
    /// True once the walk has been through every series folder and handed over every file it
    /// found (the worker may still be indexing the last ones).
    bool finished() const { return _finished; }
    /// Files handed to the worker so far.
    unsigned handedOver() const { return _handedOver; }

    /// Records of the walk on the worker at most at a time.
    static constexpr int kRecordsInFlight = 4;

private:
    void run();
    /// False when the walk was asked to stop.
    bool walkSeriesFolder(const std::string& relative, long long seriesId);
    /// Waits until a record may be handed over; false when the walk is to stop.
    bool waitForRoom();
    void recordDone();

    dicomDB& _store;
    const std::string _root;
    std::thread _thread;
    std::mutex _mutex;
    std::condition_variable _changed;
    bool _stop = false;     // under _mutex
    int _inFlight = 0;      // under _mutex
    std::atomic<bool> _finished{false};
    std::atomic<unsigned> _handedOver{0};
};
