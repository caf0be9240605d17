#include "viewer/seriesLoadJob.h"

#include <thread>

#include "cache/isBinReader.h"
#include "cache/LoadPriority.h"
#include "cache/isDcmScan.h"
#include "notify/NSNotificationCenter.h"
#include "object/isSharedObjects.h"
#include "overlay/NSActivity.h"
#include "base/PoolManager.h"

using isImageSDK::isBinReader;
using isImageSDK::isDcmScan;

namespace {
const unsigned kLoadResultId = 2000;
}

seriesLoadJob::seriesLoadJob(std::string rootPath, std::string seriesFolder, cocos2d::Ref* target)
    : root(std::move(rootPath)), folder(std::move(seriesFolder)), screen(target)
{
}

void seriesLoadJob::start()
{
    // The thread holds the job, never the screen.
    std::thread([job = shared_from_this()] {
        cocos2d::PoolManager::getInstance()->addThread();
        // The scan helpers this thread starts inherit its priority.
        isImageSDK::LoadPriority::lowerCurrentThread(isImageSDK::LoadPriority::kScan);
        job->run();
        // Drops the reader's autoreleased reference here, on the thread that made it.
        cocos2d::PoolManager::getInstance()->removeThread();
    }).detach();
}

void seriesLoadJob::cancel()
{
    std::lock_guard<std::mutex> lock(mutex);
    cancelled = true;
}

bool seriesLoadJob::isCancelled() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return cancelled;
}

int seriesLoadJob::getResult() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return result;
}

void seriesLoadJob::showProgressText(const char* text)
{
    std::string copy = text;
    cocos2d::Director::getInstance()->getScheduler()->performFunctionInCocosThread(
        [job = shared_from_this(), copy] {
            if (job->isCancelled())
                return;
            // Its screen holds that overlay until the job ends or is cancelled, so one up at
            // its address is that one.
            NSUI::NSActivity* overlay = NSUI::NSActivity::current();
            if (overlay && overlay == job->progressOverlay)
                overlay->setText(copy);
        });
}

void seriesLoadJob::postResult(bool ok)
{
    std::lock_guard<std::mutex> lock(mutex);
    if (cancelled)
        return;
    result = ok ? 1 : -1;
    auto* centre = NSUI::NSNotificationCenter::getInstance();
    if (ok)
        centre->postNotification(nullptr, kLoadResultId, nullptr, screen, false);
    else
        centre->postNotificationWithInt(nullptr, kLoadResultId, -1, screen, false);
}

void seriesLoadJob::run()
{
    const std::string full = root + folder;
    isDcmScan scan;
    std::string cachePath = scan.getCachePath(full);
    if (!cachePath.empty() && !isDcmScan::checkPrebinHeader(cachePath))
        cachePath.clear();

    showProgressText("Scan Dicoms");
    if (cachePath.empty()) {
        if (isCancelled())
            return;
        if (!scan.createBuffer(full)) {
            cocos2d::log("seriesLoadJob: no series could be read from %s", full.c_str());
            postResult(false);
            return;
        }
        cachePath = scan.getCachePath(full);
        if (cachePath.empty() || !isDcmScan::checkPrebinHeader(cachePath)) {
            cocos2d::log("seriesLoadJob: the series cache of %s is not readable", full.c_str());
            postResult(false);
            return;
        }
    }

   
    showProgressText("Loading dicoms");
    isBinReader* reader = isBinReader::create();
    if (!reader) {
        postResult(false);
        return;
    }
    reader->retain();
    if (!reader->setFile(full, cachePath) || !reader->isHeaderValid()) {
        cocos2d::log("seriesLoadJob: the series cache %s has no valid header", cachePath.c_str());
        reader->release();
        postResult(false);
        return;
    }
   
    // Just scanned: the loader reads the pixels from where the scan found them.
    reader->setPixelLocations(scan.getPixelLocations(reader->getFolder()));
    reader->setName(folder);
    reader->Update();

   
    bool announced = false;
    {
        // Registered and announced together, or neither once the screen has gone.
        std::lock_guard<std::mutex> lock(mutex);
        if (!cancelled) {
            announced = true;
            result = 1;
            auto* shared = isImageSDK::isSharedObjects::getInstance();
            if (!shared->getObjectByName(folder))
                shared->addObject(reader);
            NSUI::NSNotificationCenter::getInstance()->postNotification(nullptr, kLoadResultId, nullptr,
                                                                        screen, false);
        }
    }
    // While the screen builds its views, the pixels of a stored series are mapped in here
    // rather than one page at a time as the first views draw.
    if (announced)
        reader->prefetchPixels();
    reader->release();
}
