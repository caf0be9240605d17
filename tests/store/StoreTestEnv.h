#pragma once
// Shared pieces of the store tests: a fresh writable folder and receiver port per test, frame
// pumping, a recorder of the store's notifications, and generated DICOM series.

#include "../dicom/net_harness.h"

#include "support/TestSupport.h"
#include "cocos2d.h"
#include "db/NSDBDataModel.h"
#include "db/dicomDB.h"
#include "net/NetworkInfoProvider.h"
#include "notify/NSNotificationCenter.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace storetest {

inline void frame()
{
    cocos2d::Director::getInstance()->mainLoop(1.0f / 60.0f);
}

/// Pumps frames until done() holds; false after the time-out.
inline bool pumpUntil(const std::function<bool()>& done, double seconds = 30.0)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
        frame();
        if (done())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

/// Pumps frames for a while, for checks that something does not happen.
inline void pumpFor(double seconds)
{
    pumpUntil([] { return false; }, seconds);
}

/// A loopback "subnet" 127.0.0.0/29 seen from 127.0.0.2 in place of the machine's adapters.
class LoopbackNetwork : public NSUI::NetworkInfoProvider {
public:
    std::string hostName() override { return "storetest"; }
    std::vector<NSUI::NetworkAdapter> adapters() override { return {{"127.0.0.2", "255.255.255.248"}}; }
};

/// One notification as the store or the service posted it.
struct Posted {
    unsigned id = 0;
    std::string text;
    int intValue = 0;
    int tag = 0;
    float floatValue = 0;
    std::vector<std::vector<std::string>> rows; // the series-row model of 2001
    bool fromStore = false;
};

/// Records the posts of the given ids (registered without object, as the store posts).
class Recorder {
public:
    explicit Recorder(std::vector<unsigned> ids)
    {
        for (unsigned id : ids)
            NSUI::NSNotificationCenter::getInstance()->addObserver(
                this, nullptr,
                [this](cocos2d::Ref* sender, unsigned id, NSUI::NSNotificationData* data) {
                    Posted p;
                    p.id = id;
                    p.fromStore = sender != nullptr;
                    if (data) {
                        p.text = data->text;
                        p.intValue = data->intValue;
                        p.tag = data->tag;
                        p.floatValue = data->floatValue;
                        if (id == 2001 && data->userData) {
                            auto* model = reinterpret_cast<NSUI::NSDBDataModel*>(data->userData);
                            for (int r = 0; r < model->getRowCount(); ++r) {
                                p.rows.emplace_back();
                                for (int c = 0; c < model->getColumnCount(r); ++c)
                                    p.rows.back().push_back(model->getValue(r, c));
                            }
                        }
                    }
                    posts.push_back(p);
                },
                id);
    }
    ~Recorder() { NSUI::NSNotificationCenter::getInstance()->removeObserver(this); }

    size_t count(unsigned id) const
    {
        size_t n = 0;
        for (const Posted& p : posts)
            n += p.id == id;
        return n;
    }
    std::vector<Posted> of(unsigned id) const
    {
        std::vector<Posted> out;
        for (const Posted& p : posts)
            if (p.id == id)
                out.push_back(p);
        return out;
    }

    std::vector<Posted> posts;
};

/// A fresh writable folder (the store lands in its "qp/dicom/") for each test.
class StoreFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        cocos2d::FileUtils::getInstance()->setWritablePath(_dir.path() + "/");
        NSUI::NSNotificationCenter::getInstance();
        // The centre delivers from its first tick on, half a second after it was scheduled.
        cocos2d::Director::getInstance()->mainLoop(0.6f);
    }
    void TearDown() override { cocos2d::FileUtils::getInstance()->setWritablePath(""); }

    std::string writable() const { return _dir.path() + "/"; }
    std::string storeRoot() const { return writable() + "qp/dicom/"; }
    std::string scratch(const std::string& name) const
    {
        std::string path = _dir.path() + "/scratch/" + name;
        std::filesystem::create_directories(path);
        return path;
    }

private:
    qptest::TempDir _dir;
};

/// Runs the sample-data maker; the arguments follow the program name.
inline bool makeSeries(const std::vector<std::string>& args)
{
    std::vector<std::string> argv = {qptest::binaryDir() + "/tools/samplemaker"};
    argv.insert(argv.end(), args.begin(), args.end());
    qptest::TempDir logs;
    nettest::Process maker(argv, logs.file("samplemaker.log"));
    return maker.started() && maker.wait(120) == 0;
}

/// The first value a query gives on the store's connection, read under the store's lock.
inline std::string firstValue(dicomDB* store, const std::string& sql)
{
    NSUI::NSDBDataModel rows;
    std::lock_guard<std::recursive_mutex> lock(store->getLock());
    EXPECT_TRUE(store->getConnection().getRecord(sql, &rows)) << sql;
    return rows.getValue(0, 0);
}

/// A query's rows as texts.
inline std::vector<std::vector<std::string>> rowsOf(const NSUI::NSDBDataModel& model)
{
    std::vector<std::vector<std::string>> rows;
    for (int r = 0; r < model.getRowCount(); ++r) {
        rows.emplace_back();
        for (int c = 0; c < model.getColumnCount(r); ++c)
            rows.back().push_back(model.getValue(r, c));
    }
    return rows;
}

} // namespace storetest
