#include "imaging/core/cache/isBinReader.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "framework/notify/NSNotificationCenter.h"
#include "imaging/core/cache/KeyHash.h"
#include "imaging/core/cache/PrebinFile.h"
#include "imaging/core/cache/dcmLoadingThread.h"
#include "imaging/core/cache/loadingRequest.h"
#include "imaging/core/data/isImageData.h"
#include "imaging/core/io/SampleConverter.h"
#include "dicom/dcmReader.h"

namespace isImageSDK {

namespace {

constexpr unsigned int kSeriesProgress = 9109;
constexpr unsigned int kAllLoaded = 9111;

int64_t fileSize(const std::string& path)
{
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return -1;
    return static_cast<int64_t>(st.st_size);
}

cocos2d::Mat4 matrixFromRows(const float rows[16])
{
    cocos2d::Mat4 m;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) m.m[4 * c + r] = rows[4 * r + c];
    return m;
}

int16_t sexCode(char sex)
{
    return sex == 'M' ? 1 : (sex == 'F' ? 2 : 3);
}

/// The rescale and PET fields that image records and volume slice records both carry.
template <class Record>
void copyImageValues(const Record& r, isSliceInfo& slice)
{
    slice.intercept = r.intercept;
    slice.slope = r.slope;
    slice.displayCode = r.displayCode;
    slice.acquisitionTime = r.acquisitionTime;
    slice.injectionTime = r.injectionTime;
    slice.petTimesValid = r.petTimesValid;
    slice.halfLife = r.halfLife;
    slice.decayCorrection = r.decayCorrection;
    slice.decayFactor = r.decayFactor;
    slice.totalDose = r.totalDose;
    slice.units = r.units;
    slice.suvFactor = r.suvFactor;
}

/// The descriptive fields of the series that image records and the volume record both carry.
template <class Record>
void copySeriesValues(const Record& r, isSliceInfo& slice)
{
    slice.modality = r.modality;
    slice.windowWidth = r.windowWidth;
    slice.windowCenter = r.windowCenter;
    slice.sex = sexCode(r.sex);
    slice.weight = r.weight;
    slice.size = r.size;
}

/// Bytes of pixels the series holds in the ".raw" layout; 0 when any slice has no valid size.
int64_t expectedRawSize(const isImageData& image)
{
    int64_t total = 0;
    for (const isSliceInfo* slice : image.slices) {
        const int64_t bytes = slice->byteSize();
        if (bytes <= 0) return 0;
        total += bytes;
    }
    return total;
}

/// Maps the slice's fresh pages in one call on the calling loader thread: far cheaper than one
/// page fault per 4 KB as the conversion first writes them, and it keeps the kernel's page
/// zeroing on the loaders rather than on whoever touches the slice first.
void populateSlice(isSliceInfo& slice)
{
#ifdef MADV_POPULATE_WRITE
    const uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    const uintptr_t start = reinterpret_cast<uintptr_t>(slice.pixels);
    const uintptr_t begin = (start + page - 1) & ~(page - 1);
    const uintptr_t end = (start + static_cast<uintptr_t>(slice.byteSize())) & ~(page - 1);
    // Only a hint: where it is refused (older kernels) the conversion faults the pages in.
    if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_POPULATE_WRITE);
#else
    (void)slice;
#endif
}

} // namespace

isBinReader* isBinReader::create()
{
    return createObject<isBinReader>();
}

isBinReader::~isBinReader()
{
    stopLoader();
}

bool isBinReader::init()
{
    if (!isImageFilter::init()) return false;
    _headerValid = false;
    _prebinPath.clear();
    _folder.clear();
    _fileNames.clear();
    _loadedCount = 0;
    _sliceCount = 0;
    return true;
}

void isBinReader::clear()
{
    {
        std::lock_guard<std::recursive_mutex> lock(_mutex);
        _observers.clear();
        _told.clear();
    }
    stopLoader();
    isImageFilter::clear();
}

void isBinReader::stopLoader()
{
    if (!_loader) return;
    dcmLoadingThread* loader = _loader;
    _loader = nullptr;
    loader->clearQueue();
    safeDestroyThread(loader);
}

void isBinReader::clearLoaderQueue()
{
    if (_loader) _loader->clearQueue();
}

