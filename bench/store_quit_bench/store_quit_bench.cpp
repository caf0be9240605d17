// store_quit_bench: how long a clean close of the study store takes while received file records
// still wait to be indexed. The files are filed into the store as the receiver files them and
// their records posted as its callback posts them; then dataService::destroyInstance() is timed
// in two states:
//   posted - every record still waits in the notification centre (no frame ran since), so the
//            close takes them in itself and the worker indexes all of them;
//   queued - a frame has handed them to the worker, which has only started on them.
// The store is then opened again to check that every file has its row and that the open found
// the clean-close mark (no walk for files without rows). For comparison: the same records
// indexed by the running store (frames until the last 2001) and a close with nothing waiting;
// cpu_ms_* is the process's user + system CPU time over each timed span (where the wall-clock
// time beyond it goes to waits: the database's checkpoints, the scheduler).
// Usage (inside the network namespace):
//   scripts/run-isolated build/bench/store_quit_bench [series] [images per series] [rounds] [posted|queued|running]
// (the last one to run that state alone, e.g. under a profiler; figures of states not run are -1).

#include "bench/common/BenchRun.h"
#include "bench/common/BenchTiming.h"
#include "bench/common/JsonLine.h"
#include "bench/common/MainLoop.h"
#include "bench/common/StoreService.h"

#include "DCM_MESSAGE.h"
#include "db/dicomDB.h"
#include "dcmFileRecord.h"
#include "net/NetworkSetup.h"
#include "net/dataService.h"
#include "net_ct_series.h"
#include "net_harness.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <sys/resource.h>

namespace fs = std::filesystem;
using namespace benchcommon;

namespace {

const char* const kName = "store_quit_bench";

/// User and system CPU time of the whole process so far, in ms.
std::pair<double, double> cpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    return {ms(usage.ru_utime), ms(usage.ru_stime)};
}

/// Opens the service on that writable path with the receiver on a free port; null on failure.
dataService* openStore(const std::string& writable)
{
    return openService(kName, writable, nettest::freePort());
}

/// Files every source into the store as the receiver does; the records are the caller's.
std::vector<dcmSDK::DCM_MESSAGE*> placeAll(const std::vector<std::string>& sources, const std::string& root)
{
    std::vector<dcmSDK::DCM_MESSAGE*> records;
    records.reserve(sources.size());
    for (const std::string& path : sources) {
        std::unique_ptr<dcmSDK::DCM_MESSAGE> record(new dcmSDK::DCM_MESSAGE());
        if (!dcmSDK::placeFileInStore(path, root, false, *record)) {
            for (dcmSDK::DCM_MESSAGE* r : records)
                delete r;
            return {};
        }
        records.push_back(record.release());
    }
    return records;
}

/// Posts every record as the receiver's callback does; the store owns them from here on.
void postAll(std::vector<dcmSDK::DCM_MESSAGE*>& records)
{
    for (dcmSDK::DCM_MESSAGE* record : records)
        dataService::onDcmMessage(dcmSDK::DCM_MSG_FILE_STORED, reinterpret_cast<const char*>(record));
    records.clear();
}

struct Check {
    long rows = -1;
    bool walked = true;
    double idleQuitMs = -1;
};

/// Opens the store again, counts its image rows, notes whether it walks, and times the close of
/// a store with nothing waiting.
Check reopenAndCheck(const std::string& writable)
{
    Check check;
    dataService* service = openStore(writable);
    if (!service)
        return check;
    check.walked = service->getDB()->walksForFilesWithoutRows();
    check.rows = countImages(service->getDB());
    settle();
    auto t0 = Clock::now();
    dataService::destroyInstance();
    check.idleQuitMs = msSince(t0);
    settle();
    return check;
}

enum class Mode { Posted, Queued, Running };

struct Result {
    double ms = -1;           // the quit (posted, queued) or the indexing (running)
    double deliverMs = -1;    // queued: the frame that handed the records to the worker
    long leftAtQuit = -1;     // queued: records without a row when the quit started
    double userMs = -1, systemMs = -1; // CPU time of the process during the quit or the indexing
    Check check;
};

