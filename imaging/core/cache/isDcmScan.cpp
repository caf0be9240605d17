#include "imaging/core/cache/isDcmScan.h"

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <system_error>
#include <thread>

#include "dicom/dcmReader.h"
#include "framework/notify/NSNotificationCenter.h"
#include "imaging/core/cache/KeyHash.h"
#include "imaging/core/cache/PrebinFile.h"
#include "imaging/core/cache/dcmLoadingThread.h"
#include "imaging/core/geometry/Geometry.h"
#include "imaging/core/io/DicomImageTags.h"

namespace fs = std::filesystem;

namespace isImageSDK {

namespace {

constexpr unsigned int kTaskProgress = 1001;

void postProgress(int value)
{
    NSUI::NSNotificationCenter::getInstance()->postNotificationWithInt(nullptr, kTaskProgress, value, nullptr, true);
}

std::string withSlash(std::string folder)
{
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

/// Copies text into a fixed field, cut so that the terminating NUL always fits.
template <size_t N>
void putText(char (&field)[N], const std::string& text)
{
    std::memset(field, 0, N);
    std::memcpy(field, text.data(), std::min(text.size(), N - 1));
}

void readText(dcmSDK::dcmReader& reader, unsigned short group, unsigned short element, std::string& out)
{
    out.clear();
    readTagText(reader, group, element, out);
}

void listFilesRecursive(const std::string& dir, const std::string& prefix, std::vector<std::string>& out)
{
    std::error_code ec;
    std::vector<fs::directory_entry> entries;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) entries.push_back(*it);
    std::sort(entries.begin(), entries.end(),
              [](const fs::directory_entry& a, const fs::directory_entry& b) { return a.path() < b.path(); });
    for (const auto& entry : entries) {
        const std::string name = entry.path().filename().string();
        std::error_code typeError;
        if (entry.is_directory(typeError)) {
            if (!name.empty() && name[0] != '.') listFilesRecursive(entry.path().string(), prefix + name + "/", out);
        } else if (entry.is_regular_file(typeError)) {
            out.push_back(prefix + name);
        }
    }
}

/// Files of the folder the scan reads: the preview pictures and this program's own cache files
/// (when the cache folder lies inside the scanned one) are left out without being opened.
std::vector<std::string> imageCandidates(const std::string& dir, const std::string& cacheDir)
{
    std::vector<std::string> names;
    listFilesRecursive(dir, "", names);
    const bool cacheInside = cacheDir.size() > dir.size() && cacheDir.compare(0, dir.size(), dir) == 0;
    const std::string cachePrefix = cacheInside ? cacheDir.substr(dir.size()) : std::string();
    names.erase(std::remove_if(names.begin(), names.end(),
                               [&](const std::string& name) {
                                   return isDcmScan::isPreviewPicture(name) ||
                                          (cacheInside && name.compare(0, cachePrefix.size(), cachePrefix) == 0);
                               }),
                names.end());
    return names;
}

void fillRecord(const isSliceInfo& slice, const DicomImageTags& tags, isPrebinImageRecord& r)
{
    r.columns = slice.columns;
    r.rows = slice.rows;
    r.spacingX = slice.spacingX;
    r.spacingY = slice.spacingY;
    r.frames = slice.frames;
    r.facing = slice.facing;
    r.headFeet = slice.headFeet;
    // Row by row: element (row i, column j) is m[4j + i] of the column-major matrix.
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) r.matrix[4 * i + j] = slice.matrix.m[4 * j + i];
    r.geometryValid = slice.geometryValid;
    r.modality = slice.modality;
    r.bitsAllocated = tags.bitsAllocated;
    r.intercept = slice.intercept;
    r.slope = slice.slope;
    r.displayCode = slice.displayCode;
    r.windowWidth = slice.windowWidth;
    r.windowCenter = slice.windowCenter;
    r.weight = slice.weight;
    r.size = slice.size;
    r.acquisitionTime = slice.acquisitionTime;
    r.injectionTime = slice.injectionTime;
    r.petTimesValid = slice.petTimesValid;
    r.halfLife = slice.halfLife;
    r.decayCorrection = slice.decayCorrection;
    r.decayFactor = slice.decayFactor;
    r.totalDose = slice.totalDose;
    r.units = slice.units;
    r.suvFactor = slice.suvFactor;
    putText(r.scanOptions, slice.scanOptions);
    r.triggerValue = slice.triggerValue;
}

void position(const isPrebinImageRecord& r, float p[3])
{
    p[0] = r.matrix[3];
    p[1] = r.matrix[7];
    p[2] = r.matrix[11];
}

void normal(const isPrebinImageRecord& r, float n[3])
{
    n[0] = r.matrix[2];
    n[1] = r.matrix[6];
    n[2] = r.matrix[10];
}

float distance(const float a[3], const float b[3])
{
    const double dx = double(a[0]) - b[0], dy = double(a[1]) - b[1], dz = double(a[2]) - b[2];
    return static_cast<float>(std::sqrt(dx * dx + dy * dy + dz * dz));
}

bool sameShape(const isPrebinImageRecord& a, const isPrebinImageRecord& b)
{
    if (a.columns != b.columns || a.rows != b.rows || a.facing != b.facing || a.headFeet != b.headFeet ||
        a.modality != b.modality || a.pixelType != b.pixelType)
        return false;
    if (std::fabs(a.spacingX - b.spacingX) > 0.001f || std::fabs(a.spacingY - b.spacingY) > 0.001f) return false;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            if (std::fabs(a.matrix[4 * i + j] - b.matrix[4 * i + j]) > 0.0001f) return false;
    return true;
}

void localNow(isDateTime& dt)
{
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    dt.year = tm.tm_year + 1900;
    dt.month = tm.tm_mon + 1;
    dt.day = tm.tm_mday;
    dt.hour = tm.tm_hour;
    dt.minute = tm.tm_min;
    dt.second = tm.tm_sec;
}

} // namespace

