// store_recovery_bench: the open of a store that was not closed cleanly. The store holds 50,000
// small images filed as the receiver files them; 49,000 have their rows (written by the store's
// own findRecord and insertRecord), 1,000 have none and the clean-close mark is gone, as after
// a kill. Measured from dataService::getInstance() on:
//   - the time until every one of the 1,000 files has been indexed (its 2001 delivered), with
//     the image rows of the store counted at the end;
//   - the time until the receiver listens and until the first patient list is answered;
//   - meanwhile a peer sends single new images with storescu back to back (one association,
//     one image per run), each run timed from its start to its exit.
// The same is measured afterwards on the same store after a clean close and an open that has
// nothing to walk: the baseline; and the same single sends to DCMTK's storescp as a yardstick of
// what one storescu run costs by itself. Each round works on a fresh copy of the store; the
// send times of all rounds are taken together, the other figures are medians.
// The generated files and the prepared store are kept under /tmp/store_recovery_bench-cache/
// (made on first use, or anew with --remake); each run works on a hard-linked copy of it.
// The store is made and cached by RecoveryCache.cpp, the open watched with RecoveryProbes.h.
// Usage (inside the network namespace):
//   scripts/run-isolated build/bench/store_recovery_bench [--remake] [--spread] [series] [images] [missing] [rounds]
// --spread leaves the files without rows spread over every series (the last ones of each)
// instead of being the last files filed (whole series).

#include "RecoveryCache.h"
#include "RecoveryProbes.h"

#include "bench/common/BenchRun.h"
#include "bench/common/BenchTiming.h"
#include "bench/common/JsonLine.h"
#include "bench/common/MainLoop.h"
#include "bench/common/StoreService.h"
#include "bench/common/Storescu.h"

#include "db/dicomDB.h"
#include "net/NetworkSetup.h"
#include "net/dataService.h"
#include "net_harness.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using namespace benchcommon;
using namespace recoverybench;

namespace {

const char* const kName = "store_recovery_bench";

/// Image rows of every patient but the peer's.
long countStoreImages(dicomDB* db)
{
    return countRows(db, std::string("select count() from image,series,study,patient where image.seriesID=series.ID "
                                     "and series.studyID=study.ID and study.patientID=patient.ID and patient.name!='") +
                             kPeerPatient + "'");
}

struct OpenResult {
    bool ok = false;
    bool walked = false;
    double openMs = -1;      // getInstance() itself
    double listenMs = -1;    // until a connection to the receiver was accepted
    double firstListMs = -1; // until the first patient list was answered
    double walkMs = -1;      // until the last file without a row was announced (walk only)
    double walkEndMs = -1;   // until the walk had been through every folder (walk only)
    long walkHandedOver = -1;
    size_t walkAnnounced = 0;
    long storeRows = -1;     // image rows without the peer's
    std::vector<double> sends;
    int sendFailures = 0;
    double quitMs = -1;      // the clean close at the end
};

/// Opens the store at writable and runs the peer until the walk has announced `missing` files
/// and ended (walk), or for `sends` sends (no walk); then closes it cleanly.
OpenResult measureOpen(const std::string& work, const std::string& writable, size_t missing, bool expectWalk,
                       size_t sends)
{
    OpenResult result;
    std::unique_ptr<RowAnnouncements> announced(new RowAnnouncements([](const NSUI::NSNotificationData* data) {
        return data && data->text.find(kPeerPatient) == std::string::npos;
    }));
    const int port = nettest::freePort();
    aimService(writable, port);
    Clock::time_point listed;
    bool answered = false;

    auto t0 = Clock::now();
    std::unique_ptr<WalkEndWatch> walkEnd(new WalkEndWatch(t0));
    std::unique_ptr<ListenProbe> probe(new ListenProbe(port, t0));
    dataService* service = startService(kName);
    result.openMs = msSince(t0);
    if (!service)
        return result;
    dicomDB* db = service->getDB();
    result.walked = db->walksForFilesWithoutRows();
    db->requestPatients([&](NSUI::NSDBDataModel*) {
        if (!answered) {
            answered = true;
            listed = Clock::now();
        }
    });
    Peer peer(work, port, expectWalk ? SIZE_MAX : sends);
    peer.start();
    runFramesUntil(
        [&] {
            if (!answered)
                return false;
            // The walk goes on through the remaining folders after the last file without a row; a
            // close before it ends leaves no mark, and the next open would walk again.
            return expectWalk ? announced->count() >= missing && walkEnd->ended() : peer.done();
        },
        20 * 60);
    peer.stop();
    if (expectWalk && announced->count() >= missing)
        result.walkMs = std::chrono::duration<double, std::milli>(announced->last() - t0).count();
    result.walkEndMs = walkEnd->ms();
    result.walkHandedOver = walkEnd->handedOver();
    if (answered)
        result.firstListMs = std::chrono::duration<double, std::milli>(listed - t0).count();
    result.listenMs = probe->ms();
    probe.reset();
    result.storeRows = countStoreImages(db);
    result.walkAnnounced = announced->count();
    result.sends = peer.times();
    result.sendFailures = peer.failures();
    announced.reset();
    auto q0 = Clock::now();
    dataService::destroyInstance();
    result.quitMs = msSince(q0);
    walkEnd.reset();
    settle();
    result.ok = answered && (!expectWalk || (result.walkAnnounced >= missing && result.walkEndMs >= 0)) &&
                result.walked == expectWalk;
    return result;
}

/// The same sends to DCMTK's storescp: the yardstick of what a storescu run costs by itself.
std::vector<double> sendToStorescp(const std::string& work, size_t sends)
{
    Storescp scp(work);
    if (!scp.listening())
        return {};
    Peer peer(work, scp.port(), sends);
    peer.start();
    while (!peer.done())
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    peer.stop();
    return peer.times();
}

/// The figures of every round: medians of the times, the sends of all rounds together.
struct Rounds {
    std::vector<double> clone, walkMs, walkEndMs, openWalk, listenWalk, listWalk, quitWalk, openBase, listenBase,
        listBase, sendsWalk, sendsBase;
    long handedOver = -1, rowsWalk = 0, rowsBase = 0;
    int failuresWalk = 0, failuresBase = 0;

