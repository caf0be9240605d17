// Sends a generated CT series with storescu to our receiver and to DCMTK's storescp on
// loopback, with the DCMTK tools as Debian ships them (Nagle's algorithm on) and with
// TCP_NODELAY=1 in their environment, and prints the rates as one JSON line. Run it inside
// the private network namespace:
//   scripts/run-isolated build/bench/receive_bench [files] [rounds] [side]
// (side: rows and columns of each slice).

#include "bench/common/BenchRun.h"
#include "bench/common/BenchTiming.h"
#include "bench/common/JsonLine.h"
#include "bench/common/Storescu.h"

#include "dcmServer.h"
#include "net_ct_series.h"
#include "net_harness.h"

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using namespace benchcommon;

namespace {

std::atomic<size_t> g_stored{0};

void countStored(unsigned type, const char* text)
{
    if (type == dcmSDK::DCM_MSG_FILE_STORED) {
        delete reinterpret_cast<const dcmSDK::DCM_MESSAGE*>(text);
        ++g_stored;
    }
}

/// Seconds for `peers` storescu processes at once, each with its share of the files, to
/// our receiver, until every file is reported.
double timeOurs(const std::string& work, const std::vector<std::string>& files, const Env& env, int peers = 1)
{
    std::string root = work + "/ours/";
    freshFolder(root);
    int port = nettest::freePort();
    dcmSDK::dcmServer server;
    server.setRoot(root);
    server.setPort("127.0.0.1", port, "QPSTORE");
    if (!server.BeginDicomServer())
        return -1;
    g_stored = 0;
    const auto t0 = Clock::now();
    std::vector<std::unique_ptr<nettest::Process>> scus;
    for (int p = 0; p < peers; ++p) {
        std::vector<std::string> share;
        for (size_t i = p; i < files.size(); i += peers)
            share.push_back(files[i]);
        scus.emplace_back(new nettest::Process(storescuArgs(port, {}, share),
                                               work + "/storescu" + std::to_string(p) + ".log", env));
    }
    for (auto& scu : scus)
        if (scu->wait(600) != 0)
            return -1;
    while (g_stored.load() < files.size())
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    const double s = secondsSince(t0);
    server.StopDicomServer();
    return s;
}

} // namespace

int main(int argc, char** argv)
{
    if (!runsIsolated("receive_bench", argv[0]))
        return 2;
    const int count = intArg(argc, argv, 1, 200);
    const int rounds = intArg(argc, argv, 2, 3);
    const int side = intArg(argc, argv, 3, 256, 8);

    const std::string work = makeWorkFolder("receive_bench");
    if (work.empty())
        return 1;
    fs::create_directories(work + "/series");
    nettest::CtSeriesShape shape;
    shape.count = count;
    shape.rows = side;
    shape.columns = side;
    std::vector<std::string> files = nettest::writeCtSeries(work + "/series", shape);
    if (files.size() != static_cast<size_t>(count)) {
        std::fprintf(stderr, "receive_bench: cannot write the series\n");
        return 1;
    }
    uintmax_t bytes = 0;
    for (const std::string& f : files)
        bytes += fs::file_size(f);

    dcmSDK::setMsgCallback(countStored);
    const Env stock = nettest::stockPeerEnvironment();
    const Env noDelay = nettest::environmentWith("TCP_NODELAY", "1");
    const int kPeers = 3;
    std::vector<double> oursStock, oursNoDelay, oursPeers, scpStock, scpNoDelay;
    for (int r = 0; r < rounds; ++r) {
        oursStock.push_back(timeOurs(work, files, stock));
        oursNoDelay.push_back(timeOurs(work, files, noDelay));
        oursPeers.push_back(timeOurs(work, files, stock, kPeers));
        scpStock.push_back(timeStorescp(work, {}, files, stock));
        scpNoDelay.push_back(timeStorescp(work, {}, files, noDelay));
    }
    fs::remove_all(work);
    const double seconds[] = {median(oursStock), median(oursNoDelay), median(oursPeers), median(scpStock),
                              median(scpNoDelay)};
    for (double s : seconds) {
        if (s <= 0) {
            std::fprintf(stderr, "receive_bench: a transfer failed\n");
            return 1;
        }
    }
    const double mb = static_cast<double>(bytes) / (1024.0 * 1024.0);
    JsonObject()
        .integer("files", count)
        .integer("side", side)
        .number("mb", mb)
        .number("stock_files_per_s", count / seconds[0])
        .number("nodelay_files_per_s", count / seconds[1])
        .number("stock_" + std::to_string(kPeers) + "_peers_files_per_s", count / seconds[2])
        .number("storescp_stock_files_per_s", count / seconds[3])
        .number("storescp_nodelay_files_per_s", count / seconds[4])
        .number("stock_to_nodelay", seconds[1] / seconds[0], 3)
        .print();
    return 0;
}
