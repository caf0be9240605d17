// Making the scale benchmark's stores: rows through dicomDB::findRecord and insertRecord, copies
// written through to the disk, a copy without indexes, and the cache that keeps them.

#include "ScaleStores.h"

#include "bench/common/BenchTiming.h"

#include "DCM_MESSAGE.h"
#include "db/FoundRecord.h"
#include "db/NSDBDataModel.h"
#include "db/NSDBUtil.h"
#include "db/StoreQueries.h"
#include "db/StoreSchema.h"
#include "db/dicomDB.h"
#include "dcmFileRecord.h"
#include "dcmServer.h"
#include "net_harness.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace benchcommon;

namespace scalebench {

namespace {

// Raised whenever the rows this program makes change, so that older cached stores are not used.
const int kGeneratorVersion = 1;

uint64_t mix(uint64_t x)
{
    x += 0x9e3779b97f4a7c15ULL;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
    return x ^ (x >> 31);
}

/// A UID of the "2.25." kind, 44 characters, the same for the same four numbers.
std::string makeUid(uint64_t kind, uint64_t a, uint64_t b, uint64_t c)
{
    const uint64_t h1 = mix(mix(mix(kind) ^ a) ^ b) ^ c;
    const uint64_t h2 = mix(h1 ^ 0x5151);
    char text[64];
    std::snprintf(text, sizeof text, "2.25.1%019llu%019llu",
                  static_cast<unsigned long long>(h1 % 10000000000000000000ULL),
                  static_cast<unsigned long long>(h2 % 10000000000000000000ULL));
    return text;
}

template <size_t N> void setSlot(char (&slot)[N], const std::string& text)
{
    std::strncpy(slot, text.c_str(), N - 1);
    slot[N - 1] = 0;
}

std::string twoDigits(long long n)
{
    char text[8];
    std::snprintf(text, sizeof text, "%02lld", n);
    return text;
}

/// Makes the rows of a store under writable + "qp/dicom/" and closes it cleanly.
bool makeStore(const std::string& writable, const StoreShape& shape)
{
    static const char* const studyDescriptions[] = {"CT CHEST W/O CONTRAST", "CT ABDOMEN PELVIS W CONTRAST",
                                                    "CT HEAD W/O CONTRAST", "CTA CHEST PE PROTOCOL"};
    static const char* const seriesDescriptions[] = {"Scout", "Axial 5mm", "Axial 1.25mm", "Coronal 3mm",
                                                     "Sagittal 3mm"};
    fs::create_directories(writable);
    cocos2d::FileUtils::getInstance()->setWritablePath(writable);
    dicomDB::setReceiverPort(nettest::freePort());
    dicomDB* db = dicomDB::create();
    if (!db || !db->isOpen()) {
        std::fprintf(stderr, "store_scale_bench: cannot open a store under %s\n", writable.c_str());
        if (db) {
            db->stop();
            db->release();
        }
        return false;
    }
    const auto t0 = Clock::now();
    long long made = 0, nextReport = 100000;
    bool ok = true;
    dcmSDK::DCM_MESSAGE record;
    for (long long p = 0; p < shape.patients && ok; ++p) {
        std::memset(&record, 0, sizeof record);
        char text[64];
        std::snprintf(text, sizeof text, "SCALE^PATIENT%05lld", p + 1);
        const std::string name = text;
        std::snprintf(text, sizeof text, "SSB%07lld", p + 1);
        const std::string patientId = text;
        setSlot(record.patientName, name);
        setSlot(record.patientID, patientId);
        setSlot(record.birthDate, "19" + twoDigits(30 + p % 60) + twoDigits(1 + p % 12) + twoDigits(1 + p % 28));
        setSlot(record.sex, p % 2 ? "M" : "F");
        setSlot(record.modality, "CT");
        std::string studyUids[StoreShape::kStudiesPerPatient];
        for (int s = 0; s < StoreShape::kStudiesPerPatient; ++s)
            studyUids[s] = makeUid(1, static_cast<uint64_t>(p), static_cast<uint64_t>(s), 0);
        for (int k = 0; k < StoreShape::kSeriesPerPatient && ok; ++k) {
            const int study = StoreShape::studyOfSeries(k);
            const std::string studyDate =
                std::to_string(2024 - study) + twoDigits(1 + p % 12) + twoDigits(1 + (p / 12) % 28);
            setSlot(record.studyInstanceUID, studyUids[study]);
            setSlot(record.studyID, std::to_string(1000 + study));
            setSlot(record.studyDate, studyDate);
            setSlot(record.studyTime, "0" + std::to_string(8 + study) + "3000");
            setSlot(record.studyDescription, studyDescriptions[(p + study) % 4]);
            setSlot(record.seriesDate, studyDate);
            setSlot(record.seriesTime, "0" + std::to_string(8 + study) + "3" + std::to_string(k) + "00");
            setSlot(record.seriesDescription, seriesDescriptions[k]);
            const std::string seriesUid =
                makeUid(2, static_cast<uint64_t>(p), static_cast<uint64_t>(study), static_cast<uint64_t>(k));
            setSlot(record.seriesInstanceUID, seriesUid);
            char folder[1024];
            dcmSDK::dcmServer::getDicomFolder(name.c_str(), patientId.c_str(), studyUids[study].c_str(),
                                              seriesUid.c_str(), folder);
            const long long count = shape.imagesOfSeries(p * StoreShape::kSeriesPerPatient + k);
            for (long long i = 0; i < count; ++i) {
                const std::string imageUid = makeUid(3, static_cast<uint64_t>(p), static_cast<uint64_t>(k),
                                                     static_cast<uint64_t>(i));
                setSlot(record.sopInstanceUID, imageUid);
                setSlot(record.instanceNumber, std::to_string(i + 1));
                // Received files are named by their SOP instance UID.
                dcmSDK::setDcmMessageLocation(record, imageUid, folder);
                FoundRecord found;
                if (!db->findRecord(name, patientId, studyUids[study], seriesUid, imageUid, found) ||
                    (!found.imageFound && !db->insertRecord(record, found))) {
                    std::fprintf(stderr, "store_scale_bench: cannot store image %lld\n", made);
                    ok = false;
                    break;
                }
                if (++made == nextReport) {
                    const double s = msSince(t0) / 1000;
                    std::fprintf(stderr, "store_scale_bench:   %lld of %lld images (%.1f s, %.0f images/s)\n", made,
                                 shape.images, s, made / s);
                    nextReport += 100000;
                }
            }
        }
    }
    db->stop();
    db->release();
    return ok;
}

std::string storeKey(const StoreShape& shape, bool withIndexes)
{
    // The tables and the indexes the rows were made with: a store of an older schema is made anew.
    uint64_t h = 1469598103934665603ULL;
    auto add = [&](const char* text) {
        for (; *text; ++text)
            h = (h ^ static_cast<unsigned char>(*text)) * 1099511628211ULL;
    };
    for (const StoreTable& table : storeTables())
        add(table.statement);
    for (const char* statement : StoreQueries::indexStatements())
        add(statement);
    char key[160];
    std::snprintf(key, sizeof key, "i%lld-p%lld-v%d-g%d-%016llx%s", shape.images, shape.patients,
                  kStoreSchemaVersion, kGeneratorVersion, static_cast<unsigned long long>(h),
                  withIndexes ? "" : "-noindex");
    return key;
}

bool isWholeStore(const std::string& folder)
{
    std::error_code ec;
    return fs::is_regular_file(folder + "/dicomDB", ec) && fs::is_regular_file(folder + "/" + dicomDB::kClosedMark, ec);
}

void flushToDisk(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

/// Drops every index of the database (as a store made before they existed) and compacts it.
bool dropIndexes(const std::string& database)
{
    NSUI::NSDBUtil db;
    if (!db.openDB(database.c_str()))
        return false;
    NSUI::NSDBDataModel rows;
    if (!db.getRecord("select name from sqlite_master where type='index' and sql is not null", &rows))
        return false;
    for (int r = 0; r < rows.getRowCount(); ++r)
        if (!db.executeSQL("drop index \"" + rows.getValue(r, 0) + "\""))
            return false;
    const bool ok = db.executeSQL("vacuum");
    db.closeDB();
    return ok;
}

} // namespace

/// Copies a store's files and writes them through to the disk: a store the program opens at
/// launch lies on the disk, and a copy still waiting in the page cache would be written out by
/// the store's first checkpoint (its fsync of the database), in the middle of a measurement.
bool copyStore(const std::string& from, const std::string& to)
{
    const auto t0 = Clock::now();
    std::error_code ec;
    fs::remove_all(to, ec);
    fs::create_directories(to, ec);
    fs::copy(from, to, fs::copy_options::recursive | fs::copy_options::overwrite_existing, ec);
    if (ec) {
        std::fprintf(stderr, "store_scale_bench: cannot copy %s: %s\n", from.c_str(), ec.message().c_str());
        return false;
    }
    for (auto it = fs::recursive_directory_iterator(to, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec))
        flushToDisk(it->path().string());
    flushToDisk(to);
    std::fprintf(stderr, "store_scale_bench: copied and flushed %s in %.2f s\n", from.c_str(), msSince(t0) / 1000);
    return true;
}

int countIndexes(const std::string& database)
{
    NSUI::NSDBUtil db;
    NSUI::NSDBDataModel rows;
    if (!db.openDB(database.c_str()) ||
        !db.getRecord("select count() from sqlite_master where type='index' and sql is not null", &rows) ||
        rows.getRowCount() < 1)
        return -1;
    return std::atoi(rows.getValue(0, 0).c_str());
}

std::string Maker::source(const StoreShape& shape, bool withIndexes, double& madeSeconds)
{
    madeSeconds = 0;
    const std::string key = storeKey(shape, withIndexes);
    const std::string home = (cacheDir.empty() ? work + "/made" : cacheDir) + "/" + key;
    if (isWholeStore(home)) {
        std::fprintf(stderr, "store_scale_bench: store %s from %s\n", key.c_str(), home.c_str());
        return home;
    }
    std::error_code ec;
    fs::create_directories(fs::path(home).parent_path(), ec);
    const std::string scratch = home + ".making-" + std::to_string(getpid());
    fs::remove_all(scratch, ec);
    const auto t0 = Clock::now();
    if (withIndexes) {
        std::fprintf(stderr, "store_scale_bench: making store %s (%lld images, %lld patients, %lld series)\n",
                     key.c_str(), shape.images, shape.patients, shape.series());
        if (!makeStore(scratch + "/", shape))
            return std::string();
        fs::rename(fs::path(scratch + "/" + dicomDB::rootFor("")).parent_path(), home, ec);
    } else {
        double unused = 0;
        const std::string indexed = source(shape, true, unused);
        if (indexed.empty() || !copyStore(indexed, scratch))
            return std::string();
        std::fprintf(stderr, "store_scale_bench: dropping the indexes of a copy of %s\n", indexed.c_str());
        if (!dropIndexes(scratch + "/dicomDB")) {
            std::fprintf(stderr, "store_scale_bench: cannot drop the indexes\n");
            return std::string();
        }
        fs::rename(scratch, home, ec);
    }
    fs::remove_all(scratch, ec);
    madeSeconds = msSince(t0) / 1000;
    std::fprintf(stderr, "store_scale_bench: made %s in %.1f s\n", key.c_str(), madeSeconds);
    return isWholeStore(home) ? home : std::string();
}

StoreShape shapeFor(const std::string& text)
{
    StoreShape shape;
    const size_t colon = text.find(':');
    shape.images = std::max(0LL, std::atoll(text.substr(0, colon).c_str()));
    if (colon != std::string::npos)
        shape.patients = std::max(0LL, std::atoll(text.substr(colon + 1).c_str()));
    else if (shape.images == 200000)
        shape.patients = 1000;
    else if (shape.images == 1000000)
        shape.patients = 10000;
    else
        shape.patients = shape.images / 200;
    if (shape.images > 0 && shape.patients == 0)
        shape.patients = 1;
    if (shape.images == 0)
        shape.patients = 0;
    return shape;
}

} // namespace scalebench