    void add(const OpenResult& walk, const OpenResult& base)
    {
        walkMs.push_back(walk.walkMs);
        walkEndMs.push_back(walk.walkEndMs);
        handedOver = walk.walkHandedOver;
        openWalk.push_back(walk.openMs);
        listenWalk.push_back(walk.listenMs);
        listWalk.push_back(walk.firstListMs);
        quitWalk.push_back(walk.quitMs);
        openBase.push_back(base.openMs);
        listenBase.push_back(base.listenMs);
        listBase.push_back(base.firstListMs);
        sendsWalk.insert(sendsWalk.end(), walk.sends.begin(), walk.sends.end());
        sendsBase.insert(sendsBase.end(), base.sends.begin(), base.sends.end());
        failuresWalk += walk.sendFailures;
        failuresBase += base.sendFailures;
        rowsWalk = std::min(rowsWalk, walk.storeRows);
        rowsBase = std::min(rowsBase, base.storeRows);
    }
};

/// One round on a fresh copy of the store: the open with the walk, then the baseline.
bool runRound(int r, const std::string& work, const Shape& shape, long total, Rounds& rounds)
{
    const std::string writable = work + "/writable" + std::to_string(r) + "/";
    auto c0 = Clock::now();
    if (!cloneStore(writable)) {
        std::fprintf(stderr, "store_recovery_bench: cannot copy the store\n");
        return false;
    }
    rounds.clone.push_back(msSince(c0));

    cocos2d::log("store_recovery_bench: round %d, open with the walk", r + 1);
    OpenResult walk = measureOpen(work, writable, static_cast<size_t>(shape.missing), true, 0);
    const bool marked = fs::exists(dicomDB::rootFor(writable) + dicomDB::kClosedMark);
    cocos2d::log("store_recovery_bench: round %d, open without the walk", r + 1);
    OpenResult base = measureOpen(work, writable, 0, false, walk.sends.size());
    fs::remove_all(writable);

    const bool ok = walk.ok && base.ok && marked && walk.storeRows == total && base.storeRows == total &&
                    walk.walkAnnounced == static_cast<size_t>(shape.missing) && walk.walkHandedOver == shape.missing;
    if (!ok)
        std::fprintf(stderr,
                     "store_recovery_bench: walk ok %d (walked %d, %zu of %d announced, %ld handed over, %ld "
                     "rows), marked %d, baseline ok %d (walked %d, %ld rows)\n",
                     walk.ok, walk.walked, walk.walkAnnounced, shape.missing, walk.walkHandedOver, walk.storeRows,
                     marked, base.ok, base.walked, base.storeRows);
    rounds.add(walk, base);
    cocos2d::log("store_recovery_bench: round %d: walk %.0f ms (ended %.0f ms), %zu sends", r + 1, walk.walkMs,
                 walk.walkEndMs, walk.sends.size());
    return ok;
}

/// The arguments: [--remake] [--spread] [series] [images] [missing] [rounds].
Shape parseArgs(int argc, char** argv, bool& remake, int& rounds)
{
    Shape shape;
    std::vector<int> numbers;
    for (int a = 1; a < argc; ++a) {
        const std::string arg = argv[a];
        if (arg == "--remake")
            remake = true;
        else if (arg == "--spread")
            shape.spread = true;
        else
            numbers.push_back(std::max(1, std::atoi(argv[a])));
    }
    if (numbers.size() > 0)
        shape.series = numbers[0];
    if (numbers.size() > 1)
        shape.images = numbers[1];
    if (numbers.size() > 2)
        shape.missing = numbers[2];
    rounds = numbers.size() > 3 ? numbers[3] : 3;
    const long total = static_cast<long>(shape.series) * shape.images;
    shape.missing = static_cast<int>(std::min<long>(shape.missing, total));
    return shape;
}

} // namespace