void isBinReader::retireLoadsLocked()
{
    ++_generation;
    std::unique_lock<std::mutex> lock(_writersMutex);
    _writersDone.wait(lock, [this] { return _writers == 0; });
}

void isBinReader::resetOutputLocked(isImageData* output)
{
    retireLoadsLocked();
    _told.clear();
    _loadedCount = 0;
    _sliceCount = 0;
    if (!output) return;
    output->releaseSlices();
    output->reset();
}

bool isBinReader::setFile(const std::string& folder, const std::string& prebinPath)
{
    if (prebinPath == _prebinPath) return !_prebinPath.empty();
    clearLoaderQueue();
    isPrebinHeader header;
    const bool valid = readPrebinHeader(prebinPath, header) && prebinTextEquals(header.magic, kPrebinMagic);
    {
        // The loader thread reads these under the same lock while it files an image.
        std::lock_guard<std::recursive_mutex> lock(_mutex);
        resetOutputLocked(getOutputImage());
        _folder = folder;
        if (_folder.empty() || _folder.back() != '/') _folder += '/';
        _prebinPath = prebinPath;
        _fileNames.clear();
        _locations.clear();
        _headerValid = valid;
    }
    setModified();
    return true;
}

void isBinReader::setPixelLocations(std::unordered_map<std::string, dcmSDK::PixelLocation> locations)
{
    std::lock_guard<std::recursive_mutex> lock(_mutex);
    _locations = std::move(locations);
}

void isBinReader::prefetchPixels()
{
    void* begin = nullptr;
    size_t length = 0;
    {
        std::lock_guard<std::recursive_mutex> lock(_mutex);
        const isImageData* output = _outputImage;
        if (!output || !output->voxels || output->getMappedLength() == 0) return;
        begin = output->voxels;
        length = output->getMappedLength();
        // Counted as a writer, so that the mapping stays until this is done.
        std::lock_guard<std::mutex> writers(_writersMutex);
        ++_writers;
    }
#ifdef MADV_POPULATE_READ
    // Only a hint: where it is refused (older kernels) pages are mapped as they are touched.
    madvise(begin, length, MADV_POPULATE_READ);
#endif
    releaseWriter();
}

std::string isBinReader::rawPath() const
{
    if (_prebinPath.size() < 7) return std::string();
    return _prebinPath.substr(0, _prebinPath.size() - 7) + ".raw";
}

bool isBinReader::rawCacheExists() const
{
    const std::string path = rawPath();
    return !path.empty() && fileSize(path) >= 0;
}

bool isBinReader::isAllLoaded()
{
    isImageData* output = getOutputImage();
    if (!output || _prebinPath.empty() || !_headerValid) return false;
    output->updateInformation();
    const int slices = _sliceCount.load();
    return slices > 0 && _loadedCount.load() >= slices;
}

void isBinReader::addObserver(cocos2d::Ref* owner, const std::string& path)
{
    const uint32_t hash = keyHash(path);
    if (_loader) _loader->moveToFront(hash);
    std::lock_guard<std::recursive_mutex> lock(_mutex);
    const std::pair<cocos2d::Ref*, uint32_t> observer(owner, hash);
    // Several loaders work at once, so the image may have arrived between the caller's look
    // and this call: it is then told at once (once per owner), not left waiting for a load
    // that is over. Slices are marked loaded under this lock, so no arrival is missed.
    if (isLoadedLocked(path)) {
        if (std::find(_told.begin(), _told.end(), observer) == _told.end()) {
            _told.push_back(observer);
            NSUI::NSNotificationCenter::getInstance()->postFixedIdNotification(this, static_cast<int>(hash), owner);
        }
        return;
    }
    if (!_loader) return;
    if (std::find(_observers.begin(), _observers.end(), observer) == _observers.end()) _observers.push_back(observer);
}

bool isBinReader::isLoadedLocked(const std::string& path) const
{
    const isImageData* output = _outputImage;
    if (!output) return false;
    for (const isSliceInfo* slice : output->slices)
        if (slice->filePath == path) return slice->loaded != 0;
    return false;
}

void isBinReader::deletePrebin(const char* why)
{
    cocos2d::log("isBinReader: %s is damaged (%s); it is deleted so that the series is scanned again",
                 _prebinPath.c_str(), why);
    std::remove(_prebinPath.c_str());
}

