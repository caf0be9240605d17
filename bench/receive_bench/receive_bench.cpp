// Sends a generated CT series with storescu to our receiver and to DCMTK's storescp on
// loopback, with the DCMTK tools as Debian ships them (Nagle's algorithm on) and with
// TCP_NODELAY=1 in their environment, and prints the rates as one JSON line. Run it inside
// the private network namespace:
//   scripts/run-isolated build/bench/receive_bench [files] [rounds] [side]
// (side: rows and columns of each slice).

#include "dcmServer.h"
#include "net/LoopbackGuard.h"
#include "net_ct_series.h"
#include "net_harness.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

namespace fs = std::filesystem;

namespace {

std::atomic<size_t> g_stored{0};

void countStored(unsigned type, const char* text)
{
    if (type == dcmSDK::DCM_MSG_FILE_STORED) {
        delete reinterpret_cast<const dcmSDK::DCM_MESSAGE*>(text);
        ++g_stored;
    }
}

using Env = std::vector<std::string>;

std::vector<std::string> storescuArgs(int port, const std::vector<std::string>& files)
{
    std::vector<std::string> args = {"storescu", "-R", "127.0.0.1", std::to_string(port)};
    args.insert(args.end(), files.begin(), files.end());
    return args;
}

/// Seconds for `peers` storescu processes at once, each with its share of the files, to
/// our receiver, until every file is reported.
double timeOurs(const std::string& work, const std::vector<std::string>& files, const Env& env, int peers = 1)
{
    std::string root = work + "/ours/";
    fs::remove_all(root);
    fs::create_directories(root);
    int port = nettest::freePort();
    dcmSDK::dcmServer server;
    server.setRoot(root);
    server.setPort("127.0.0.1", port, "QPSTORE");
    if (!server.BeginDicomServer())
        return -1;
    g_stored = 0;
    auto t0 = std::chrono::steady_clock::now();
    std::vector<std::unique_ptr<nettest::Process>> scus;
    for (int p = 0; p < peers; ++p) {
        std::vector<std::string> share;
        for (size_t i = p; i < files.size(); i += peers)
            share.push_back(files[i]);
        scus.emplace_back(new nettest::Process(storescuArgs(port, share),
                                               work + "/storescu" + std::to_string(p) + ".log", env));
    }
    for (auto& scu : scus)
        if (scu->wait(600) != 0)
            return -1;
    while (g_stored.load() < files.size())
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    server.StopDicomServer();
    return s;
}

/// Seconds for the same transfer to DCMTK's storescp (it answers each file once written);
/// storescp runs with the same environment as its peer.
double timeStorescp(const std::string& work, const std::vector<std::string>& files, const Env& env)
{
    std::string out = work + "/storescp";
    fs::remove_all(out);
    fs::create_directories(out);
    int port = nettest::freePort();
    nettest::Process scp({"storescp", "-od", out, std::to_string(port)}, work + "/storescp.log", env);
    if (!nettest::waitForListener(port))
        return -1;
    auto t0 = std::chrono::steady_clock::now();
    nettest::Process scu(storescuArgs(port, files), work + "/storescu.log", env);
    if (scu.wait(600) != 0)
        return -1;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    const char* isolated = std::getenv("QP_ISOLATED");
    if (!isolated || std::string(isolated) != "1") {
        std::fprintf(stderr, "receive_bench opens network ports: run it as scripts/run-isolated %s\n", argv[0]);
        return 2;
    }
    dcmSDK::LoopbackGuard::setEnforced(true);
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    const int side = argc > 3 ? std::max(8, std::atoi(argv[3])) : 256;

    char templ[] = "/tmp/receive_bench-XXXXXX";
    if (!mkdtemp(templ))
        return 1;
    const std::string work = templ;
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
        scpStock.push_back(timeStorescp(work, files, stock));
        scpNoDelay.push_back(timeStorescp(work, files, noDelay));
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
    std::printf("{\"files\":%d,\"side\":%d,\"mb\":%.1f,"
                "\"stock_files_per_s\":%.1f,\"nodelay_files_per_s\":%.1f,\"stock_%d_peers_files_per_s\":%.1f,"
                "\"storescp_stock_files_per_s\":%.1f,\"storescp_nodelay_files_per_s\":%.1f,"
                "\"stock_to_nodelay\":%.3f}\n",
                count, side, mb, count / seconds[0], count / seconds[1], kPeers, count / seconds[2],
                count / seconds[3], count / seconds[4], seconds[1] / seconds[0]);
    return 0;
}