Result runOnce(Mode mode, const std::string& writable, const std::vector<std::string>& sources)
{
    Result result;
    if (!makeCleanEmptyStore(kName, writable))
        return result;
    dataService* service = openStore(writable);
    if (!service)
        return result;
    if (service->getDB()->walksForFilesWithoutRows()) {
        std::fprintf(stderr, "store_quit_bench: the prepared store was not taken as cleanly closed\n");
        dataService::destroyInstance();
        return result;
    }
    settle();
    std::vector<dcmSDK::DCM_MESSAGE*> records = placeAll(sources, service->getDB()->getRoot());
    if (records.size() != sources.size()) {
        std::fprintf(stderr, "store_quit_bench: placing the files failed\n");
        dataService::destroyInstance();
        return result;
    }
    const long total = static_cast<long>(records.size());

    if (mode == Mode::Running) {
        {
            RowAnnouncements announced;
            auto t0 = Clock::now();
            const auto cpu0 = cpuMs();
            postAll(records);
            runFramesUntil([&] { return announced.count() >= static_cast<size_t>(total); }, 600);
            result.ms = announced.count() == static_cast<size_t>(total) ? msSince(t0) : -1;
            result.userMs = cpuMs().first - cpu0.first;
            result.systemMs = cpuMs().second - cpu0.second;
        }
        dataService::destroyInstance();
    } else {
        postAll(records);
        if (mode == Mode::Queued) {
            // One frame delivers every 2014 (they are all for the next frame); the second one
            // hands the first finished requests back, as a running program would.
            auto t0 = Clock::now();
            frame();
            result.deliverMs = msSince(t0);
            frame();
            result.leftAtQuit = total - countImages(service->getDB());
        }
        auto t0 = Clock::now();
        const auto cpu0 = cpuMs();
        dataService::destroyInstance();
        result.ms = msSince(t0);
        result.userMs = cpuMs().first - cpu0.first;
        result.systemMs = cpuMs().second - cpu0.second;
    }
    settle();
    result.check = reopenAndCheck(writable);
    if (result.check.rows != total || result.check.walked) {
        std::fprintf(stderr, "store_quit_bench: after the %s run the store holds %ld of %ld rows%s\n",
                     mode == Mode::Posted ? "posted" : mode == Mode::Queued ? "queued" : "running",
                     result.check.rows, total, result.check.walked ? " and walked at the reopen" : "");
    }
    return result;
}

} // namespace

int main(int argc, char** argv)
{
    if (!runsIsolated(kName, argv[0]))
        return 2;
    dcmSDK::NetworkSetup::prepare();
    const int seriesCount = intArg(argc, argv, 1, 10);
    const int perSeries = intArg(argc, argv, 2, 200);
    const int rounds = intArg(argc, argv, 3, 3);
    const std::string only = argc > 4 ? argv[4] : "";

    const std::string work = makeWorkFolder(kName);
    if (work.empty())
        return 1;

    // Ten patients with one series each, 64 x 64 pixels.
    std::vector<std::string> sources;
    auto t0 = Clock::now();
    for (int s = 0; s < seriesCount; ++s) {
        const std::string dir = work + "/series/" + std::to_string(s);
        fs::create_directories(dir);
        nettest::CtSeriesShape shape;
        shape.count = perSeries;
        shape.rows = 64;
        shape.columns = 64;
        shape.patientName = "QUIT^PATIENT" + std::to_string(s);
        shape.patientID = "QB" + std::to_string(1000 + s);
        std::vector<std::string> written = nettest::writeCtSeries(dir, shape);
        if (written.size() != static_cast<size_t>(perSeries)) {
            std::fprintf(stderr, "store_quit_bench: cannot write the series\n");
            return 1;
        }
        sources.insert(sources.end(), written.begin(), written.end());
    }
    const double generateMs = msSince(t0);

    cocos2d::log("store_quit_bench: %zu files", sources.size());
    startMainLoop();

    std::vector<double> posted, queued, deliver, running, idle;
    std::vector<double> left, cpuPosted, cpuQueued, cpuRunning;
    long rowsAfter = static_cast<long>(sources.size());
    bool walked = false;
    for (int r = 0; r < rounds; ++r) {
        const std::string writable = work + "/writable/";
        for (Mode mode : {Mode::Posted, Mode::Queued, Mode::Running}) {
            const char* name = mode == Mode::Posted ? "posted" : mode == Mode::Queued ? "queued" : "running";
            if (!only.empty() && only != name)
                continue;
            Result result = runOnce(mode, writable, sources);
            rowsAfter = std::min(rowsAfter, result.check.rows);
            walked = walked || result.check.walked;
            if (result.ms < 0) {
                std::fprintf(stderr, "store_quit_bench: a run failed\n");
                fs::remove_all(work);
                return 1;
            }
            idle.push_back(result.check.idleQuitMs);
            if (mode == Mode::Posted) {
                posted.push_back(result.ms);
            } else if (mode == Mode::Queued) {
                queued.push_back(result.ms);
                deliver.push_back(result.deliverMs);
                left.push_back(static_cast<double>(result.leftAtQuit));
            } else {
                running.push_back(result.ms);
            }
            cocos2d::log("store_quit_bench: round %d %s: %.1f ms (CPU %.0f ms user, %.0f ms system)", r + 1, name,
                         result.ms, result.userMs, result.systemMs);
            (mode == Mode::Posted ? cpuPosted : mode == Mode::Queued ? cpuQueued : cpuRunning)
                .push_back(result.userMs + result.systemMs);
        }
    }
    fs::remove_all(work);
    JsonObject()
        .integer("records", static_cast<long long>(sources.size()))
        .number("quit_ms_posted", median(posted))
        .number("quit_ms_queued", median(queued))
        .number("queued_left_at_quit", median(left), 0)
        .number("deliver_frame_ms", median(deliver))
        .number("index_ms_running", median(running))
        .number("quit_ms_idle", median(idle))
        .integer("rows_after", rowsAfter)
        .flag("reopen_walked", walked)
        .number("cpu_ms_posted", median(cpuPosted))
        .number("cpu_ms_queued", median(cpuQueued))
        .number("cpu_ms_running", median(cpuRunning))
        .integer("rounds", rounds)
        .number("generate_ms", generateMs, 0)
        .print();
    return rowsAfter == static_cast<long>(sources.size()) && !walked ? 0 : 1;
}