void isBinReader::updateInformation()
{
    if (!propagateInformation()) return;
    isImageData* output = getOutputImage();
    if (!output || !_headerValid) return;
    clearLoaderQueue();
    std::lock_guard<std::recursive_mutex> lock(_mutex);
    resetOutputLocked(output);
    if (!rebuildFromPrebin(output)) resetOutputLocked(output);
    _sliceCount = output->getSliceCount();
}

bool isBinReader::rebuildFromPrebin(isImageData* output)
{
    PrebinContents contents;
    const PrebinReadResult result = readPrebin(_prebinPath, contents);
    if (result == PrebinReadResult::Missing) return false;
    if (result == PrebinReadResult::Damaged) {
        deletePrebin("short or inconsistent");
        return false;
    }
    _fileNames = contents.names;

    if (!contents.isVolume) {
        for (size_t i = 0; i < contents.images.size(); ++i) {
            const isPrebinImageRecord& r = contents.images[i];
            const int dims[2] = {r.columns, r.rows};
            const float spacing[2] = {r.spacingX, r.spacingY};
            isSliceInfo* slice = output->addSlice(dims, r.frames, spacing, r.pixelType, r.facing, r.headFeet,
                                                  matrixFromRows(r.matrix));
            if (!slice) {
                deletePrebin("an image record cannot be built");
                return false;
            }
            copySeriesValues(r, *slice);
            copyImageValues(r, *slice);
            slice->scanOptions = prebinText(r.scanOptions);
            slice->triggerValue = r.triggerValue;
            slice->geometryValid = r.geometryValid;
            slice->filePath = _folder + contents.names[i];
            slice->loaded = 0;
        }
        const isPrebinImageRecord& first = contents.images.front();
        output->setSeriesKey(prebinText(first.studyId) + "," + prebinText(first.seriesNumber));
        return true;
    }

    const isPrebinVolumeRecord& v = contents.volume;
    const int dims[3] = {v.columns, v.rows, v.imageCount};
    const float spacing[3] = {v.spacingX, v.spacingY, v.sliceSpacing};
    if (!output->buildVolume(dims, spacing, v.pixelType, v.facing, v.headFeet, matrixFromRows(v.matrix))) {
        deletePrebin("the volume cannot be built");
        return false;
    }
    output->setSeriesKey(prebinText(v.studyId) + "," + prebinText(v.seriesNumber));
    for (size_t i = 0; i < output->slices.size(); ++i) {
        isSliceInfo* slice = output->slices[i];
        const isPrebinSliceRecord& s = contents.slices[i];
        copySeriesValues(v, *slice);
        copyImageValues(s, *slice);
        slice->filePath = _folder + contents.names[i];
        slice->loaded = 0;
    }
    return true;
}

bool isBinReader::readRaw(isImageData* output, int64_t expected)
{
    if (output->volumeFlag && output->ownsVoxels && output->voxels) {
        // A private mapping instead of a copy: pages come from the page cache as the viewers
        // touch them, without zeroing fresh memory first. Writes stay in this process.
        const int fd = open(rawPath().c_str(), O_RDONLY | O_CLOEXEC);
        if (fd >= 0) {
            void* mapping = mmap(nullptr, static_cast<size_t>(expected), PROT_READ | PROT_WRITE, MAP_PRIVATE, fd, 0);
            close(fd);
            if (mapping != MAP_FAILED) {
                if (output->adoptMappedVoxels(mapping, static_cast<size_t>(expected))) return true;
                munmap(mapping, static_cast<size_t>(expected));
            }
        }
    }
    FILE* file = std::fopen(rawPath().c_str(), "rb");
    if (!file) return false;
    bool ok = true;
    if (output->volumeFlag && output->ownsVoxels && output->voxels) {
        ok = std::fread(output->voxels, 1, static_cast<size_t>(expected), file) == static_cast<size_t>(expected);
    } else {
        for (isSliceInfo* slice : output->slices) {
            const size_t bytes = static_cast<size_t>(slice->byteSize());
            if (std::fread(slice->pixels, 1, bytes, file) != bytes) {
                ok = false;
                break;
            }
        }
    }
    std::fclose(file);
    return ok;
}

