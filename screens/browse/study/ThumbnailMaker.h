#pragma once
// Makes the preview pictures of one series on a worker: up to six of its images, spread
// evenly over the series, written as PNG files "thrumb0".."thrumb5" into its folder.

#include "cache/isDcmScan.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class dicomDB;

class ThumbnailMaker {
public:
    static constexpr int kMaxPictures = isImageSDK::isDcmScan::kPreviewPictureCount;
    /// Posted when a job has written its pictures; text = the series folder ending in "/".
    static constexpr unsigned kDoneId = 2018;
    /// Larger files are never converted: decoding them would take too much memory.
    static constexpr uint64_t kMaxFileSize = 607376128;

    /// The image indexes a series of `count` images shows, in order and without repeats.
    static std::vector<int> pickImages(int count);
    static bool isTooLarge(uint64_t fileSize) { return fileSize > kMaxFileSize; }

    /// Starts the job for the series (store row ID and folder relative to the store root) on a
    /// study worker (StoreWorkers). The job keeps the store alive while it runs and clears
    /// `running` when it ends; it never touches the screen that started it, which may be gone
    /// by then.
    static void start(dicomDB* store, const std::string& seriesId, const std::string& folder,
                      std::shared_ptr<std::atomic<bool>> running);

    /// The job itself, on the calling thread: writes the pictures, clears `running` (when
    /// given), then posts kDoneId (no sender, no object) unless the series has no images.
    /// Returns the pictures written. Each picture is decoded and written into the store's
    /// scratch folder, then renamed into the series folder under the store's folder lock while
    /// its image is still there, so none lands in a folder a deletion is removing. Asked to stop (StoreWorkers), it removes
    /// the pictures it wrote and ends without a notification.
    static int run(dicomDB* store, const std::string& seriesId, const std::string& folder,
                   std::atomic<bool>* running = nullptr);
};