std::string isDcmScan::cacheFolder()
{
    return cocos2d::FileUtils::getInstance()->getWritablePath() + "qp/tmp/dcmbuf/";
}

std::string isDcmScan::cacheFileFor(const std::string& folder, const char* extension)
{
    const std::string full = withSlash(folder);
    const std::string writable = cocos2d::FileUtils::getInstance()->getWritablePath();
    // Only a folder that really lies below the writable path loses that prefix; any other keeps
    // its whole path, so that no two folders share a name.
    std::string key = full;
    if (!writable.empty() && full.compare(0, writable.size(), writable) == 0) key = full.substr(writable.size());
    char name[32];
    std::snprintf(name, sizeof name, "%lu", static_cast<unsigned long>(keyHash(key)));
    return cacheFolder() + name + extension;
}

std::string isDcmScan::getCachePath(const std::string& folder)
{
    std::error_code ec;
    fs::create_directories(cacheFolder(), ec);
    const std::string path = cacheFileFor(folder, ".prebin");
    return fs::exists(path, ec) ? path : std::string();
}

bool isDcmScan::checkPrebinHeader(const std::string& path)
{
    isPrebinHeader header;
    if (!readPrebinHeader(path, header)) return false;
    return prebinTextEquals(header.magic, kPrebinMagic) && prebinTextEquals(header.version, kPrebinVersion);
}

bool isDcmScan::createBuffer(const std::string& folder)
{
    const std::string dir = withSlash(folder);
    std::error_code ec;
    fs::create_directories(cacheFolder(), ec);
    const std::string prebin = cacheFileFor(dir, ".prebin");
    cocos2d::log("create buffer:%s", prebin.c_str());
    // Pixels stored for an earlier description may be in another order or of other images;
    // a new scan must never be paired with them.
    fs::remove(cacheFileFor(dir, ".raw"), ec);

    const std::vector<std::string> names = imageCandidates(dir, cacheFolder());
    if (names.empty()) return false;
    postProgress(2);
    const size_t n = names.size();
    for (size_t i = 0, last = 2; i < n; ++i) {
        const size_t value = i * 10 / n + 2;
        if (value != last) postProgress(static_cast<int>(last = value));
    }

    if (!scanSeries(dir, names, prebin)) {
        fs::remove(prebin, ec);
        return false;
    }
    return true;
}

