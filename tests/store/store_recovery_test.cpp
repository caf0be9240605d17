// Files the store has filed keep their rows however the program ends: a close indexes what was
// handed over, the open after a kill finds the files without rows, a record filed as the
// receiver starts is taken in, and a second store on an owned folder leaves it alone.

#include "StoreTestEnv.h"

#include "DCM_MESSAGE.h"
#include "db/DcmMessageData.h"
#include "db/dicomDB.h"
#include "dcmCallbacks.h"
#include "dcmFileRecord.h"
#include "net/dataService.h"
#include "notify/NSNotificationCenter.h"

#include <csignal>
#include <cstdlib>
#include <set>

using storetest::Recorder;
using storetest::StoreFixture;
namespace fs = std::filesystem;

namespace {

// The killed run works in the folder of the test that checks it: a death test's child is this
// program run again, and finds the folder here.
const char* const kKilledRunFolder = "QP_TEST_KILLED_RUN_FOLDER";

class StoreRecoveryTest : public StoreFixture {
protected:
    void SetUp() override
    {
        StoreFixture::SetUp();
        dicomDB::setReceiverPort(nettest::freePort());
    }
};

using storetest::firstValue;

// The child: places every file as the importer does, hands over the records of the first half
// (the second half stand for files whose peers were answered just before the end) and is killed
// while the worker is at them.
void placeAndKill(const std::string& writable, const std::string& series, const std::string& ownFolder)
{
    cocos2d::FileUtils::getInstance()->setWritablePath(writable);
    dicomDB* store = dicomDB::create();
    if (!store || !store->isOpen())
        _exit(3);
    std::vector<std::string> files = nettest::filesBelow(series);
    Recorder indexed({2001});
    for (size_t i = 0; i < files.size(); ++i) {
        auto* record = new dcmSDK::DCM_MESSAGE();
        if (!dcmSDK::placeFileInStore(files[i], store->getRoot(), false, *record))
            _exit(4);
        auto* data = new DcmMessageData(record);
        if (i < files.size() / 2)
            NSUI::NSNotificationCenter::getInstance()->postNotification(nullptr, 2014, data, nullptr, true);
        data->release();
    }
    storetest::pumpUntil([&] { return indexed.count(2001) > 0; });
    fs::remove_all(ownFolder);
    raise(SIGKILL);
}

TEST_F(StoreRecoveryTest, AfterAKillEveryFiledImageGetsOneRowAndItsSeriesCachesGo)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const char* inherited = std::getenv(kKilledRunFolder);
    const std::string folder = inherited ? inherited : writable();
    const std::string series = folder + "series";
    if (!inherited) {
        ASSERT_TRUE(storetest::makeSeries({"--patient", "KILL^CT", "--id", "K1", "--ct", "32x32x40", series + "/ct"}));
        ASSERT_TRUE(storetest::makeSeries({"--patient", "KILL^MR", "--id", "K2", "--mr", "16x16x6", series + "/mr"}));
        setenv(kKilledRunFolder, folder.c_str(), 1);
    }
    EXPECT_EXIT(placeAndKill(folder, series, writable()), ::testing::KilledBySignal(SIGKILL), "");
    unsetenv(kKilledRunFolder);

    const std::vector<std::string> placed = [&] {
        std::vector<std::string> files;
        for (const std::string& file : nettest::filesBelow(storeRoot()))
            if (file.find("/.incoming/") == std::string::npos && fs::path(file).filename().string().rfind("dicomDB", 0) != 0)
                files.push_back(file);
        return files;
    }();
    ASSERT_EQ(placed.size(), 46u);
    // A preview of the series as it was before the kill.
    const std::string preview = fs::path(placed.back()).parent_path().string() + "/thrumb0";
    qptest::writeFile(preview, "old picture");

    dicomDB* store = dicomDB::create();
    ASSERT_NE(store, nullptr);
    EXPECT_TRUE(store->walksForFilesWithoutRows());
    ASSERT_TRUE(storetest::pumpUntil([&] { return firstValue(store, "select count() from image") == "46"; }))
        << firstValue(store, "select count() from image") << " rows";
    EXPECT_EQ(firstValue(store, "select count(distinct imageUID) from image"), "46");
    std::set<std::string> named;
    {
        NSUI::NSDBDataModel rows;
        std::lock_guard<std::recursive_mutex> lock(store->getLock());
        ASSERT_TRUE(store->getConnection().getRecord("select path,file from series,image where image.seriesID=series.ID",
                                                     &rows));
        for (auto& row : storetest::rowsOf(rows))
            named.insert(fs::path(storeRoot() + row[0] + "/" + row[1]).lexically_normal().string());
    }
    for (const std::string& file : placed)
        EXPECT_TRUE(named.count(fs::path(file).lexically_normal().string())) << file << " has no row";
    EXPECT_FALSE(fs::exists(preview));

