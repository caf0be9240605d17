// series_bench <folder>: scans a series folder, opens it through the series cache as the viewing
// screen does, waits for the first image and for all images, then opens it again from the
// ".prebin" and ".raw" files. Prints one JSON line with the times in milliseconds, the same
// files read by a plain DCMTK loop for comparison, one pass over every reopened voxel, and the
// peak memory against the pixel bytes.
// The cache is written into a fresh temporary writable folder, removed at the end.

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "cocos2d.h"
#include "bench/common/DcmtkReadLoop.h"
#include "imaging/core/cache/isBinReader.h"
#include "imaging/core/cache/isDcmScan.h"
#include "imaging/core/data/isImageData.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void pump()
{
    cocos2d::Director::getInstance()->mainLoop(1.0f / 60.0f);
}

bool waitFor(const std::function<bool()>& done, double seconds)
{
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    while (!done()) {
        if (Clock::now() > end) return false;
        pump();
        // The program runs frames at 60 per second; a free-running loop would only compete
        // with the loader for the notification and scheduler locks.
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: series_bench <series folder>\n");
        return 2;
    }
    const std::string folder = fs::absolute(argv[1]).string();
    std::vector<std::string> files;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(folder, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec))
        if (it->is_regular_file()) files.push_back(it->path().string());
    if (files.empty()) {
        std::fprintf(stderr, "series_bench: no files in %s\n", folder.c_str());
        return 1;
    }

    char pattern[] = "/tmp/series_bench_XXXXXX";
    if (!mkdtemp(pattern)) return 1;
    const std::string writable = std::string(pattern) + "/";
    cocos2d::FileUtils::getInstance()->setWritablePath(writable);

    size_t plainBytes = 0;
    benchcommon::plainDcmtkLoop(files, plainBytes); // warm the page cache for both contenders
    const double plainMs = benchcommon::plainDcmtkLoop(files, plainBytes);

    isImageSDK::isDcmScan scanner;
    auto start = Clock::now();
    if (!scanner.createBuffer(folder)) {
        std::fprintf(stderr, "series_bench: the folder holds no usable series\n");
        return 1;
    }
    const double scanMs = msSince(start);
    const std::string prebin = scanner.getCachePath(folder);

    double firstMs = 0, allMs = 0, reopenMs = 0, reopenFirstMs = 0, touchMs = 0;
    int64_t pixelBytes = 0;
    {
        start = Clock::now();
        isImageSDK::isBinReader* reader = isImageSDK::isBinReader::create();
        reader->retain();
        reader->setFile(folder, prebin);
        reader->setPixelLocations(scanner.getPixelLocations(reader->getFolder()));
        isImageSDK::isImageData* image = reader->getOutputImage();
        image->Update();
        const int middle = image->getSliceCount() / 2;
        if (image->getSliceCount() > 0) reader->addObserver(reader, image->slices[middle]->filePath);
        waitFor([&] { return image->getSliceCount() > 0 && image->slices[middle]->loaded; }, 600);
        firstMs = msSince(start);
        waitFor([&] { return reader->isAllLoaded(); }, 600);
        allMs = msSince(start);
        waitFor([&] { return reader->rawCacheExists(); }, 600);
        for (const auto* slice : image->slices) pixelBytes += slice->byteSize();
        reader->release();
    }
    {
        start = Clock::now();
        isImageSDK::isBinReader* reader = isImageSDK::isBinReader::create();
        reader->retain();
        reader->setFile(folder, prebin);
        isImageSDK::isImageData* image = reader->getOutputImage();
        image->Update();
        reopenFirstMs = msSince(start);
        if (!reader->isAllLoaded()) std::fprintf(stderr, "series_bench: the reopened series was not complete\n");
        reopenMs = msSince(start);
        // A mapped cache is read in as it is touched: charge one pass over every voxel too.
        uint64_t sum = 0;
        for (const auto* slice : image->slices) {
            const int64_t bytes = slice->byteSize();
            for (int64_t i = 0; i < bytes; i += 64) sum += slice->pixels[i];
        }
        touchMs = msSince(start) - reopenMs;
        if (sum == 1) std::fprintf(stderr, " ");
        reader->release();
    }

    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    const double peakBytes = static_cast<double>(usage.ru_maxrss) * 1024.0;
    std::printf("{\"files\":%zu,\"scan_ms\":%.1f,\"first_image_ms\":%.1f,\"all_loaded_ms\":%.1f,\"reopen_ms\":%.1f,"
                "\"reopen_first_image_ms\":%.1f,\"reopen_touch_all_ms\":%.1f,\"dcmtk_loop_ms\":%.1f,\"pixel_bytes\":%lld,\"peak_rss_bytes\":%.0f}\n",
                files.size(), scanMs, firstMs, allMs, reopenMs, reopenFirstMs, touchMs, plainMs,
                static_cast<long long>(pixelBytes), peakBytes);
    fs::remove_all(pattern, ec);
    return 0;
}
