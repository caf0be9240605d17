// Usage statistics against the loopback service: the schema upgrade, what an upload carries,
// and that only an explicit success deletes rows.

#include "OnlineFixture.h"

#include "db/NSDBUtil.h"
#include "http/UIHttpResponse.h"
#include "json/UIJson.h"
#include "stat/statApplication.h"
#include "util/TimeUtils.h"

#include <ctime>

using NSUI::NSDBDataModel;
using NSUI::NSDBUtil;
using NSUI::UIJson;

namespace {

// The local date-time text of a moment `days` days before now.
std::string daysAgo(int days, const char* clock) {
    std::time_t then = std::time(nullptr) - days * 86400;
    std::tm local{};
    localtime_r(&then, &local);
    char text[32];
    std::strftime(text, sizeof(text), "%Y-%m-%d ", &local);
    return text + std::string(clock);
}

class UsageStats : public qptest::OnlineFixture {
protected:
    void SetUp() override {
        OnlineFixture::SetUp();
        std::string path = statApplication::databasePath();
        std::remove(path.c_str());
        cocos2d::FileUtils::getInstance()->createDirectory(path.substr(0, path.rfind('/')));
    }
    void TearDown() override {
        statApplication::destroyInstance();
        OnlineFixture::TearDown();
    }

    /// Runs SQL on the statistics file through a connection of the test's own.
    NSDBDataModel query(const std::string& sql) {
        NSDBUtil db;
        NSDBDataModel rows;
        EXPECT_TRUE(db.openDB(statApplication::databasePath().c_str()));
        EXPECT_TRUE(db.getRecord(sql, &rows)) << sql;
        return rows;
    }
    int rowCount() { return std::atoi(query("select count(*) from stat").getValue(0, 0).c_str()); }
};

TEST_F(UsageStats, AnOldDatabaseIsRaisedToVersionOneAndAnEmptyVersionTableStopsTheOpening) {
    query("create table version (ID integer primary key autoincrement,version integer);"
          "insert into version(version) values (0)");
    statApplication::getInstance()->start();
    EXPECT_EQ("1", query("select version from version").getValue(0, 0));
    EXPECT_EQ(1, query("select name from sqlite_master where name='stat'").getRowCount());

    statApplication::destroyInstance();
    std::remove(statApplication::databasePath().c_str());
    query("create table version (ID integer primary key autoincrement,version integer)");
    statApplication::getInstance()->start();
    EXPECT_EQ(0, query("select name from sqlite_master where name='stat'").getRowCount());
}

TEST_F(UsageStats, UploadCarriesEarlierDaysAndOnlyAnExplicitSuccessDeletesThem) {
    query("create table version (ID integer primary key autoincrement,version integer);"
          "insert into version(version) values (1);"
          "create table stat (ID integer primary key autoincrement,type integer,statTime  datetime);"
          "insert into stat(type,statTime) values (3,\"" + daysAgo(1, "08:00:00") + "\");"
          "insert into stat(type,statTime) values (4,\"" + daysAgo(1, "09:30:00") + "\");"
          "insert into stat(type,statTime) values (15,\"" + daysAgo(1, "23:59:59") + "\");"
          "insert into stat(type,statTime) values (5,\"" + daysAgo(0, "00:00:00") + "\");"
          "insert into stat(type,statTime) values (6,\"" + getCurrentTimeString() + "\")");
    // The address comes padded: it is trimmed.
    server.setUploadAddress(" \t" + server.baseURL() + testserver::TestServer::kUploadPath + "\n");
    statApplication* stats = statApplication::getInstance();
    stats->start();
    ASSERT_EQ(5, rowCount());
    runUntil([&] { return stats->isUploading(); });
    // A launch while the upload is on its way sends no second one.
    stats->recordStat(statApplication::kLaunch);
    runUntil([&] { return !stats->isUploading(); });

    auto uploads = server.requests(testserver::TestServer::kUploadPath);
    ASSERT_EQ(1u, uploads.size());
    const std::string& json = uploads[0].json;
    EXPECT_EQ("3", UIJson::getJsonString(json, "number"));
    EXPECT_EQ(AppConfig::getInstance()->getAppIdentifier(), UIJson::getJsonString(json, "appid"));
    EXPECT_EQ("15", UIJson::getJsonString(json, "type2"));
    EXPECT_EQ(daysAgo(1, "23:59:59"), UIJson::getJsonString(json, "time2"));
    EXPECT_EQ("", UIJson::getJsonString(json, "type3", ""));
    // Status 0 deleted exactly the three: today's two and the launch remain.
    EXPECT_EQ(3, rowCount());
    EXPECT_EQ(0, query("select ID from stat where statTime<\"" + daysAgo(0, "00:00:00") + "\"").getRowCount());

    // Rows of earlier days again; every failed or unclear answer keeps all of them.
    query("insert into stat(type,statTime) values (7,\"" + daysAgo(2, "10:00:00") + "\")");
    testserver::Fault broken, dropped, refused, silent;
    broken.httpStatus = 500;
    dropped.drop = true;
    refused.replyStatus = "1";
    silent.omitStatus = true;
    for (const auto& fault : {broken, dropped, refused, silent}) {
        int before = rowCount();
        server.addFault(testserver::TestServer::kUploadPath, fault);
        stats->recordStat(statApplication::kForeground);
        EXPECT_TRUE(stats->isUploading());
        runUntil([&] { return !stats->isUploading(); });
        EXPECT_EQ(before + 1, rowCount());
    }
    EXPECT_EQ(5u, server.requestCount(testserver::TestServer::kUploadPath));

    // Screens' records upload nothing.
    stats->recordStat(5);
    EXPECT_FALSE(stats->isUploading());
}

TEST_F(UsageStats, OnlyAWebAddressIsTakenForUploads) {
    statApplication* stats = statApplication::getInstance();
    auto reply = [&](const std::string& address) {
        NSUI::UIHttpResponse response;
        response.tag = "getStatUrl";
        response.success = true;
        response.status = 200;
        response.body = cocos2d::safeBase64Encode(address);
        stats->onHttpResponse(&response);
        return stats->getUploadAddress();
    };
    EXPECT_EQ("", reply("file:///etc/passwd"));
    EXPECT_EQ("", reply("ftp://127.0.0.1/up"));
    EXPECT_EQ("", reply("http://127.0.0.1/a b"));
    EXPECT_EQ("", reply("http://"));
    EXPECT_EQ("HTTPS://127.0.0.1/up", reply(" HTTPS://127.0.0.1/up\r\n"));
}

} // namespace
