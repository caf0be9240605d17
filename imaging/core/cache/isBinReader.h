#pragma once
// The pipeline source of an opened series: builds the whole image data from the ".prebin" cache,
// then fills the pixels from the ".raw" file in one read or image by image on a loader thread.

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "dicom/dcmTypes.h"
#include "framework/thread/NSThreadSafeDestroy.h"
#include "imaging/core/object/isImageFilter.h"

namespace isImageSDK {

class dcmLoadingThread;
class loadingRequest;
struct isSliceInfo;

class isBinReader : public isImageFilter, public NSUI::NSThreadSafeDestroy {
public:
    static isBinReader* create();
    isBinReader() = default;
    ~isBinReader() override;

    bool init() override;
    bool isSource() const override { return true; }
    /// Stops the loader and waits for it, then detaches from the pipeline.
    void clear() override;

    /// Opens the series: the folder holding its files and the ".prebin" path of getCachePath.
    /// The same path again changes nothing.
    bool setFile(const std::string& folder, const std::string& prebinPath);
    virtual bool isHeaderValid() const { return _headerValid; }
    /// True once the cache is open, the pixels were requested and every slice has its pixels.
    bool isAllLoaded();
    bool rawCacheExists() const;
    std::string rawPath() const;
    /// Loads the image of `path` next and tells `owner` by 9108 when it has arrived; at once
    /// when it is there already.
    void addObserver(cocos2d::Ref* owner, const std::string& path) override;

    /// Where the samples of the series' files lie, by full path, as the scan that wrote the
    /// ".prebin" found them: those files are read in place instead of parsed again. Given after
    /// setFile and before the pixels are requested; a new setFile forgets them.
    void setPixelLocations(std::unordered_map<std::string, dcmSDK::PixelLocation> locations);

    /// Maps every page of pixels opened from the ".raw" file now, on the calling thread, so that
    /// the first views drawn do not stop for them one by one; nothing for pixels loaded otherwise.
    void prefetchPixels();

    /// Reads the ".prebin" and rebuilds the output's slice records, without pixels.
    void updateInformation() override;
    /// Obtains the pixels: from a complete ".raw", else by queueing every image on the loader.
    void execute(isImageData* input, isImageData* output) override;

    /// On a loader thread: fills the request's slice and reports progress. Several loader
    /// threads may call it at once: the samples are converted outside the lock, straight into
    /// the slice, and the slice counts as loaded only if the series did not change meanwhile.
    void onSliceLoaded(loadingRequest* request);
    /// On a loader thread: reads the request's samples straight into its slice from the place
    /// the scan found. False when the file must be decoded instead (it changed, or cannot be
    /// read so); true when the slice was filled or is no longer wanted.
    bool fillFromFile(loadingRequest* request);

    /// The relative file names of the series, in record order.
    const std::vector<std::string>& getFileNames() const { return _fileNames; }
    const std::string& getFolder() const { return _folder; }
    int getLoadedCount() const { return _loadedCount.load(); }
    /// The loader thread, or null before the first load (tests reorder its queue through it).
    dcmLoadingThread* getLoader() const { return _loader; }

private:
    void stopLoader();
    /// True when the slice of that file has its pixels; called with _mutex held.
    bool isLoadedLocked(const std::string& path) const;
    void clearLoaderQueue();
    /// Empties the output and advances the generation, so that late loads are dropped.
    void resetOutputLocked(isImageData* output);
    /// Advances the generation and waits until no loader thread writes into a slice any more,
    /// so that the slices' memory may be refilled or freed. Called with _mutex held.
    void retireLoadsLocked();
    bool rebuildFromPrebin(isImageData* output);
    bool readRaw(isImageData* output, int64_t expected);
    /// What the loader thread that filled the last slice needs to write the ".raw" unlocked.
    struct RawJob {
        std::string path;
        uint32_t generation = 0;
        std::vector<std::pair<const uint8_t*, size_t>> parts;
    };
    /// Writes the pixel file and announces it by 9111, unless the series changed meanwhile.
    /// Called without _mutex, counted as a writer.
    void writeRaw(const RawJob& job);
    void deletePrebin(const char* why);
    /// Takes the request's slice for writing (counted as a writer) when the request is still
    /// current and its slice awaits these samples; null otherwise.
    isSliceInfo* claimSlice(loadingRequest* request, int64_t samples, uint32_t& generation);
    void releaseWriter();
    /// Marks a claimed and filled slice loaded, tells progress and observers, and writes the
    /// ".raw" after the last one.
    void finishSlice(loadingRequest* request, isSliceInfo* slice, uint32_t generation);

    bool _headerValid = false;
    std::string _prebinPath;
    std::string _folder;
    std::vector<std::string> _fileNames;
    std::unordered_map<std::string, dcmSDK::PixelLocation> _locations;
    dcmLoadingThread* _loader = nullptr;
    std::vector<std::pair<cocos2d::Ref*, uint32_t>> _observers;
    // Owners already told of their image in this load, so that a repeated request is told once.
    std::vector<std::pair<cocos2d::Ref*, uint32_t>> _told;
    std::atomic<int> _loadedCount{0};
    std::atomic<int> _sliceCount{0};
    // Advanced under _mutex; read without it by the ".raw" writer to give up early.
    std::atomic<uint32_t> _generation{0};
    std::recursive_mutex _mutex;
    // Loader threads converting into a slice without _mutex; a writer never waits for _mutex
    // while counted here, so waiting for the count under _mutex cannot deadlock.
    std::mutex _writersMutex;
    std::condition_variable _writersDone;
    int _writers = 0;
};

} // namespace isImageSDK
