#pragma once
// The workers that decode an opened series' DICOM files, nearest to the shown image first, and
// hand each result to its series reader. Several files are decoded at once: one on the request
// thread itself, the others on helper threads that take from the same ordered queue.

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "framework/thread/NSThread.h"

namespace dcmSDK {
class dcmReader;
}

namespace isImageSDK {

class loadingRequest;

class dcmLoadingThread : public NSUI::NSThread {
public:
    /// workers: how many files are decoded at once (the request thread included); 0 chooses
    /// from the number of processors.
    explicit dcmLoadingThread(int workers = 0);

    /// Queues the request (retained); false when the thread no longer accepts work.
    bool addRequest(NSUI::NSThreadRequest* request) override;
    /// Drops every waiting request and marks those being decoded cancelled; their reader
    /// discards them.
    void clearQueue();
    /// Makes the request with that key next, then its neighbours by ordinal, nearest first.
    void moveToFront(uint32_t hash);
    /// The order moveToFront gives: the request with that key, then one from below and one from
    /// above it by ordinal in turn, nearest first; without a match, all by descending ordinal.
    static void orderAround(std::vector<loadingRequest*>& requests, uint32_t hash);
    /// Ordinals of the waiting requests in the order they will be decoded.
    std::vector<int> pendingOrdinals() const;
    /// How many files are decoded at once.
    int getWorkerCount() const { return _workers; }
    /// The default worker count on this machine.
    static int defaultWorkerCount();

protected:
    /// Stops the helpers and waits for them; runs on the request thread as it ends.
    ~dcmLoadingThread() override;
    void process(NSUI::NSThreadRequest* request) override;

private:
    /// The next waiting request, now counted as in progress; null when none waits.
    loadingRequest* takeNextLocked();
    /// Decodes one request with the given reader, hands it over and releases it.
    void decode(dcmSDK::dcmReader& reader, loadingRequest* request);
    void startHelpersLocked();
    void helperLoop();

    // The base queue only counts the work; which request is decoded next is decided here, in
    // an order this class can rearrange.
    mutable std::mutex _pendingMutex;
    std::condition_variable _wake;
    std::vector<loadingRequest*> _pending;
    std::vector<loadingRequest*> _inProgress;
    std::vector<std::thread> _helpers;
    bool _stopping = false;
    const int _workers;
    std::unique_ptr<dcmSDK::dcmReader> _reader;
};

} // namespace isImageSDK
