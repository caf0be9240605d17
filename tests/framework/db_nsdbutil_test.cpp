// SQLite wrapper: tables, text results, bound parameters and transactions under a held lock.

#include "db/NSDBUtil.h"
#include "support/TestSupport.h"

#include <chrono>
#include <gtest/gtest.h>
#include <thread>

using NSUI::NSDBDataModel;
using NSUI::NSDBUtil;

namespace {

class DBFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = dir.file("test.db");
        ASSERT_TRUE(db.openDB(path.c_str()));
        ASSERT_TRUE(db.createTable("create table t(id integer primary key, name text, v real);", "t"));
    }

    qptest::TempDir dir;
    std::string path;
    NSDBUtil db;
    NSDBDataModel model;
};

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

TEST_F(DBFixture, TextResultsWithNullAsNone)
{
    ASSERT_TRUE(db.executeSQL("insert into t(name, v) values ('a', 1.5); insert into t(name) values (NULL);"));
    ASSERT_TRUE(db.getRecord("select id, name, v from t order by id;", &model));
    ASSERT_EQ(model.getRowCount(), 2);
    EXPECT_EQ(model.getColumnCount(0), 3);
    EXPECT_EQ(model.getValue(0, 1), "a");
    EXPECT_EQ(model.getValue(0, 2), "1.5");
    EXPECT_EQ(model.getValue(1, 1), "None");
    EXPECT_EQ(model.getValue(1, 2), "None");
    EXPECT_EQ(model.getValue(5, 0), "");
    EXPECT_EQ(model.getColumnCount(-1), 0);

    // A query without rows succeeds and leaves the model empty (even if it held rows).
    ASSERT_TRUE(db.getRecord("select * from t where id < 0;", &model));
    EXPECT_EQ(model.getRowCount(), 0);
}

TEST_F(DBFixture, TablesExistCreateAndDrop)
{
    EXPECT_TRUE(db.isTableExist("t"));
    EXPECT_FALSE(db.isTableExist("missing"));
    EXPECT_TRUE(db.deleteTable("missing"));
    ASSERT_TRUE(db.executeSQL("insert into t(name) values ('x');"));
    // Creating again drops the old rows.
    ASSERT_TRUE(db.createTable("create table t(id integer primary key, name text);", "t"));
    ASSERT_TRUE(db.getRecord("select count(*) from t;", &model));
    EXPECT_EQ(model.getValue(0, 0), "0");
    EXPECT_FALSE(db.executeSQL("not sql at all;"));
    EXPECT_NE(db.getLastResult(), 0);
    EXPECT_FALSE(db.getLastError().empty());
}

TEST_F(DBFixture, BoundParametersKeepHostileTextAsData)
{
    const std::string hostile = "x'); drop table t; -- \"quoted\" \xC3\xA9";
    ASSERT_TRUE(db.executeSQL("insert into t(name, v) values (?, ?);", {hostile, 2.25}));
    ASSERT_TRUE(db.executeSQL("insert into t(name, v) values (?, ?);", {NSUI::NSDBValue(), 7}));
    EXPECT_TRUE(db.isTableExist("t"));
    ASSERT_TRUE(db.getRecord("select name, v from t where name = ?;", {hostile}, &model));
    ASSERT_EQ(model.getRowCount(), 1);
    EXPECT_EQ(model.getValue(0, 0), hostile);
    EXPECT_EQ(model.getValue(0, 1), "2.25");
    ASSERT_TRUE(db.getRecord("select name, v from t where v = ?;", {7}, &model));
    ASSERT_EQ(model.getRowCount(), 1);
    EXPECT_EQ(model.getValue(0, 0), "None");

    // Wrong parameter count and a second statement are refused, nothing runs.
    EXPECT_FALSE(db.executeSQL("insert into t(name) values (?);", {}));
    EXPECT_FALSE(db.executeSQL("insert into t(name) values (?); drop table t;", {"a"}));
    EXPECT_TRUE(db.isTableExist("t"));
    ASSERT_TRUE(db.getRecord("select count(*) from t;", &model));
    EXPECT_EQ(model.getValue(0, 0), "2");
}

