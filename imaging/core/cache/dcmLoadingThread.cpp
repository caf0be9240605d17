#include "imaging/core/cache/dcmLoadingThread.h"

#include <algorithm>
#include <system_error>

#include "cocos2d.h"
#include "dicom/dcmReader.h"
#include "imaging/core/cache/LoadPriority.h"
#include "imaging/core/cache/isBinReader.h"
#include "imaging/core/cache/loadingRequest.h"

namespace isImageSDK {

namespace {
// Beyond this many decoders a series loads no faster: the files come from one disk and the
// slices go into one memory bus. Most of a load is the kernel's work of handing out and
// clearing the slices' fresh pages, which spreads well over cores.
constexpr int kMaxWorkers = 6;

// Once per decoder thread, whoever started it.
void yieldToScreen()
{
    thread_local bool lowered = false;
    if (lowered) return;
    lowered = true;
    LoadPriority::lowerCurrentThread(LoadPriority::kDecode);
}
} // namespace

int dcmLoadingThread::defaultWorkerCount()
{
    const int cores = static_cast<int>(std::thread::hardware_concurrency());
    // Two processors stay for the screen and its drawing; the decoders also yield to them.
    return std::max(1, std::min(kMaxWorkers, cores - 2));
}

dcmLoadingThread::dcmLoadingThread(int workers)
    : _workers(workers > 0 ? workers : defaultWorkerCount()), _reader(new dcmSDK::dcmReader())
{
}

dcmLoadingThread::~dcmLoadingThread()
{
    std::vector<std::thread> helpers;
    {
        std::lock_guard<std::mutex> lock(_pendingMutex);
        _stopping = true;
        helpers.swap(_helpers);
        for (loadingRequest* request : _inProgress) request->cancelled = true;
    }
    _wake.notify_all();
    for (std::thread& helper : helpers) helper.join();
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
        if (_stopping) return false;
        load->retain();
        _pending.push_back(load);
    }
    if (NSUI::NSThread::addRequest(request)) {
        {
            std::lock_guard<std::mutex> lock(_pendingMutex);
            startHelpersLocked();
        }
        _wake.notify_one();
        return true;
    }
    std::lock_guard<std::mutex> lock(_pendingMutex);
    auto it = std::find(_pending.begin(), _pending.end(), load);
    if (it != _pending.end()) {
        _pending.erase(it);
        load->release();
    }
    return false;
}

void dcmLoadingThread::startHelpersLocked()
{
    // Started with the first request: a loader that never gets work costs no threads.
    if (_stopping || !_helpers.empty()) return;
    try {
        for (int i = 1; i < _workers; ++i) _helpers.emplace_back([this] { helperLoop(); });
    } catch (const std::system_error&) {
        // No more threads to be had: the request thread and the helpers started do the work.
    }
}

void dcmLoadingThread::clearQueue()
{
    clearRequests();
    std::vector<loadingRequest*> dropped;
    {
        std::lock_guard<std::mutex> lock(_pendingMutex);
        dropped.swap(_pending);
        for (loadingRequest* request : _inProgress) request->cancelled = true;
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

loadingRequest* dcmLoadingThread::takeNextLocked()
{
    if (_pending.empty()) return nullptr;
    loadingRequest* request = _pending.front();
    _pending.erase(_pending.begin());
    _inProgress.push_back(request);
    return request;
}

void dcmLoadingThread::decode(dcmSDK::dcmReader& reader, loadingRequest* request)
{
    // Samples whose place in the file is known are read from there, without parsing the file.
    const bool filled = !request->cancelled && request->location.valid() && request->owner->fillFromFile(request);
    dcmSDK::PixelType type = dcmSDK::PIXEL_GRAY8;
    int count = 0;
    const void* samples = request->cancelled || filled
                              ? nullptr
                              : (reader.setFile(request->text) ? reader.readDicomPixelPointer(type, count) : nullptr);
    if (samples && count > 0 && count == request->expectedSamples) {
        request->pixels = samples;
        request->libraryType = type;
        request->sampleCount = count;
        request->owner->onSliceLoaded(request);
    } else if (!request->cancelled && !filled) {
        cocos2d::log("dcmLoadingThread: %s gave no image of %lld pixels", request->text.c_str(),
                     static_cast<long long>(request->expectedSamples));
    }
    request->pixels = nullptr;
    {
        std::lock_guard<std::mutex> lock(_pendingMutex);
        auto it = std::find(_inProgress.begin(), _inProgress.end(), request);
        if (it != _inProgress.end()) _inProgress.erase(it);
    }
    request->release();
}

void dcmLoadingThread::process(NSUI::NSThreadRequest*)
{
    // The base queue holds one entry per request; whichever worker is free takes the next one
    // from the ordered list, so an entry may find the list already empty.
    yieldToScreen();
    loadingRequest* request = nullptr;
    {
        std::lock_guard<std::mutex> lock(_pendingMutex);
        request = takeNextLocked();
    }
    if (request) decode(*_reader, request);
}

void dcmLoadingThread::helperLoop()
{
    cocos2d::PoolManager::getInstance()->addThread();
    yieldToScreen();
    dcmSDK::dcmReader reader;
    for (;;) {
        loadingRequest* request = nullptr;
        {
            std::unique_lock<std::mutex> lock(_pendingMutex);
            _wake.wait(lock, [this] { return _stopping || !_pending.empty(); });
            if (_stopping) break;
            request = takeNextLocked();
        }
        decode(reader, request);
    }
    cocos2d::PoolManager::getInstance()->removeThread();
}

} // namespace isImageSDK
