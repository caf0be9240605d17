// store_bench: starts the DICOM service with a temporary store on a free loopback port, has
// storescu send a generated CT series to it and measures the time until the last file was
// indexed and announced (its 2001 delivered); storescp receiving the same files is the yardstick.
// Usage (inside the network namespace): scripts/run-isolated build/bench/store_bench [files] [rounds]

#include "db/dicomDB.h"
#include "dcmCallbacks.h"
#include "net/LoopbackGuard.h"
#include "net/NetworkSetup.h"
#include "net/dataService.h"
#include "net_ct_series.h"
#include "net_harness.h"
#include "notify/NSNotificationCenter.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace fs = std::filesystem;

namespace {

std::vector<std::string> storescuArgs(int port, const std::string& folder)
{
    return {"storescu", "-R", "+sd", "127.0.0.1", std::to_string(port), folder};
}

void frame()
{
    cocos2d::Director::getInstance()->mainLoop(1.0f / 60.0f);
}

/// Seconds from the start of storescu until the last file's 2001 arrived; -1 on failure.
double timeOurs(const std::string& work, const std::string& series, size_t files)
{
    const std::string writable = work + "/writable/";
    fs::remove_all(writable);
    fs::create_directories(writable);
    cocos2d::FileUtils::getInstance()->setWritablePath(writable);
    const int port = nettest::freePort();
    dicomDB::setReceiverPort(port);
    dataService* service = dataService::getInstance();
    if (!service || !service->getDB() || !service->getDB()->isOpen() || !nettest::waitForListener(port))
        return -1;
    size_t announced = 0;
    int observer = 0;
    NSUI::NSNotificationCenter::getInstance()->addObserver(
        &observer, nullptr, [&](cocos2d::Ref*, unsigned, NSUI::NSNotificationData*) { ++announced; }, 2001);

    std::atomic<int> status{-2};
    auto t0 = std::chrono::steady_clock::now();
    std::thread peer([&] {
        nettest::Process scu(storescuArgs(port, series), work + "/storescu.log");
        status = scu.wait(600);
    });
    auto deadline = t0 + std::chrono::seconds(600);
    // Frames every 0.2 ms: fast enough that one announcement per frame never holds the count
    // back, without a spinning main loop taking a core from the receiver and the worker.
    while (announced < files && std::chrono::steady_clock::now() < deadline && (status == -2 || status == 0)) {
        frame();
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    peer.join();
    NSUI::NSNotificationCenter::getInstance()->removeObserver(&observer);
    dataService::destroyInstance();
    return announced == files && status == 0 ? seconds : -1;
}

/// Seconds for the same transfer to DCMTK's storescp (it answers each file once written).
double timeStorescp(const std::string& work, const std::string& series)
{
    const std::string out = work + "/storescp";
    fs::remove_all(out);
    fs::create_directories(out);
    const int port = nettest::freePort();
    nettest::Process scp({"storescp", "-od", out, std::to_string(port)}, work + "/storescp.log");
    if (!nettest::waitForListener(port))
        return -1;
    auto t0 = std::chrono::steady_clock::now();
    nettest::Process scu(storescuArgs(port, series), work + "/storescu.log");
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
        std::fprintf(stderr, "store_bench opens network ports: run it as scripts/run-isolated %s\n", argv[0]);
        return 2;
    }
    dcmSDK::LoopbackGuard::setEnforced(true);
    // Nagle off for every peer of this run (DCMTK reads TCP_NODELAY from the environment).
    dcmSDK::NetworkSetup::prepare();
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 400;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;

    char templ[] = "/tmp/store_bench-XXXXXX";
    if (!mkdtemp(templ))
        return 1;
    const std::string work = templ;
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
    dcmSDK::setLogCallback([](const char*) {});
    dcmSDK::setMsgCallback(&dataService::onDcmMessage);
    cocos2d::log("store_bench: %d files", count);
    // The notification centre delivers from its first tick on.
    NSUI::NSNotificationCenter::getInstance();
    cocos2d::Director::getInstance()->mainLoop(0.6f);

    std::vector<double> ours, theirs;
    for (int r = 0; r < rounds; ++r) {
        ours.push_back(timeOurs(work, series, static_cast<size_t>(count)));
        theirs.push_back(timeStorescp(work, series));
    }
    fs::remove_all(work);
    const double a = median(ours), b = median(theirs);
    if (a <= 0 || b <= 0) {
        std::fprintf(stderr, "store_bench: a transfer failed (ours %.3f s, storescp %.3f s)\n", a, b);
        return 1;
    }
    std::printf("{\"files\":%d,\"indexed_files_per_s\":%.1f,\"storescp_files_per_s\":%.1f}\n", count, count / a,
                count / b);
    return 0;
}
