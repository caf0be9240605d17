#pragma once
// The DICOM service on a store of the benchmark's own: opening it on a writable folder, a clean
// empty store, row counts under the store's lock, and files sent to it and indexed.

#include "bench/common/BenchRun.h"
#include "bench/common/MainLoop.h"
#include "bench/common/Storescu.h"

#include "db/NSDBDataModel.h"
#include "db/dicomDB.h"
#include "net/dataService.h"
#include "net_harness.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace benchcommon {

/// Points the service made next at that writable folder, with its receiver on port.
inline void aimService(const std::string& writable, int port)
{
    cocos2d::FileUtils::getInstance()->setWritablePath(writable);
    dicomDB::setReceiverPort(port);
}

/// The service, made now when there is none; null (the failure said, the service gone) when its
/// store did not open.
inline dataService* startService(const char* name)
{
    dataService* service = dataService::getInstance();
    if (!service || !service->getDB() || !service->getDB()->isOpen()) {
        std::fprintf(stderr, "%s: the store did not open\n", name);
        dataService::destroyInstance();
        return nullptr;
    }
    return service;
}

inline dataService* openService(const char* name, const std::string& writable, int port)
{
    aimService(writable, port);
    return startService(name);
}

/// A fresh, empty store under writable, closed cleanly once: the open after it finds the mark and
/// starts no walk that could pick up files placed behind the rows' back.
inline bool makeCleanEmptyStore(const char* name, const std::string& writable)
{
    freshFolder(writable);
    if (!openService(name, writable, nettest::freePort()))
        return false;
    settle();
    dataService::destroyInstance();
    settle();
    return std::filesystem::exists(dicomDB::rootFor(writable) + dicomDB::kClosedMark);
}

/// The number the query answers (a count) on the store's connection, under its lock; -1 on failure.
inline long countRows(dicomDB* db, const std::string& sql)
{
    NSUI::NSDBDataModel model;
    std::lock_guard<std::recursive_mutex> lock(db->getLock());
    if (!db->getConnection().getRecord(sql, &model) || model.getRowCount() < 1)
        return -1;
    return std::atol(model.getValue(0, 0).c_str());
}

inline long countImages(dicomDB* db)
{
    return countRows(db, "select count() from image");
}

/// One transfer to the running service.
struct Receipt {
    double oursS = -1; // from storescu's start until the last file's row was announced
    double peerS = -1; // from storescu's start until it exited
    size_t announced = 0;
    int status = -2;
};

/// Has storescu send the inputs with those options to the service's receiver on port, and runs
/// frames until `files` new rows were announced, storescu failed or ten minutes passed.
inline Receipt sendAndIndex(int port, const std::vector<std::string>& options, const std::vector<std::string>& inputs,
                            size_t files, const std::string& log)
{
    Receipt receipt;
    RowAnnouncements announced;
    std::atomic<int> status{-2};
    Clock::time_point peerEnd;
    const auto t0 = Clock::now();
    std::thread peer([&] {
        nettest::Process scu(storescuArgs(port, options, inputs), log);
        const int s = scu.wait(600);
        peerEnd = Clock::now();
        status = s;
    });
    runFramesUntil([&] { return announced.count() >= files || (status != -2 && status != 0); }, 600);
    const double ours = secondsSince(t0);
    peer.join();
    receipt.announced = announced.count();
    receipt.status = status;
    if (status == 0)
        receipt.peerS = std::chrono::duration<double>(peerEnd - t0).count();
    if (receipt.announced >= files && status == 0)
        receipt.oursS = ours;
    return receipt;
}

} // namespace benchcommon