bool isDcmScan::scanOne(dcmSDK::dcmReader& reader, const std::string& folder, const std::string& name,
                        ScannedImage& image, bool& notVolume)
{
    if (name.find(',') != std::string::npos) {
        // The path block separates names with ","; such a name could not be read back.
        cocos2d::log("isDcmScan: skipped %s (a file name with ',')", name.c_str());
        return false;
    }
    if (!reader.setFile(folder + name)) return false;
    dcmSDK::PixelType libraryType;
    if (!reader.readDicomPixelType(libraryType)) return false;

    isSliceInfo slice;
    DicomImageTags tags;
    readImageTags(reader, TagRules::SeriesScan, slice, tags);
    if (!tags.columnsPresent || !tags.rowsPresent || slice.columns <= 0 || slice.rows <= 0) return false;
    const int code = choosePixelType(tags.bitsAllocated, libraryType, slice.modality, slice.slope,
                                     slice.intercept, slice.displayCode);
    if (code < 0) return false;

    image.record = isPrebinImageRecord{};
    isPrebinImageRecord& r = image.record;
    slice.pixelType = code;
    fillRecord(slice, tags, r);
    r.pixelType = code;

    std::string text;
    readText(reader, 0x0008, 0x0080, text);
    putText(r.institution, text);
    readText(reader, 0x0008, 0x103E, text);
    putText(r.seriesDescription, text);
    r.seriesTime = isDateTime();
    std::string date, time;
    if (readTagText(reader, 0x0008, 0x0021, date) && date.size() == 8) {
        r.seriesTime.year = std::atoi(date.substr(0, 4).c_str());
        r.seriesTime.month = std::atoi(date.substr(4, 2).c_str());
        r.seriesTime.day = std::atoi(date.substr(6, 2).c_str());
    }
    if (readTagText(reader, 0x0008, 0x0031, time) && time.size() >= 6) {
        r.seriesTime.hour = std::atoi(time.substr(0, 2).c_str());
        r.seriesTime.minute = std::atoi(time.substr(2, 2).c_str());
        r.seriesTime.second = std::atoi(time.substr(4, 2).c_str());
    }
    readText(reader, 0x0010, 0x0010, text);
    putText(r.patientName, text);
    readText(reader, 0x0010, 0x0020, text);
    putText(r.patientId, text);
    if (readTagText(reader, 0x0010, 0x0040, text)) r.sex = text == "M" ? 'M' : (text == "F" ? 'F' : 'U');
    readText(reader, 0x0010, 0x1010, text);
    putText(r.age, text);
    readText(reader, 0x0020, 0x0010, text);
    putText(r.studyId, text);
    readText(reader, 0x0020, 0x0011, text);
    putText(r.seriesNumber, text);
    unsigned short instance = 0;
    if (reader.readDicomTagUint16(0x0020, 0x0013, instance)) r.instanceNumber = instance;

    if (slice.frames > 1 || !tags.positionValid || !tags.orientationValid) notVolume = true;
    image.name = name;
    // The loader may read these pixels straight from the file instead of parsing it again.
    if (!reader.readDicomPixelLocation(image.location)) image.location = dcmSDK::PixelLocation();
    return true;
}

