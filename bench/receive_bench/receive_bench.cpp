// Sends a generated CT series with storescu to our receiver and to DCMTK's storescp on
// loopback, and prints both rates as one JSON line. Run it inside the private network
// namespace: scripts/run-isolated build/bench/receive_bench [files] [rounds]

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

std::vector<std::string> storescuArgs(int port, const std::vector<std::string>& files)
{
    std::vector<std::string> args = {"storescu", "-R", "127.0.0.1", std::to_string(port)};
    args.insert(args.end(), files.begin(), files.end());
    return args;
}

/// Seconds for one storescu run of all files to our receiver, until every file is reported.
double timeOurs(const std::string& work, const std::vector<std::string>& files)
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
    nettest::Process scu(storescuArgs(port, files), work + "/storescu.log");
    if (scu.wait(600) != 0)
        return -1;
    while (g_stored.load() < files.size())
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    server.StopDicomServer();
    return s;
}

/// Seconds for the same transfer to DCMTK's storescp (it answers each file once written).
double timeStorescp(const std::string& work, const std::vector<std::string>& files)
{
    std::string out = work + "/storescp";
    fs::remove_all(out);
    fs::create_directories(out);
    int port = nettest::freePort();
    nettest::Process scp({"storescp", "-od", out, std::to_string(port)}, work + "/storescp.log");
    if (!nettest::waitForListener(port))
        return -1;
    auto t0 = std::chrono::steady_clock::now();
    nettest::Process scu(storescuArgs(port, files), work + "/storescu.log");
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
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 400;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;

    char templ[] = "/tmp/receive_bench-XXXXXX";
    if (!mkdtemp(templ))
        return 1;
    const std::string work = templ;
    fs::create_directories(work + "/series");
    nettest::CtSeriesShape shape;
    shape.count = count;
    shape.rows = 512;
    shape.columns = 512;
    std::vector<std::string> files = nettest::writeCtSeries(work + "/series", shape);
    if (files.size() != static_cast<size_t>(count)) {
        std::fprintf(stderr, "receive_bench: cannot write the series\n");
        return 1;
    }
    uintmax_t bytes = 0;
    for (const std::string& f : files)
        bytes += fs::file_size(f);

    dcmSDK::setMsgCallback(countStored);
    // Our receiver sets TCP_NODELAY=1 in the environment, so storescp and storescu get it too.
    std::vector<double> ours, theirs;
    for (int r = 0; r < rounds; ++r) {
        ours.push_back(timeOurs(work, files));
        theirs.push_back(timeStorescp(work, files));
    }
    fs::remove_all(work);
    const double a = median(ours), b = median(theirs);
    if (a <= 0 || b <= 0) {
        std::fprintf(stderr, "receive_bench: a transfer failed (ours %.3f s, storescp %.3f s)\n", a, b);
        return 1;
    }
    const double mb = static_cast<double>(bytes) / (1024.0 * 1024.0);
    std::printf("{\"files\":%d,\"files_per_s\":%.1f,\"mb_per_s\":%.1f,\"seconds\":%.3f,"
                "\"storescp_files_per_s\":%.1f,\"storescp_mb_per_s\":%.1f,\"storescp_seconds\":%.3f,"
                "\"ratio\":%.3f}\n",
                count, count / a, mb / a, a, count / b, mb / b, b, b / a);
    return 0;
}