void isBinReader::execute(isImageData*, isImageData* output)
{
    if (_prebinPath.empty() || !_headerValid) return;
    if (output) {
        output->updateInformation();
        if (output->getSliceCount() == 0) return;
    } else {
        return;
    }
    const int64_t expected = expectedRawSize(*output);
    if (expected < 1) return;

    const std::string raw = rawPath();
    const int64_t size = fileSize(raw);
    if (size >= 0) {
        std::lock_guard<std::recursive_mutex> lock(_mutex);
        // Loads still under way for these slices must neither count nor write into the buffer
        // that the ".raw" now fills.
        retireLoadsLocked();
        if (size == expected && readRaw(output, expected)) {
            for (isSliceInfo* slice : output->slices) slice->loaded = 1;
            _loadedCount = output->getSliceCount();
            return;
        }
        cocos2d::log("isBinReader: %s does not hold the series (%lld bytes, %lld expected); loading from files",
                     raw.c_str(), static_cast<long long>(size), static_cast<long long>(expected));
        std::remove(raw.c_str());
        for (isSliceInfo* slice : output->slices) {
            std::memset(slice->pixels, 0, static_cast<size_t>(slice->byteSize()));
            slice->loaded = 0;
        }
    }

    if (!_loader) {
        _loader = new dcmLoadingThread();
    } else {
        _loader->clearQueue();
    }
    uint32_t generation;
    std::unordered_map<std::string, dcmSDK::PixelLocation> locations;
    {
        std::lock_guard<std::recursive_mutex> lock(_mutex);
        retireLoadsLocked();
        generation = _generation;
        _loadedCount = 0;
        locations = _locations;
    }
    std::vector<loadingRequest*> requests;
    requests.reserve(output->slices.size());
    for (size_t i = 0; i < output->slices.size(); ++i) {
        const isSliceInfo* slice = output->slices[i];
        auto* request = new loadingRequest();
        request->text = slice->filePath;
        request->requestId = keyHash(slice->filePath);
        request->ordinal = static_cast<int32_t>(i);
        request->expectedSamples = slice->sampleCount();
        request->owner = this;
        request->generation = generation;
        const auto located = locations.find(slice->filePath);
        if (located != locations.end()) request->location = located->second;
        requests.push_back(request);
    }
    // The viewers open a series on its middle image: it comes first, then its neighbours, so
    // that it is there by the time they ask for it.
    dcmLoadingThread::orderAround(requests, requests[requests.size() / 2]->requestId);
    for (loadingRequest* request : requests) {
        _loader->addRequest(request);
        request->release();
    }
}

isSliceInfo* isBinReader::claimSlice(loadingRequest* request, int64_t samples, uint32_t& generation)
{
    std::lock_guard<std::recursive_mutex> lock(_mutex);
    isImageData* output = _outputImage;
    if (!output || _prebinPath.empty() || !_headerValid || request->cancelled || request->generation != _generation)
        return nullptr;
    const int count = output->getSliceCount();
    if (request->ordinal < 0 || request->ordinal >= count) return nullptr;
    isSliceInfo* slice = output->slices[static_cast<size_t>(request->ordinal)];
    // Key hashes can collide: the slice must be the very file, with the size the request decoded.
    if (slice->filePath != request->text || slice->sampleCount() != samples || slice->loaded) return nullptr;
    generation = _generation;
    std::lock_guard<std::mutex> writers(_writersMutex);
    ++_writers;
    return slice;
}

void isBinReader::releaseWriter()
{
    {
        std::lock_guard<std::mutex> writers(_writersMutex);
        --_writers;
    }
    _writersDone.notify_all();
}

void isBinReader::onSliceLoaded(loadingRequest* request)
{
    if (!request->pixels) return;
    uint32_t generation = 0;
    isSliceInfo* slice = claimSlice(request, request->sampleCount, generation);
    if (!slice) return;
    // The conversion runs without the lock so that the loader threads fill their slices side by
    // side; the slice's memory stays while this thread is counted as a writer.
    populateSlice(*slice);
    const bool converted = convertSamples(request->pixels, request->libraryType, request->sampleCount, *slice);
    releaseWriter();
    if (!converted) {
        cocos2d::log("isBinReader: %s does not decode to the recorded pixel type", request->text.c_str());
        return;
    }
    finishSlice(request, slice, generation);
}