int main(int argc, char** argv)
{
    if (!runsIsolated(kName, argv[0]))
        return 2;
    dcmSDK::NetworkSetup::prepare();
    bool remake = false;
    int roundCount = 3;
    const Shape shape = parseArgs(argc, argv, remake, roundCount);
    const long total = static_cast<long>(shape.series) * shape.images;
    startMainLoop();

    MakeTimes times;
    if (!prepareCache(shape, remake, times))
        return 1;
    const std::string work = makeWorkFolder(kName);
    if (work.empty())
        return 1;
    Rounds rounds;
    rounds.rowsWalk = rounds.rowsBase = total;
    bool ok = true;
    for (int r = 0; r < roundCount && ok; ++r)
        ok = runRound(r, work, shape, total, rounds);
    const Spread w = spreadOf(rounds.sendsWalk), b = spreadOf(rounds.sendsBase);
    const Spread y =
        spreadOf(ok ? sendToStorescp(work, std::max<size_t>(20, w.count / roundCount)) : std::vector<double>());
    fs::remove_all(work);

    JsonObject()
        .integer("images", total).integer("missing", shape.missing).text("layout", shape.spread ? "spread" : "tail")
        .integer("rounds", roundCount)
        .number("walk_ms", median(rounds.walkMs), 0).number("walk_end_ms", median(rounds.walkEndMs), 0)
        .integer("walk_handed_over", rounds.handedOver).integer("rows_after_walk", rounds.rowsWalk)
        .number("open_ms_walk", median(rounds.openWalk)).number("listen_ms_walk", median(rounds.listenWalk))
        .number("first_list_ms_walk", median(rounds.listWalk))
        .integer("sends_walk", static_cast<long long>(w.count)).number("send_ms_median_walk", w.median)
        .number("send_ms_p95_walk", w.p95).number("send_ms_max_walk", w.max)
        .integer("send_failures_walk", rounds.failuresWalk)
        .number("quit_ms_after_walk", median(rounds.quitWalk))
        .number("open_ms_base", median(rounds.openBase)).number("listen_ms_base", median(rounds.listenBase))
        .number("first_list_ms_base", median(rounds.listBase))
        .integer("sends_base", static_cast<long long>(b.count)).number("send_ms_median_base", b.median)
        .number("send_ms_p95_base", b.p95).number("send_ms_max_base", b.max)
        .integer("send_failures_base", rounds.failuresBase).integer("rows_base", rounds.rowsBase)
        .integer("sends_storescp", static_cast<long long>(y.count)).number("send_ms_median_storescp", y.median)
        .number("send_ms_max_storescp", y.max)
        .number("make_sources_ms", times.sourcesMs, 0).number("make_store_ms", times.totalMs, 0)
        .number("make_place_ms", times.placeMs, 0).number("make_index_ms", times.indexMs, 0)
        .number("clone_ms", median(rounds.clone), 0).flag("cached", !(times.madeSources || times.madeStore))
        .print();
    return ok ? 0 : 1;
}
