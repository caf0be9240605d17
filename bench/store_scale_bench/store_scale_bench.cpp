// store_scale_bench: how the study store keeps up as it grows. For each size it makes a store of
// rows only (through dicomDB::findRecord and insertRecord, as the worker stores a received file),
// opens it with the DICOM service and times the patient list, one patient's study list, and the
// indexing of CT images that storescu sends in one association (two series of a new patient,
// in a few rounds), next to storescu's own time for the same files. For stores of 1,000,000
// images and more it also opens a copy without the indexes and times that first open, in which
// the worker makes them.
//
// Each made store is kept under the cache folder (one entry per size, schema and index set) and
// copied into a fresh writable folder for every run, so that only the first run pays for making
// it: every image is its own transaction (insertRecord begins one, and one cannot be begun
// inside another), so the rows of 1,000,000 images take minutes.
//
// Usage (inside the network namespace):
//   scripts/run-isolated build-scale/bench/store_scale_bench [--sizes 0,200000,1000000]
//       [--files 400] [--side 64] [--rounds 3] [--repeat 5]
//       [--cache /tmp/store_scale_bench-cache | --no-cache]
// A size is a number of images, optionally with its number of patients ("200000:1000"); without
// it 200,000 images go to 1,000 patients, 1,000,000 to 10,000, other sizes 200 images a patient.
// Every made patient has 2 studies (3 + 2 series) and 5 series; the images are spread evenly
// over the series. --side is the rows and columns of each sent slice; --rounds the number of
// transfers of --files images to each store; --repeat the lists timed after the first one.
// Prints one JSON line on stdout and the figures in words on stderr. The stores are made and cached
// by ScaleStores.cpp, the lists timed by ScaleLists.cpp, the figures written by ScaleReport.cpp.

#include "ScaleLists.h"
#include "ScaleReport.h"
#include "ScaleStores.h"

#include "bench/common/BenchRun.h"
#include "bench/common/BenchTiming.h"
#include "bench/common/JsonLine.h"
#include "bench/common/MainLoop.h"
#include "bench/common/StoreService.h"

#include "db/dicomDB.h"
#include "net/NetworkSetup.h"
#include "net/dataService.h"
#include "net_ct_series.h"
#include "net_harness.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;
using namespace benchcommon;
using namespace scalebench;

namespace {

const char* const kName = "store_scale_bench";

struct Options {
    std::vector<std::string> sizes = {"0", "200000", "1000000"};
    int files = 400;
    int side = 64;
    int repeat = 5;
    int rounds = 3;
    std::string cacheDir = "/tmp/store_scale_bench-cache";
};

/// The service on writable with its receiver on a free port, as the program starts it.
struct Started {
    dicomDB* db = nullptr; // null (the service gone) when it did not open or listen
    int port = 0;
    Clock::time_point t0;
    double openMs = -1;   // getInstance() itself
    double listenMs = -1; // until the receiver accepted a connection
};

Started startTimed(const std::string& writable)
{
    Started started;
    started.port = nettest::freePort();
    started.t0 = Clock::now();
    dataService* service = openService(kName, writable, started.port);
    started.openMs = msSince(started.t0);
    const bool listening = nettest::waitForListener(started.port);
    started.listenMs = msSince(started.t0);
    if (service && listening)
        started.db = service->getDB();
    else
        dataService::destroyInstance();
    return started;
}

StoreResult benchStore(Maker& maker, const StoreShape& shape, const Options& options, const std::string& series)
{
    StoreResult result;
    result.shape = shape;
    const std::string source = maker.source(shape, true, result.madeS);
    result.cached = result.madeS == 0;
    const std::string writable = maker.work + "/run/";
    if (source.empty() || !copyStore(source, dicomDB::rootFor(writable)))
        return result;

    const Started started = startTimed(writable);
    result.openMs = started.openMs;
    result.listenMs = started.listenMs;
    dicomDB* db = started.db;
    const int port = started.port;
    if (!db) {
        std::fprintf(stderr, "store_scale_bench: the service did not start on the %lld-image store\n", shape.images);
        return result;
    }
    if (db->walksForFilesWithoutRows())
        std::fprintf(stderr, "store_scale_bench: warning: the copy was taken as not closed cleanly\n");

    Listing firstList;
    result.patients = timeList([&] { return listPatients(db); }, options.repeat, &firstList);
    if (!firstList.firstId.empty())
        result.studies = timeList([&] { return listStudies(db, firstList.firstId); }, options.repeat);

    for (int round = 0; round < options.rounds; ++round)
        result.receipts.push_back(sendAndIndex(port, {"+sd", "+r"}, {series + "/r" + std::to_string(round + 1)},
                                               static_cast<size_t>(options.files), maker.work + "/storescu.log"));

    Listing afterList;
    result.patientsAfter = timeList([&] { return listPatients(db); }, options.repeat, &afterList);
    if (!afterList.receivedId.empty())
        result.studiesReceived = timeList([&] { return listStudies(db, afterList.receivedId); }, options.repeat);

    const auto c0 = Clock::now();
    dataService::destroyInstance();
    result.closeMs = msSince(c0);
    std::error_code ec;
    fs::remove_all(writable, ec);
    result.ok = result.oursMedianS() > 0 && result.patients.firstMs >= 0;
    return result;
}

IndexOpenResult benchIndexOpen(Maker& maker, const StoreShape& shape)
{
    IndexOpenResult result;
    result.images = shape.images;
    const std::string source = maker.source(shape, false, result.madeS);
    const std::string writable = maker.work + "/run/";
    const std::string root = dicomDB::rootFor(writable);
    if (source.empty() || !copyStore(source, root))
        return result;
    result.indexesBefore = countIndexes(root + "dicomDB");

    const Started started = startTimed(writable);
    result.getInstanceMs = started.openMs;
    result.listenMs = started.listenMs;
    dicomDB* db = started.db;
    if (!db) {
        std::fprintf(stderr, "store_scale_bench: the service did not start on the store without indexes\n");
        return result;
    }
    const Listing list = listPatients(db, started.t0);
    result.firstPatientsMs = list.ms();
    result.longestFrameMs = list.longestFrameMs;
    const auto c0 = Clock::now();
    dataService::destroyInstance();
    result.closeMs = msSince(c0);
    result.indexesAfter = countIndexes(root + "dicomDB");
    std::error_code ec;
    fs::remove_all(writable, ec);
    result.ok = list.answered;
    return result;
}

bool parseOptions(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--sizes" && hasValue) {
            options.sizes.clear();
            std::string list = argv[++i];
            size_t start = 0;
            while (start <= list.size()) {
                const size_t comma = list.find(',', start);
                const std::string item = list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
                if (!item.empty())
                    options.sizes.push_back(item);
                if (comma == std::string::npos)
                    break;
                start = comma + 1;
            }
        } else if (arg == "--files" && hasValue) {
            options.files = std::max(2, std::atoi(argv[++i]));
        } else if (arg == "--side" && hasValue) {
            options.side = std::max(8, std::atoi(argv[++i]));
        } else if (arg == "--rounds" && hasValue) {
            options.rounds = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--repeat" && hasValue) {
            options.repeat = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--cache" && hasValue) {
            options.cacheDir = argv[++i];
        } else if (arg == "--no-cache") {
            options.cacheDir.clear();
        } else {
            return false;
        }
    }
    return !options.sizes.empty();
}