TEST_F(DBFixture, CommitKeepsRollbackDiscards)
{
    ASSERT_TRUE(db.beginTransaction());
    ASSERT_TRUE(db.executeSQL("insert into t(name) values ('kept');"));
    ASSERT_TRUE(db.commitTransaction());
    ASSERT_TRUE(db.beginTransaction());
    ASSERT_TRUE(db.executeSQL("insert into t(name) values ('dropped');"));
    ASSERT_TRUE(db.rollbackTransaction());
    ASSERT_TRUE(db.getRecord("select name from t;", &model));
    ASSERT_EQ(model.getRowCount(), 1);
    EXPECT_EQ(model.getValue(0, 0), "kept");

    // A begin inside an open transaction is no busy database: it fails without waiting.
    ASSERT_TRUE(db.beginTransaction());
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(db.beginTransaction());
    EXPECT_LT(secondsSince(start), 0.5);
    EXPECT_TRUE(db.rollbackTransaction());
}

TEST_F(DBFixture, BeginWaitsForALockHeldOneSecond)
{
    NSDBUtil other;
    ASSERT_TRUE(other.openDB(path.c_str()));
    ASSERT_TRUE(other.beginTransaction());
    std::thread holder([&other] {
        std::this_thread::sleep_for(std::chrono::seconds(1));
        other.commitTransaction();
    });
    auto start = std::chrono::steady_clock::now();
    const bool begun = db.beginTransaction();
    const double waited = secondsSince(start);
    holder.join();
    ASSERT_TRUE(begun);
    EXPECT_GE(waited, 0.9);
    EXPECT_LT(waited, 2.4);
    EXPECT_TRUE(db.commitTransaction());
}

TEST_F(DBFixture, BeginGivesUpAfterAboutTwoAndAHalfSeconds)
{
    NSDBUtil other;
    ASSERT_TRUE(other.openDB(path.c_str()));
    ASSERT_TRUE(other.beginTransaction());
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(db.beginTransaction());
    const double waited = secondsSince(start);
    EXPECT_GE(waited, 2.4);
    EXPECT_LT(waited, 4.0);
    EXPECT_TRUE(other.rollbackTransaction());
    EXPECT_TRUE(db.beginTransaction());
    EXPECT_TRUE(db.rollbackTransaction());
}

TEST(NSDBUtilClosed, EveryOperationFailsWithoutConnection)
{
    NSDBUtil db;
    NSDBDataModel model;
    EXPECT_FALSE(db.executeSQL("select 1;"));
    EXPECT_FALSE(db.executeSQL("select ?;", {1}));
    EXPECT_FALSE(db.getRecord("select 1;", &model));
    EXPECT_FALSE(db.isTableExist("t"));
    EXPECT_FALSE(db.deleteTable("t"));
    EXPECT_FALSE(db.beginTransaction());
    EXPECT_FALSE(db.commitTransaction());
    EXPECT_FALSE(db.rollbackTransaction());
    EXPECT_FALSE(db.openDB("/nonexistent-folder/sub/x.db"));
    EXPECT_FALSE(db.isOpen());
}

TEST(NSDBUtilReopen, OpeningAgainSwitchesDatabases)
{
    qptest::TempDir dir;
    NSDBUtil db;
    ASSERT_TRUE(db.openDB(dir.file("a.db").c_str()));
    ASSERT_TRUE(db.executeSQL("create table only_a(x);"));
    ASSERT_TRUE(db.openDB(dir.file("b.db").c_str()));
    EXPECT_FALSE(db.isTableExist("only_a"));
    ASSERT_TRUE(db.openDB(dir.file("a.db").c_str()));
    EXPECT_TRUE(db.isTableExist("only_a"));
}
