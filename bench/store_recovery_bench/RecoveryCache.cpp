// Making the recovery benchmark's cached files and store, through the store's own code.

#include "RecoveryCache.h"

#include "bench/common/BenchTiming.h"
#include "bench/common/MainLoop.h"
#include "bench/common/StoreService.h"

#include "DCM_MESSAGE.h"
#include "db/FoundRecord.h"
#include "db/StoreSchema.h"
#include "db/dicomDB.h"
#include "dcmFileRecord.h"
#include "net/dataService.h"
#include "net_ct_series.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using namespace benchcommon;

namespace recoverybench {

std::string Shape::sourceKey() const
{
    return "sources v1 series=" + std::to_string(series) + " images=" + std::to_string(images) +
           " pixels=" + std::to_string(kPixels) + " patients=" + std::to_string(kPatients) + "\n";
}

std::string Shape::storeKey(int schema) const
{
    return "store v1 " + sourceKey() + " missing=" + std::to_string(missing) + (spread ? " spread" : " tail") +
           " schema=" + std::to_string(schema) + "\n";
}

bool Shape::leftWithoutRow(int s, int i) const
{
    if (spread) {
        // The last few files of every series, and one more of the first series while the
        // count does not divide evenly.
        const int each = missing / series, extra = missing % series;
        return i >= images - each - (s < extra ? 1 : 0);
    }
    return static_cast<long>(s) * images + i >= static_cast<long>(series) * images - missing;
}

namespace {

const char* const kName = "store_recovery_bench";

std::string readText(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeText(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::trunc);
    out << text;
}

template <size_t N> std::string slot(const char (&text)[N])
{
    size_t length = 0;
    while (length < N && text[length] != 0)
        ++length;
    return std::string(text, length);
}

std::string sourceFolder(int s)
{
    return std::string(kCacheDir) + "/sources/" + std::to_string(s);
}

/// Writes every series of the shape: series s belongs to patient s % 25 and to one of that
/// patient's two studies; four threads write at a time.
bool writeSources(const Shape& shape)
{
    const std::string root = std::string(kCacheDir) + "/sources";
    fs::remove_all(root);
    fs::remove(std::string(kCacheDir) + "/sources.key");
    std::vector<std::string> studyUids;
    for (int k = 0; k < kPatients * kStudiesPerPatient; ++k) {
        char uid[100];
        dcmGenerateUniqueIdentifier(uid, SITE_STUDY_UID_ROOT);
        studyUids.push_back(uid);
    }
    std::atomic<int> next{0};
    std::atomic<bool> failed{false};
    auto work = [&] {
        for (int s; (s = next++) < shape.series && !failed;) {
            const int patient = s % kPatients;
            const int ofPatient = s / kPatients;
            const int study = ofPatient * kStudiesPerPatient / std::max(1, (shape.series + kPatients - 1) / kPatients);
            const std::string dir = sourceFolder(s);
            fs::create_directories(dir);
            nettest::CtSeriesShape series;
            series.count = shape.images;
            series.rows = kPixels;
            series.columns = kPixels;
            series.patientName = "RECOVERY^PATIENT" + std::to_string(patient);
            series.patientID = "RB" + std::to_string(1000 + patient);
            series.extra = {{DCM_StudyInstanceUID, studyUids[patient * kStudiesPerPatient +
                                                              std::min(study, kStudiesPerPatient - 1)]},
                            {DCM_SeriesNumber, std::to_string(ofPatient + 1)},
                            {DCM_SeriesDescription, "Series " + std::to_string(ofPatient + 1)}};
            if (nettest::writeCtSeries(dir, series).size() != static_cast<size_t>(shape.images))
                failed = true;
        }
    };
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back(work);
    for (std::thread& t : threads)
        t.join();
    if (failed)
        return false;
    writeText(std::string(kCacheDir) + "/sources.key", shape.sourceKey());
    return true;
}

/// Files every source into the open store and writes the rows of all but those to be left
/// without one, as the worker stores a record (dicomDBThread::storeFile), without the caches
/// and the notification. The number of rows written goes to indexed.
bool fileSources(const Shape& shape, dicomDB* db, MakeTimes& times, long& indexed)
{
    const std::string root = db->getRoot();
    std::chrono::duration<double, std::milli> place{0}, index{0};
    for (int s = 0; s < shape.series; ++s) {
        for (int i = 0; i < shape.images; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "/ct_%04d.dcm", i + 1);
            dcmSDK::DCM_MESSAGE record;
            auto p0 = Clock::now();
            if (!dcmSDK::placeFileInStore(sourceFolder(s) + name, root, false, record)) {
                std::fprintf(stderr, "store_recovery_bench: cannot file %s%s\n", sourceFolder(s).c_str(), name);
                return false;
            }
            auto p1 = Clock::now();
            place += p1 - p0;
            if (shape.leftWithoutRow(s, i))
                continue;
            FoundRecord found;
            if (!db->findRecord(slot(record.patientName), slot(record.patientID), slot(record.studyInstanceUID),
                                slot(record.seriesInstanceUID), slot(record.sopInstanceUID), found) ||
                found.imageFound || !db->insertRecord(record, found)) {
                std::fprintf(stderr, "store_recovery_bench: cannot index %s\n", slot(record.fileName).c_str());
                return false;
            }
            index += Clock::now() - p1;
            ++indexed;
        }
        if (s % 10 == 9) {
            frame();
            cocos2d::log("store_recovery_bench: %d of %d series filed", s + 1, shape.series);
        }
    }
    times.placeMs = place.count();
    times.indexMs = index.count();
    return true;
}

/// The prepared store (a writable folder) under the cache: every file filed, rows for all but
/// the files left without one, closed cleanly and then stripped of its mark.
bool makeStore(const Shape& shape, int schema, MakeTimes& times)
{
    auto t0 = Clock::now();
    const std::string writable = std::string(kCacheDir) + "/store.tmp/";
    // Closed once empty, so the open that files the images walks nothing behind the rows' back.
    if (!makeCleanEmptyStore(kName, writable))
        return false;
    dataService* service = openService(kName, writable, nettest::freePort());
    if (!service)
        return false;
    dicomDB* db = service->getDB();
    if (db->walksForFilesWithoutRows()) {
        std::fprintf(stderr, "store_recovery_bench: the empty store was not taken as cleanly closed\n");
        return false;
    }
    db->ensureIndexes();
    long indexed = 0;
    if (!fileSources(shape, db, times, indexed))
        return false;
    const long rows = countImages(db);
    dataService::destroyInstance();
    settle();
    if (rows != indexed) {
        std::fprintf(stderr, "store_recovery_bench: %ld rows for %ld files indexed\n", rows, indexed);
        return false;
    }
    // As after a kill: no mark of a clean close.
    if (!fs::remove(dicomDB::rootFor(writable) + dicomDB::kClosedMark)) {
        std::fprintf(stderr, "store_recovery_bench: the close wrote no mark\n");
        return false;
    }
    const std::string finalDir = std::string(kCacheDir) + "/store";
    fs::remove_all(finalDir);
    fs::rename(std::string(kCacheDir) + "/store.tmp", finalDir);
    writeText(std::string(kCacheDir) + "/store.key", shape.storeKey(schema));
    times.totalMs = msSince(t0);
    return true;
}

} // namespace