    // A clean close leaves nothing to look for.
    store->stop();
    store->release();
    store = dicomDB::create();
    ASSERT_NE(store, nullptr);
    EXPECT_FALSE(store->walksForFilesWithoutRows());
    EXPECT_EQ(firstValue(store, "select count() from image"), "46");
    store->release();
}

// A file no one here wrote.
const char* const kForeignFile = "/usr/lib/python3/dist-packages/pydicom/data/test_files/CT_small.dcm";

// The receiver stand-in: from inside its start it files one object and hands its record on,
// as the real receiver does for an object that arrives the moment the port opens.
void fileOneObjectAtStart(unsigned type, const char*)
{
    if (type != dcmSDK::DCM_MSG_RECEIVER_STARTED)
        return;
    auto* record = new dcmSDK::DCM_MESSAGE();
    const std::string root = dicomDB::rootFor(cocos2d::FileUtils::getInstance()->getWritablePath());
    if (!dcmSDK::placeFileInStore(kForeignFile, root, false, *record)) {
        delete record;
        ADD_FAILURE() << "the stand-in could not file " << kForeignFile;
        return;
    }
    dataService::onDcmMessage(dcmSDK::DCM_MSG_FILE_STORED, reinterpret_cast<const char*>(record));
}

TEST_F(StoreRecoveryTest, ARecordFiledAsTheReceiverStartsHasItsRowAfterACleanCloseAndTheNextOpen)
{
    dcmSDK::setMsgCallback(&fileOneObjectAtStart);
    dicomDB* store = dicomDB::create();
    dcmSDK::setMsgCallback(nullptr);
    ASSERT_NE(store, nullptr);
    ASSERT_TRUE(store->isOpen());
    store->stop();
    store->release();

    store = dicomDB::create();
    ASSERT_NE(store, nullptr);
    EXPECT_FALSE(store->walksForFilesWithoutRows());
    EXPECT_EQ(firstValue(store, "select count() from image"), "1");
    store->release();
}

// One open store owns a folder. A second one, as a second running workstation opens it, opens
// nothing: no mark taken or written, no walk, no row; the owner's close is as it was.
TEST_F(StoreRecoveryTest, ASecondStoreOnAnOwnedFolderOpensNothingAndLeavesTheOwnersCloseAsItWas)
{
    dicomDB* owner = dicomDB::create();
    ASSERT_NE(owner, nullptr);
    ASSERT_TRUE(owner->isOpen());
    EXPECT_FALSE(owner->isInUseElsewhere());
    auto* record = new dcmSDK::DCM_MESSAGE();
    ASSERT_TRUE(dcmSDK::placeFileInStore(kForeignFile, owner->getRoot(), false, *record));
    owner->queueFileRecord(record, nullptr);
    ASSERT_TRUE(storetest::pumpUntil([&] { return firstValue(owner, "select count() from image") == "1"; }));

    dicomDB* second = dicomDB::create();
    ASSERT_NE(second, nullptr);
    EXPECT_FALSE(second->isOpen());
    EXPECT_TRUE(second->isInUseElsewhere());
    EXPECT_FALSE(second->walksForFilesWithoutRows());
    second->stop();
    second->release();
    EXPECT_FALSE(fs::exists(storeRoot() + dicomDB::kClosedMark));
    EXPECT_EQ(firstValue(owner, "select count() from image"), "1");

    owner->stop();
    owner->release();
    EXPECT_TRUE(fs::exists(storeRoot() + dicomDB::kClosedMark));
    owner = dicomDB::create();
    ASSERT_NE(owner, nullptr);
    EXPECT_TRUE(owner->isOpen());
    EXPECT_FALSE(owner->walksForFilesWithoutRows());
    EXPECT_EQ(firstValue(owner, "select count() from image"), "1");
    owner->release();
}

// The child: owns the store in the folder and is killed holding it.
void openAndKill(const std::string& writable)
{
    cocos2d::FileUtils::getInstance()->setWritablePath(writable);
    dicomDB* store = dicomDB::create();
    if (!store || !store->isOpen())
        _exit(3);
    raise(SIGKILL);
}

// The system drops a killed owner's lock: the next start owns the folder at once.
TEST_F(StoreRecoveryTest, AKilledOwnersFolderOpensAgainAtOnce)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const char* inherited = std::getenv(kKilledRunFolder);
    const std::string folder = inherited ? inherited : writable();
    if (!inherited)
        setenv(kKilledRunFolder, folder.c_str(), 1);
    EXPECT_EXIT(openAndKill(folder), ::testing::KilledBySignal(SIGKILL), "");
    unsetenv(kKilledRunFolder);

    dicomDB* store = dicomDB::create();
    ASSERT_NE(store, nullptr);
    EXPECT_TRUE(store->isOpen());
    EXPECT_FALSE(store->isInUseElsewhere());
    store->release();
}

} // namespace
