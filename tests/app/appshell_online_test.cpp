// The online services as the lifecycle drives them: the update service is renewed only when
// its sequence has ended, and the HTTP service lives on in the data manager.

#include <gtest/gtest.h>

#include "SystemServices.h"
#include "ads/adsApplication.h"
#include "data/NSDataManager.h"
#include "db/NSDBUtil.h"
#include "http/httpCenter.h"
#include "stat/statApplication.h"
#include "update/updateService.h"
#include "support/TestSupport.h"

using namespace cocos2d;

namespace {

/// An update service whose check is still under way.
class RunningUpdate : public updateService {
public:
    static RunningUpdate* create() {
        auto* service = new RunningUpdate();
        service->_running = true;
        service->autorelease();
        return service;
    }
};

class AppShellOnline : public ::testing::Test {
protected:
    void SetUp() override {
        // The update service makes its folders below the writable path.
        FileUtils::getInstance()->setWritablePath(writable.path());
        updateService::resetProcessState();
    }
    void TearDown() override {
        ADS::adsApplication::destroyInstance();
        statApplication::destroyInstance();
        NSUI::NSDataManager::getInstance()->clear();
        NSUI::NSDataManager::destroyInstance();
        Director::getInstance()->reset();
        FileUtils::getInstance()->setWritablePath("");
    }

    qptest::TempDir writable;
};

} // namespace

TEST_F(AppShellOnline, ForegroundKeepsARunningUpdateAndReplacesAFinishedOne) {
    SystemServices services;
    ADS::adsApplication* ads = ADS::adsApplication::getInstance();
    ASSERT_NE(nullptr, ads->getUpdateService()); // held from init

    RunningUpdate* running = RunningUpdate::create();
    ads->setUpdateService(running);
    services.renewUpdateService();
    EXPECT_EQ(running, ads->getUpdateService());

    // Its sequence ends: the next return to the foreground starts a new one.
    running->cleanup();
    services.renewUpdateService();
    updateService* renewed = ads->getUpdateService();
    ASSERT_NE(nullptr, renewed);
    EXPECT_NE(static_cast<updateService*>(running), renewed);

    // The new service outlives the frame's autorelease pool: the notice holds it.
    Director::getInstance()->mainLoop(1.0f / 60);
    EXPECT_EQ(1u, renewed->getReferenceCount());
    services.stopOnlineNotice();
    EXPECT_EQ(nullptr, ADS::adsApplication::peekInstance());
}

TEST_F(AppShellOnline, HttpServiceLivesInTheDataManagerUntilItIsCleared) {
    SystemServices services;
    services.startHttpService();
    Director::getInstance()->mainLoop(1.0f / 60); // drains the autorelease pool
    const auto& datas = NSUI::NSDataManager::getInstance()->getDatas();
    ASSERT_EQ(1u, datas.size());
    auto* center = dynamic_cast<httpCenter*>(datas[0]);
    ASSERT_NE(nullptr, center);
    EXPECT_TRUE(center->isEnabled());
}

TEST_F(AppShellOnline, StatisticsAreKeptOnceStarted) {
    qptest::TempDir dir;
    FileUtils::getInstance()->setWritablePath(dir.path());
    SystemServices services;
    services.recordStat(0); // before start: the database is not open yet
    services.startStatistics();
    services.recordStat(0);
    services.recordStat(2);
    services.stopStatistics();
    EXPECT_EQ(nullptr, statApplication::peekInstance());
    services.recordStat(4); // a screen leaving during shutdown does not bring them back
    EXPECT_EQ(nullptr, statApplication::peekInstance());

    NSUI::NSDBUtil db;
    NSUI::NSDBDataModel rows;
    ASSERT_TRUE(db.openDB(statApplication::databasePath().c_str()));
    ASSERT_TRUE(db.getRecord("select type from stat order by ID", &rows));
    ASSERT_EQ(2, rows.getRowCount());
    EXPECT_EQ("2", rows.getValue(1, 0));
    FileUtils::getInstance()->setWritablePath("");
}
