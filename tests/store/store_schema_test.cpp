// Creating, opening and upgrading the store file, and what that means for the receiver.

#include "StoreTestEnv.h"

#include "db/NSDBUtil.h"
#include "db/StoreQueries.h"
#include "db/StoreSchema.h"
#include "db/dicomDB.h"

using storetest::StoreFixture;

namespace {

class StoreSchemaTest : public StoreFixture {
protected:
    void SetUp() override
    {
        StoreFixture::SetUp();
        dicomDB::setReceiverPort(nettest::freePort());
    }
    void TearDown() override
    {
        if (_store)
            _store->release();
        StoreFixture::TearDown();
    }
    dicomDB* open()
    {
        _store = dicomDB::create();
        return _store;
    }
    std::string query(const std::string& sql)
    {
        NSUI::NSDBDataModel rows;
        std::lock_guard<std::recursive_mutex> lock(_store->getLock());
        EXPECT_TRUE(_store->getConnection().getRecord(sql, &rows)) << sql;
        std::string out;
        for (auto& row : storetest::rowsOf(rows))
            for (auto& cell : row)
                out += cell + "|";
        return out;
    }

    // Waits until the worker has run its first request, which makes the indexes.
    void waitForIndexes()
    {
        bool answered = false;
        _store->requestFavorites([&](NSUI::NSDBDataModel*) { answered = true; }, true);
        ASSERT_TRUE(storetest::pumpUntil([&] { return answered; }));
    }
    // The tables that a query plan names as read whole ("SCAN t", also through an index), in
    // the plan's order, and the tables it looks up by key ("SEARCH t").
    void plan(const std::string& sql, std::vector<std::string>& scanned, std::vector<std::string>& searched)
    {
        NSUI::NSDBDataModel rows;
        std::lock_guard<std::recursive_mutex> lock(_store->getLock());
        ASSERT_TRUE(_store->getConnection().getRecord("explain query plan " + sql, &rows)) << sql;
        for (const auto& row : storetest::rowsOf(rows)) {
            const std::string& detail = row.back();
            for (const char* table : {"patient", "study", "series", "image"}) {
                if (detail.rfind(std::string("SCAN ") + table, 0) == 0)
                    scanned.push_back(table);
                if (detail.rfind(std::string("SEARCH ") + table, 0) == 0)
                    searched.push_back(table);
            }
        }
    }