bool prepareCache(const Shape& shape, bool remake, MakeTimes& times)
{
    const long total = static_cast<long>(shape.series) * shape.images;
    const std::string cache = kCacheDir;
    fs::create_directories(cache);
    if (remake || readText(cache + "/sources.key") != shape.sourceKey()) {
        fs::remove(cache + "/store.key");
        cocos2d::log("store_recovery_bench: writing %ld files", total);
        auto t0 = Clock::now();
        if (!writeSources(shape)) {
            std::fprintf(stderr, "store_recovery_bench: cannot write the series\n");
            return false;
        }
        times.sourcesMs = msSince(t0);
        times.madeSources = true;
    }
    if (remake || readText(cache + "/store.key") != shape.storeKey(kStoreSchemaVersion)) {
        cocos2d::log("store_recovery_bench: filing %ld files, %ld with rows", total, total - shape.missing);
        if (!makeStore(shape, kStoreSchemaVersion, times)) {
            std::fprintf(stderr, "store_recovery_bench: cannot make the store\n");
            return false;
        }
        times.madeStore = true;
    }
    return true;
}

bool cloneStore(const std::string& to)
{
    const std::string from = std::string(kCacheDir) + "/store";
    std::error_code ec;
    fs::create_directories(to, ec);
    for (auto it = fs::recursive_directory_iterator(from, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        const std::string source = it->path().string();
        const std::string target = to + source.substr(from.size());
        std::error_code kind;
        if (it->is_directory(kind)) {
            fs::create_directories(target, ec);
        } else if (it->is_regular_file(kind)) {
            const std::string name = it->path().filename().string();
            std::error_code linkError;
            if (name.compare(0, 7, "dicomDB") == 0)
                fs::copy_file(source, target, ec);
            else if (fs::create_hard_link(source, target, linkError), linkError)
                fs::copy_file(source, target, ec);
        }
    }
    return !ec;
}

} // namespace recoverybench
