// Creating, opening and upgrading the store file, and what that means for the receiver.

#include "StoreTestEnv.h"

#include "db/NSDBUtil.h"
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