    dicomDB* _store = nullptr;
};

TEST_F(StoreSchemaTest, FreshStoreHasEveryTableWithItsExactStatementAndVersionFour)
{
    ASSERT_NE(open(), nullptr);
    EXPECT_TRUE(_store->isOpen());
    EXPECT_EQ(_store->getRoot(), storeRoot());
    for (const StoreTable& table : storeTables()) {
        // SQLite keeps the statement as written, upper-casing only its first two words.
        std::string statement = table.statement;
        std::string expected = "CREATE TABLE" + statement.substr(12, statement.size() - 13) + "|";
        EXPECT_EQ(query("select sql from sqlite_master where type='table' and name='" + std::string(table.name) + "'"),
                  expected);
    }
    EXPECT_EQ(storeTables().size(), 8u);
    EXPECT_EQ(query("select version from version"), "4|");
    // An opened store receives.
    EXPECT_TRUE(nettest::waitForListener(dicomDB::getReceiverPort(), 5));
}

TEST_F(StoreSchemaTest, OlderFileGetsItsMissingTablesAndVersionKeepingItsRows)
{
    std::filesystem::create_directories(storeRoot());
    {
        NSUI::NSDBUtil old;
        ASSERT_TRUE(old.openDB((storeRoot() + "dicomDB").c_str()));
        ASSERT_TRUE(old.executeSQL(storeTables()[0].statement));
        ASSERT_TRUE(old.executeSQL("insert into version(version) values (2)"));
        ASSERT_TRUE(old.executeSQL(storeTables()[1].statement));
        ASSERT_TRUE(old.executeSQL("insert into patient(name,sex,birthday,patientIDHospital,updateTime) values "
                                   "('OLD^ROW','M','19500101','P1','2020-01-01 00:00:00')"));
    }
    ASSERT_NE(open(), nullptr);
    EXPECT_TRUE(_store->isOpen());
    EXPECT_EQ(query("select version from version"), "4|");
    EXPECT_EQ(query("select name,patientIDHospital from patient"), "OLD^ROW|P1|");
    EXPECT_EQ(query("select count() from sqlite_master where type='table' and name in "
                    "('study','series','image','neighbor','favorite','favoriteDetail')"),
              "6|");
}

// A store made before the indexes existed gets them at its first open; its tables and rows stay
// exactly as they were.
TEST_F(StoreSchemaTest, OlderStoreGetsItsIndexesAtTheFirstOpenWithTablesAndRowsUntouched)
{
    auto dump = [](NSUI::NSDBUtil& db) {
        std::string text;
        NSUI::NSDBDataModel rows;
        for (std::string sql : {"select name,sql from sqlite_master where type='table' order by name",
                                "select * from patient", "select * from study", "select * from series",
                                "select * from image order by ID"}) {
            EXPECT_TRUE(db.getRecord(sql, &rows)) << sql;
            for (auto& row : storetest::rowsOf(rows))
                for (auto& cell : row)
                    text += cell + "|";
        }
        return text;
    };
    std::filesystem::create_directories(storeRoot());
    std::string before;
    {
        NSUI::NSDBUtil old;
        ASSERT_TRUE(old.openDB((storeRoot() + "dicomDB").c_str()));
        for (const StoreTable& table : storeTables())
            ASSERT_TRUE(old.executeSQL(table.statement));
        ASSERT_TRUE(old.executeSQL(
            "insert into version(version) values (4);"
            "insert into patient(name,sex,birthday,patientIDHospital,updateTime) values ('OLD^ROW','M','1950','P1','t');"
            "insert into study(patientID,studyUID,updateTime) values (1,'1.2','t');"
            "insert into series(studyID,seriesUID,path,updateTime) values (1,'1.2.3','OLD^ROW_P1/1.2/1.2.3/','t');"
            "insert into image(seriesID,imageUID,instanceID,file) values (1,'1.2.3.4','1','1.2.3.4'),(1,'1.2.3.5','2','x')"));
        before = dump(old);
    }
    ASSERT_NE(open(), nullptr);
    waitForIndexes();
    EXPECT_EQ(query("select count() from sqlite_master where type='index' and name in ('patient_by_name',"
                    "'study_by_patient','study_by_uid','series_by_study','series_by_uid','image_by_series')"),
              "6|");
    std::lock_guard<std::recursive_mutex> lock(_store->getLock());
    EXPECT_EQ(dump(_store->getConnection()), before);
    EXPECT_NE(before.find("2|1|1.2.3.5|2|x|"), std::string::npos);
}

// Every look-up by a row ID or UID reads no whole table; the whole-store passes of the patient
// list read only the table they start from, and join the rest by key.
TEST_F(StoreSchemaTest, NoQueryReadsAWholeTableItLooksUpOrJoins)
{
    ASSERT_NE(open(), nullptr);
    waitForIndexes();
    for (const char* sql : StoreQueries::keyedQueries()) {
        std::vector<std::string> scanned, searched;
        plan(sql, scanned, searched);
        EXPECT_TRUE(scanned.empty()) << sql << " reads " << scanned.front() << " whole";
        EXPECT_FALSE(searched.empty()) << sql;
    }
    for (const char* sql : StoreQueries::wholeStoreQueries()) {
        std::vector<std::string> scanned, searched;
        plan(sql, scanned, searched);
        EXPECT_EQ(scanned.size(), 1u) << sql;
    }
}

TEST_F(StoreSchemaTest, VersionTableWithoutRowFailsTheOpenAndNoReceiverStarts)
{
    std::filesystem::create_directories(storeRoot());
    {
        NSUI::NSDBUtil old;
        ASSERT_TRUE(old.openDB((storeRoot() + "dicomDB").c_str()));
        ASSERT_TRUE(old.executeSQL(storeTables()[0].statement));
    }
    ASSERT_NE(open(), nullptr);
    EXPECT_FALSE(_store->isOpen());
    // Files received now would be acknowledged and never indexed, so nothing listens.
    EXPECT_FALSE(nettest::waitForListener(dicomDB::getReceiverPort(), 1.0));
    bool called = false;
    _store->requestPatients([&](NSUI::NSDBDataModel*) { called = true; });
    storetest::pumpFor(0.2);
    EXPECT_FALSE(called);
    EXPECT_EQ(_store->addCaptureFavorite(writable() + "x.jpg", 1.0f), -1);
}

} // namespace