bool isDcmScan::scanSeries(const std::string& folder, const std::vector<std::string>& names,
                           const std::string& prebinPath)
{
    _images.clear();
    // The headers are read on several threads, each with its own reader, into slots kept in
    // the names' order, so that the result is the same as one thread's.
    const size_t total = names.size();
    std::vector<ScannedImage> slots(total);
    std::vector<char> found(total, 0);
    std::atomic<size_t> next{0};
    std::atomic<size_t> done{0};
    std::atomic<bool> anyNotVolume{false};
    std::atomic<int> lastProgress{-1};
    auto work = [&] {
        dcmSDK::dcmReader reader;
        bool notVolume = false;
        for (size_t i; (i = next.fetch_add(1)) < total;) {
            found[i] = scanOne(reader, folder, names[i], slots[i], notVolume) ? 1 : 0;
            // Progress runs from 12 to 92 over the files; each step is posted once.
            const int value = static_cast<int>(static_cast<float>(done.fetch_add(1)) * 80.0f / total + 12.0f);
            int seen = lastProgress.load();
            while (value > seen && !lastProgress.compare_exchange_weak(seen, value)) {
            }
            if (value > seen) postProgress(value);
        }
        if (notVolume) anyNotVolume = true;
    };
    // Header parsing shares the DICOM library's global locks: more than four readers gain nothing.
    const size_t threads = std::min<size_t>({static_cast<size_t>(dcmLoadingThread::defaultWorkerCount()), 4,
                                             std::max<size_t>(1, total / 8)});
    std::vector<std::thread> helpers;
    try {
        for (size_t t = 1; t < threads; ++t) helpers.emplace_back(work);
    } catch (const std::system_error&) {
        // No more threads to be had: the ones started and this one share the files.
    }
    work();
    for (std::thread& helper : helpers) helper.join();

    std::vector<ScannedImage> images;
    images.reserve(total);
    for (size_t i = 0; i < total; ++i)
        if (found[i]) images.push_back(std::move(slots[i]));
    bool notVolume = anyNotVolume.load();

    if (images.empty()) return false;
    if (images.size() > kPrebinMaxImages) {
        cocos2d::log("isDcmScan: %zu images are more than a cache can list", images.size());
        return false;
    }
    if (notVolume || images.size() == 1) return keep(writeSeries(prebinPath, images), images);

    postProgress(94);
    const isPrebinImageRecord& first = images.front().record;
    float origin[3], axis[3];
    position(first, origin);
    normal(first, axis);
    const double axisLength = std::sqrt(double(axis[0]) * axis[0] + double(axis[1]) * axis[1] + double(axis[2]) * axis[2]);
    // Rows parallel to columns give no normal, and so no line the slices could lie on.
    if (axisLength < 1e-6) notVolume = true;
    for (size_t i = 1; i < images.size() && !notVolume; ++i) {
        const isPrebinImageRecord& r = images[i].record;
        float p[3];
        position(r, p);
        if (!sameShape(first, r) || distancePointToLine(p, origin, axis) > 0.01f) notVolume = true;
    }

    postProgress(97);
    std::stable_sort(images.begin(), images.end(), [](const ScannedImage& a, const ScannedImage& b) {
        return a.record.instanceNumber < b.record.instanceNumber;
    });

    float gapSum = 0.0f, firstGap = 0.0f;
    for (size_t i = 1; i < images.size(); ++i) {
        float a[3], b[3];
        position(images[i - 1].record, a);
        position(images[i].record, b);
        const float gap = distance(a, b);
        if (i == 1) firstGap = gap;
        else if (std::fabs(gap - firstGap) > 0.01f) notVolume = true;
        gapSum += gap;
    }
    // Images stacked at one position have no slice spacing to build a volume with.
    if (firstGap <= 0.01f) notVolume = true;
    postProgress(99);
    if (notVolume) return keep(writeSeries(prebinPath, images), images);

    float a[3], b[3], lastNormal[3];
    position(images.front().record, a);
    position(images.back().record, b);
    normal(images.back().record, lastNormal);
    const double d[3] = {double(b[0]) - a[0], double(b[1]) - a[1], double(b[2]) - a[2]};
    const double dl = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    const double nl = std::sqrt(double(lastNormal[0]) * lastNormal[0] + double(lastNormal[1]) * lastNormal[1] +
                                double(lastNormal[2]) * lastNormal[2]);
    const double cosAngle = (d[0] * lastNormal[0] + d[1] * lastNormal[1] + d[2] * lastNormal[2]) / (dl * nl);
    if (std::acos(std::max(-1.0, std::min(1.0, cosAngle))) > 1.0) std::reverse(images.begin(), images.end());
    return keep(writeVolume(prebinPath, images, gapSum / static_cast<float>(images.size() - 1)), images);
}

std::unordered_map<std::string, dcmSDK::PixelLocation> isDcmScan::getPixelLocations(const std::string& folder) const
{
    std::unordered_map<std::string, dcmSDK::PixelLocation> locations;
    for (const ScannedImage& image : _images)
        if (image.location.valid()) locations.emplace(folder + image.name, image.location);
    return locations;
}

bool isDcmScan::keep(bool written, std::vector<ScannedImage>& images)
{
    if (written) _images.swap(images);
    return written;
}

bool isDcmScan::writeSeries(const std::string& path, const std::vector<ScannedImage>& images)
{
    PrebinWriter writer(path);
    isPrebinHeader header = makePrebinHeader(kPrebinKindSeries, images.size());
    localNow(header.created);
    if (!writer.write(&header, sizeof header)) return false;
    for (const ScannedImage& image : images)
        if (!writer.write(&image.record, sizeof image.record)) return false;
    std::vector<std::string> names;
    for (const ScannedImage& image : images) names.push_back(image.name);
    return writer.writePathBlock(names) && writer.commit();
}

