#pragma once
// The worker that decodes an opened series' DICOM files one by one, nearest to the shown
// image first, and hands each result to its series reader.

#include <memory>
#include <mutex>
#include <vector>

#include "framework/thread/NSThread.h"

namespace dcmSDK {
class dcmReader;
}

namespace isImageSDK {

class loadingRequest;

class dcmLoadingThread : public NSUI::NSThread {
public:
    dcmLoadingThread();

    /// Queues the request (retained); false when the thread no longer accepts work.
    bool addRequest(NSUI::NSThreadRequest* request) override;
    /// Drops every waiting request; the one being decoded is discarded by its reader.
    void clearQueue();
    /// Makes the request with that key next, then its neighbours by ordinal, nearest first.
    void moveToFront(uint32_t hash);
    /// The order moveToFront gives: the request with that key, then one from below and one from
    /// above it by ordinal in turn, nearest first; without a match, all by descending ordinal.
    static void orderAround(std::vector<loadingRequest*>& requests, uint32_t hash);
    /// Ordinals of the waiting requests in the order they will be decoded.
    std::vector<int> pendingOrdinals() const;

protected:
    ~dcmLoadingThread() override;
    void process(NSUI::NSThreadRequest* request) override;

private:
    // The base queue only counts the work; which request is decoded next is decided here, in
    // an order this class can rearrange.
    mutable std::mutex _pendingMutex;
    std::vector<loadingRequest*> _pending;
    std::unique_ptr<dcmSDK::dcmReader> _reader;
};

} // namespace isImageSDK