bool isBinReader::fillFromFile(loadingRequest* request)
{
    const dcmSDK::PixelLocation& location = request->location;
    if (!location.valid() || location.count != request->expectedSamples) return false;
    uint32_t generation = 0;
    isSliceInfo* slice = claimSlice(request, location.count, generation);
    if (!slice) return true;
    populateSlice(*slice);
    bool filled;
    if (slice->byteSize() == location.byteCount()) {
        // Samples of the slice's size are read into the slice itself and converted there.
        filled = dcmSDK::dcmReader::readPixelsAt(request->text, location, slice->pixels) &&
                 convertSamplesInPlace(location.type, location.count, *slice);
    } else {
        thread_local std::vector<uint8_t> samples;
        samples.resize(static_cast<size_t>(location.byteCount()));
        filled = dcmSDK::dcmReader::readPixelsAt(request->text, location, samples.data()) &&
                 convertSamples(samples.data(), location.type, location.count, *slice);
    }
    releaseWriter();
    // Not marked loaded: the decoder fills the slice again from the file as it is now.
    if (!filled) return false;
    finishSlice(request, slice, generation);
    return true;
}

void isBinReader::finishSlice(loadingRequest* request, isSliceInfo* slice, uint32_t generation)
{
    std::unique_lock<std::recursive_mutex> lock(_mutex);
    // A new series, a new load or a cleared queue since the claim: the slice may be gone.
    isImageData* output = _outputImage;
    if (!output || request->cancelled || generation != _generation || slice->loaded) return;
    const int count = output->getSliceCount();
    slice->loaded = 1;
    const int loaded = ++_loadedCount;

    auto* centre = NSUI::NSNotificationCenter::getInstance();
    auto* progress = new NSUI::NSNotificationData();
    progress->floatValue = static_cast<float>(loaded) / static_cast<float>(count);
    progress->intValue2 = static_cast<int>(keyHash(output->getSeriesKey()));
    centre->postNotification(this, kSeriesProgress, progress, nullptr, true);
    progress->release();

    for (auto it = _observers.begin(); it != _observers.end();) {
        if (it->second == request->requestId) {
            centre->postFixedIdNotification(this, static_cast<int>(it->second), it->first);
            _told.push_back(*it);
            it = _observers.erase(it);
        } else {
            ++it;
        }
    }

    if (loaded != count || rawCacheExists()) return;
    // The pixel file is written without the lock, so that the screen's calls on this reader do
    // not wait for 200 MB of writing; counted as a writer, the slices stay until it is done.
    RawJob job;
    job.path = rawPath();
    job.generation = generation;
    for (const isSliceInfo* each : output->slices)
        job.parts.emplace_back(each->pixels, static_cast<size_t>(each->byteSize()));
    {
        std::lock_guard<std::mutex> writers(_writersMutex);
        ++_writers;
    }
    lock.unlock();
    writeRaw(job);
}

void isBinReader::writeRaw(const RawJob& job)
{
    // Written to a temporary name and renamed once complete: never a partial ".raw". The name
    // carries the load's generation, so that an abandoned write never removes a newer one's.
    const std::string temp = job.path + ".part" + std::to_string(job.generation);
    FILE* file = std::fopen(temp.c_str(), "wb");
    bool ok = file != nullptr;
    bool abandoned = false;
    for (size_t i = 0; ok && i < job.parts.size(); ++i) {
        // A reset waits for this writer: give up at once when one is waiting.
        if (_generation.load() != job.generation) {
            abandoned = true;
            ok = false;
            break;
        }
        ok = std::fwrite(job.parts[i].first, 1, job.parts[i].second, file) == job.parts[i].second;
    }
    if (file) ok = std::fclose(file) == 0 && ok;
    {
        std::lock_guard<std::mutex> writers(_writersMutex);
        --_writers;
    }
    _writersDone.notify_all();

    std::lock_guard<std::recursive_mutex> lock(_mutex);
    if (ok && job.generation == _generation && std::rename(temp.c_str(), job.path.c_str()) == 0) {
        NSUI::NSNotificationCenter::getInstance()->postNotification(this, kAllLoaded, nullptr, nullptr, true);
        return;
    }
    if (!abandoned && job.generation == _generation) cocos2d::log("isBinReader: writing %s failed", job.path.c_str());
    std::remove(temp.c_str());
}

} // namespace isImageSDK
