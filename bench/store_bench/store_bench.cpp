// store_bench: starts the DICOM service with a temporary store on a free loopback port, has
// storescu send a generated CT series to it and measures the time until the last file was
// indexed and announced (its 2001 delivered); storescp receiving the same files is the yardstick.
// Usage (inside the network namespace): scripts/run-isolated build/bench/store_bench [files] [rounds]

#include "bench/common/BenchRun.h"
#include "bench/common/BenchTiming.h"
#include "bench/common/JsonLine.h"
#include "bench/common/MainLoop.h"
#include "bench/common/StoreService.h"
#include "bench/common/Storescu.h"

#include "net/NetworkSetup.h"
#include "net_ct_series.h"
#include "net_harness.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace benchcommon;

namespace {

/// Seconds from the start of storescu until the last file's 2001 arrived; -1 on failure.
double timeOurs(const std::string& work, const std::string& series, size_t files)
{
    const std::string writable = work + "/writable/";
    freshFolder(writable);
    const int port = nettest::freePort();
    if (!openService("store_bench", writable, port) || !nettest::waitForListener(port))
        return -1;
    const Receipt receipt = sendAndIndex(port, {"+sd"}, {series}, files, work + "/storescu.log");
    dataService::destroyInstance();
    return receipt.oursS;
}

} // namespace

int main(int argc, char** argv)
{
    if (!runsIsolated("store_bench", argv[0]))
        return 2;
    // Nagle off for every peer of this run (DCMTK reads TCP_NODELAY from the environment).
    dcmSDK::NetworkSetup::prepare();
    const int count = intArg(argc, argv, 1, 400);
    const int rounds = intArg(argc, argv, 2, 3);

    const std::string work = makeWorkFolder("store_bench");
    if (work.empty())
        return 1;
    const std::string series = work + "/series";
    fs::create_directories(series);
    nettest::CtSeriesShape shape;
    shape.count = count;
    shape.rows = 512;
    shape.columns = 512;
    if (nettest::writeCtSeries(series, shape).size() != static_cast<size_t>(count)) {
        std::fprintf(stderr, "store_bench: cannot write the series\n");
        return 1;
    }
    cocos2d::log("store_bench: %d files", count);
    startMainLoop();

    std::vector<double> ours, theirs;
    for (int r = 0; r < rounds; ++r) {
        ours.push_back(timeOurs(work, series, static_cast<size_t>(count)));
        theirs.push_back(timeStorescp(work, {"+sd"}, {series}));
    }
    fs::remove_all(work);
    const double a = median(ours), b = median(theirs);
    if (a <= 0 || b <= 0) {
        std::fprintf(stderr, "store_bench: a transfer failed (ours %.3f s, storescp %.3f s)\n", a, b);
        return 1;
    }
    JsonObject().integer("files", count).number("indexed_files_per_s", count / a)
        .number("storescp_files_per_s", count / b).print();
    return 0;
}