bool isDcmScan::writeVolume(const std::string& path, const std::vector<ScannedImage>& images, float sliceSpacing)
{
    PrebinWriter writer(path);
    isPrebinHeader header = makePrebinHeader(kPrebinKindVolume, images.size());
    localNow(header.created);
    if (!writer.write(&header, sizeof header)) return false;

    const isPrebinImageRecord& r = images.front().record;
    isPrebinVolumeRecord v{};
    v.columns = r.columns;
    v.rows = r.rows;
    v.imageCount = static_cast<int32_t>(images.size());
    v.spacingX = r.spacingX;
    v.spacingY = r.spacingY;
    v.sliceSpacing = sliceSpacing;
    v.facing = r.facing;
    v.headFeet = r.headFeet;
    std::memcpy(v.matrix, r.matrix, sizeof v.matrix);
    v.modality = r.modality;
    std::memcpy(v.institution, r.institution, sizeof v.institution);
    std::memcpy(v.seriesDescription, r.seriesDescription, sizeof v.seriesDescription);
    v.seriesTime = r.seriesTime;
    std::memcpy(v.patientName, r.patientName, sizeof v.patientName);
    std::memcpy(v.patientId, r.patientId, sizeof v.patientId);
    v.sex = r.sex;
    std::memcpy(v.age, r.age, sizeof v.age);
    v.weight = r.weight;
    v.size = r.size;
    std::memcpy(v.studyId, r.studyId, sizeof v.studyId);
    std::memcpy(v.seriesNumber, r.seriesNumber, sizeof v.seriesNumber);
    v.pixelType = r.pixelType;
    v.windowWidth = r.windowWidth;
    v.windowCenter = r.windowCenter;
    if (!writer.write(&v, sizeof v)) return false;

    for (const ScannedImage& image : images) {
        const isPrebinImageRecord& ir = image.record;
        isPrebinSliceRecord s{};
        s.instanceNumber = ir.instanceNumber;
        s.bitsAllocated = ir.bitsAllocated;
        s.intercept = ir.intercept;
        s.slope = ir.slope;
        s.displayCode = ir.displayCode;
        s.acquisitionTime = ir.acquisitionTime;
        s.injectionTime = ir.injectionTime;
        s.petTimesValid = ir.petTimesValid;
        s.halfLife = ir.halfLife;
        s.decayCorrection = ir.decayCorrection;
        s.decayFactor = ir.decayFactor;
        s.totalDose = ir.totalDose;
        s.units = ir.units;
        s.suvFactor = ir.suvFactor;
        if (!writer.write(&s, sizeof s)) return false;
    }
    std::vector<std::string> names;
    for (const ScannedImage& image : images) names.push_back(image.name);
    return writer.writePathBlock(names) && writer.commit();
}

void isDcmScan::removeCache(const std::string& folder)
{
    const std::string prebin = getCachePath(folder);
    if (prebin.empty()) return;
    std::error_code ec;
    fs::remove(prebin, ec);
    fs::remove(cacheFileFor(folder, ".raw"), ec);
}

void isDcmScan::removeCacheForStudy(const std::string& folder)
{
    std::error_code ec;
    fs::remove(cacheFileFor(folder, ".prebin"), ec);
    fs::remove(cacheFileFor(folder, ".raw"), ec);
}

/// The study list's preview pictures, "thrumb0" ... "thrumb5", sit beside the images of a
/// series; they are PNG files and never part of the series.
bool isDcmScan::isPreviewPicture(const std::string& name)
{
    const size_t slash = name.rfind('/');
    const size_t start = slash == std::string::npos ? 0 : slash + 1;
    const std::string prefix = isDcmScan::kPreviewPicturePrefix;
    if (name.size() - start != prefix.size() + 1 || name.compare(start, prefix.size(), prefix) != 0)
        return false;
    const char digit = name[start + prefix.size()];
    return digit >= '0' && digit < '0' + isDcmScan::kPreviewPictureCount;
}

void isDcmScan::clearBuffer()
{
    constexpr std::time_t kWeek = 7 * 24 * 3600;
    const std::time_t now = std::time(nullptr);
    std::error_code ec;
    for (fs::directory_iterator it(cacheFolder(), ec), end; !ec && it != end; it.increment(ec)) {
        const std::string path = it->path().string();
        if (it->path().extension() != ".raw") continue;
        struct stat st;
        if (stat(path.c_str(), &st) != 0) continue;
        // A ".raw" is written once, in one go, so its modification time is its creation time.
        if (st.st_mtime + kWeek > now) continue;
        cocos2d::log("Clear Buffer:%s", path.c_str());
        std::error_code removeError;
        fs::remove(path, removeError);
    }
}

} // namespace isImageSDK
