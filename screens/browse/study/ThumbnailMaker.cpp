#include "study/ThumbnailMaker.h"

#include "db/NSDBDataModel.h"
#include "db/dicomDB.h"
#include "dcmFileRecord.h"
#include "dcmReader.h"
#include "notify/NSNotificationCenter.h"
#include "study/StoreWorkers.h"

#include <sys/stat.h>

#include <cstdio>
#include <mutex>

std::vector<int> ThumbnailMaker::pickImages(int count) {
    std::vector<int> picked;
    if (count < 1)
        return picked;
    // The step is kept in float, as the index arithmetic below is: the 0.1 nudges i * step
    // over whole numbers that float would otherwise land just under.
    const float step = static_cast<float>(count / 6.0);
    int last = -1;
    for (int i = 0; i < kMaxPictures; ++i) {
        const int index = static_cast<int>(static_cast<float>(i) * step + 0.1f);
        if (index == last || index >= count)
            continue;
        last = index;
        picked.push_back(index);
    }
    return picked;
}

int ThumbnailMaker::run(dicomDB* store, const std::string& seriesId, const std::string& folder,
                        std::atomic<bool>* running) {
    NSUI::NSDBDataModel images;
    if (store)
        store->getImageFiles(images, seriesId);
    const std::vector<int> picked = pickImages(images.getRowCount());
    if (picked.empty()) {
        if (running)
            running->store(false);
        return 0;
    }
    const std::string base = store->getRoot() + folder + "/";
    auto pictureName = [&base](int n) {
        return base + isImageSDK::isDcmScan::kPreviewPicturePrefix + std::to_string(n);
    };
    dcmSDK::dcmReader reader;
    int written = 0;
    for (int index : picked) {
        if (StoreWorkers::stopRequested()) {
            // The program is closing: a partial set would pass for the whole one next time.
            while (written > 0)
                std::remove(pictureName(--written).c_str());
            if (running)
                running->store(false);
            return 0;
        }
        const std::string file = base + images.getValue(index, 1);
        struct stat info;
        if (stat(file.c_str(), &info) != 0 || isTooLarge(static_cast<uint64_t>(info.st_size)))
            continue;
        // Decoded and written whole into the store's scratch folder without the store's folder
        // lock, which the receiver takes before it answers its peer.
        const std::string scratch = dcmSDK::newStoreScratchPath(store->getRoot(), "preview");
        if (scratch.empty() || !reader.setFile(file) || !reader.convertToPngFile(scratch, true)) {
            if (!scratch.empty())
                std::remove(scratch.c_str());
            continue;
        }
        // Renamed into the series folder under the lock, and only while its image is still there:
        // a deletion holds the lock until the folder is out of the store, so a picture lands
        // before that or not at all. Numbered by pictures written, so the names run without
        // gaps from "thrumb0".
        bool placed;
        {
            std::lock_guard<std::mutex> placing(dcmSDK::storeFolderLock());
            placed = stat(file.c_str(), &info) == 0 &&
                     std::rename(scratch.c_str(), pictureName(written).c_str()) == 0;
        }
        if (placed)
            ++written;
        else
            std::remove(scratch.c_str());
    }
    // Cleared first, so that the screen the notification reaches can start the next job.
    if (running)
        running->store(false);
    NSUI::NSNotificationCenter::getInstance()->postNotificationWithString(nullptr, kDoneId, base, nullptr,
                                                                          false);
    return written;
}

void ThumbnailMaker::start(dicomDB* store, const std::string& seriesId, const std::string& folder,
                           std::shared_ptr<std::atomic<bool>> running) {
    if (store)
        store->retain();
    StoreWorkers::start([store, seriesId, folder, running] {
        run(store, seriesId, folder, running.get());
        if (store)
            store->release();
    });
}
