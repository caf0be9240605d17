#include "imaging/core/cache/dcmLoadingThread.h"

#include <algorithm>

#include "dicom/dcmReader.h"
#include "imaging/core/cache/isBinReader.h"
#include "imaging/core/cache/loadingRequest.h"

namespace isImageSDK {

dcmLoadingThread::dcmLoadingThread() : _reader(new dcmSDK::dcmReader()) {}

dcmLoadingThread::~dcmLoadingThread()
{
    std::lock_guard<std::mutex> lock(_pendingMutex);
    for (loadingRequest* request : _pending) request->release();
    _pending.clear();
}

bool dcmLoadingThread::addRequest(NSUI::NSThreadRequest* request)
{
    auto* load = dynamic_cast<loadingRequest*>(request);
    if (!load) return false;
    {
        std::lock_guard<std::mutex> lock(_pendingMutex);
        load->retain();
        _pending.push_back(load);
    }
    if (NSUI::NSThread::addRequest(request)) return true;
    std::lock_guard<std::mutex> lock(_pendingMutex);
    auto it = std::find(_pending.begin(), _pending.end(), load);
    if (it != _pending.end()) {
        _pending.erase(it);
        load->release();
    }
    return false;
}

void dcmLoadingThread::clearQueue()
{
    clearRequests();
    std::vector<loadingRequest*> dropped;
    {
        std::lock_guard<std::mutex> lock(_pendingMutex);
        dropped.swap(_pending);
    }
    for (loadingRequest* request : dropped) request->release();
}

void dcmLoadingThread::moveToFront(uint32_t hash)
{
    std::lock_guard<std::mutex> lock(_pendingMutex);
    orderAround(_pending, hash);
}

void dcmLoadingThread::orderAround(std::vector<loadingRequest*>& requests, uint32_t hash)
{
    if (requests.empty()) return;
    std::vector<loadingRequest*> sorted(requests);
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const loadingRequest* a, const loadingRequest* b) { return a->ordinal < b->ordinal; });
    std::vector<loadingRequest*> lower, upper;
    loadingRequest* match = nullptr;
    for (loadingRequest* request : sorted) {
        if (!match && request->requestId == hash)
            match = request;
        else
            (match ? upper : lower).push_back(request);
    }
    std::reverse(lower.begin(), lower.end());
    requests.clear();
    if (match) requests.push_back(match);
    for (size_t i = 0; i < std::max(lower.size(), upper.size()); ++i) {
        if (i < lower.size()) requests.push_back(lower[i]);
        if (i < upper.size()) requests.push_back(upper[i]);
    }
}

std::vector<int> dcmLoadingThread::pendingOrdinals() const
{
    std::lock_guard<std::mutex> lock(_pendingMutex);
    std::vector<int> ordinals;
    for (const loadingRequest* request : _pending) ordinals.push_back(request->ordinal);
    return ordinals;
}

void dcmLoadingThread::process(NSUI::NSThreadRequest*)
{
    loadingRequest* request = nullptr;
    {
        std::lock_guard<std::mutex> lock(_pendingMutex);
        if (_pending.empty()) return;
        request = _pending.front();
        _pending.erase(_pending.begin());
    }
    dcmSDK::PixelType type = dcmSDK::PIXEL_GRAY8;
    int count = 0;
    const void* samples = _reader->setFile(request->text) ? _reader->readDicomPixelPointer(type, count) : nullptr;
    if (samples && count > 0 && count == request->expectedSamples) {
        request->pixels = samples;
        request->libraryType = type;
        request->sampleCount = count;
        request->owner->onSliceLoaded(request);
    } else {
        cocos2d::log("dcmLoadingThread: %s gave no image of %lld pixels", request->text.c_str(),
                     static_cast<long long>(request->expectedSamples));
    }
    request->pixels = nullptr;
    request->release();
}

} // namespace isImageSDK