/// For each round, two series of one study of a new patient, sent in one association.
bool writeSentSeries(const std::string& series, const Options& options)
{
    for (int round = 1; round <= options.rounds; ++round) {
        char studyUid[100];
        dcmGenerateUniqueIdentifier(studyUid, SITE_STUDY_UID_ROOT);
        char patientId[32];
        std::snprintf(patientId, sizeof patientId, "QPRECV%04d", round);
        for (int s = 0; s < 2; ++s) {
            const std::string folder = series + "/r" + std::to_string(round) + (s == 0 ? "/a" : "/b");
            fs::create_directories(folder);
            nettest::CtSeriesShape shape;
            shape.count = s == 0 ? options.files - options.files / 2 : options.files / 2;
            shape.rows = options.side;
            shape.columns = options.side;
            shape.patientName = kReceivedName + std::to_string(round);
            shape.patientID = patientId;
            shape.extra = {{DCM_StudyInstanceUID, studyUid}, {DCM_SeriesNumber, std::to_string(2 + s)}};
            if (nettest::writeCtSeries(folder, shape).size() != static_cast<size_t>(shape.count)) {
                std::fprintf(stderr, "store_scale_bench: cannot write the series\n");
                return false;
            }
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (!runsIsolated(kName, argv[0]))
        return 2;
    Options options;
    if (!parseOptions(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: %s [--sizes 0,200000,1000000] [--files 400] [--side 64] [--rounds 3] [--repeat 5] "
                     "[--cache DIR | --no-cache]\n",
                     argv[0]);
        return 2;
    }
    // Nagle off for every peer of this run (DCMTK reads TCP_NODELAY from the environment).
    dcmSDK::NetworkSetup::prepare();

    Maker maker;
    maker.work = makeWorkFolder(kName);
    maker.cacheDir = options.cacheDir;
    const std::string series = maker.work + "/series";
    if (maker.work.empty() || !writeSentSeries(series, options))
        return 1;
    startMainLoop();

    const size_t files = static_cast<size_t>(options.files);
    std::vector<StoreResult> stores;
    std::vector<IndexOpenResult> indexOpens;
    bool ok = true;
    for (const std::string& size : options.sizes) {
        const StoreShape shape = shapeFor(size);
        stores.push_back(benchStore(maker, shape, options, series));
        describe(stores.back(), files);
        ok = ok && stores.back().ok;
    }
    for (const std::string& size : options.sizes) {
        const StoreShape shape = shapeFor(size);
        if (shape.images < 1000000)
            continue;
        indexOpens.push_back(benchIndexOpen(maker, shape));
        const IndexOpenResult& r = indexOpens.back();
        describe(r);
        ok = ok && r.ok;
    }
    std::error_code ec;
    fs::remove_all(maker.work, ec);

    std::vector<std::string> storeItems, indexOpenItems;
    for (const StoreResult& r : stores)
        storeItems.push_back(storeJson(r, files));
    for (const IndexOpenResult& r : indexOpens)
        indexOpenItems.push_back(indexOpenJson(r));
    JsonObject()
        .integer("files", static_cast<long long>(files))
        .integer("side", options.side)
        .integer("series_sent", 2)
        .integer("rounds", options.rounds)
        .integer("repeat", options.repeat)
        .raw("stores", jsonArray(storeItems))
        .raw("index_open", jsonArray(indexOpenItems))
        .print();
    return ok ? 0 : 1;
}
