// The patient list over a real store: rows from the store and its notifications, the network
// and prompt indicators, row taps and deletion, folder and archive imports, the first-run
// sample, and files sent by storescu while the list is shown.

#include "../store/StoreTestEnv.h"

#include "AppConfig.h"
#include "base/InputInjector.h"
#include "db/dicomDB.h"
#include "dcmCallbacks.h"
#include "json/UIJson.h"
#include "lang/UILocalConfig.h"
#include "net/dataService.h"
#include "overlay/NSActivity.h"
#include "patient/patientList.h"
#include "patient/patientListLinks.h"
#include "share/shareTo.h"
#include "study/StoreWorkers.h"
#include "support/GLWindowFixture.h"
#include "table/NSListView.h"
#include "table/NSTableViewCell.h"
#include "zip/ZipTool.h"

#include <mutex>
#include <set>
#include <sstream>

using namespace cocos2d;
using storetest::pumpUntil;
namespace fs = std::filesystem;

namespace {

class PatientListTest : public storetest::StoreFixture {
protected:
    void SetUp() override
    {
        // A fresh director and notification centre; the centre starts delivering half a second
        // after it is made, which the store fixture waits for.
        Director::getInstance()->reset();
        NSUI::NSNotificationCenter::destroyInstance();
        Director::getInstance()->setWinSize(Size(1280, 800));
        StoreFixture::SetUp();
        // The settings of this test's folder. The configuration marks it a first launch; the
        // tests other than the first-run one start as a later launch.
        UserDefault::destroyInstance();
        AppConfig::getInstance();
        NSUI::UILocalConfig::setStringForKey("app_init_db", "0");
        InputInjector::getInstance()->useTestClock(1000.0);
        auto* files = FileUtils::getInstance();
        _savedPaths = files->getSearchPaths();
        files->setSearchPaths({qptest::sourceDir() + "/res/layout", qptest::binaryDir(),
                               qptest::binaryDir() + "/samples"});
        NSUI::NetworkInfoProvider::setCurrent(std::make_shared<storetest::LoopbackNetwork>());
        dicomDB::setReceiverPort(nettest::freePort());
        dcmSDK::setMsgCallback(&dataService::onDcmMessage);
        _service = dataService::getInstance();
        ASSERT_TRUE(_service && _service->getDB() && _service->getDB()->isOpen());
        // The live-node count is posted here by hand.
        Director::getInstance()->getScheduler()->unschedule(dataService::kTimerKey, _service);
        patientListLinks::openStudies() = [this](const std::string& id) { _opened.push_back(id); };
    }
    void TearDown() override
    {
        patientListLinks::openStudies() = nullptr;
        patientListLinks::openShare() = nullptr;
        Director::getInstance()->reset();
        dataService::destroyInstance();
        NSUI::NetworkInfoProvider::setCurrent(nullptr);
        FileUtils::getInstance()->setSearchPaths(_savedPaths);
        InputInjector::getInstance()->reset();
        UserDefault::destroyInstance();
        NSUI::NSNotificationCenter::destroyInstance();
        StoreFixture::TearDown();
    }

    patientList* show()
    {
        Scene* scene = patientList::createScene();
        if (Director::getInstance()->getRunningScene())
            Director::getInstance()->replaceScene(scene);
        else
            Director::getInstance()->runWithScene(scene);
        storetest::frame();
        _list = nullptr;
        for (Node* child : scene->getChildren())
            if (auto* list = dynamic_cast<patientList*>(child))
                _list = list;
        EXPECT_NE(_list, nullptr);
        return _list;
    }
    int64_t rows() const { return _list->getTable()->getRowCount(); }
    /// The store's answer with one patient, row ID 7, whose folder "P7" holds nothing.
    void loadOnePatient()
    {
        NSUI::NSDBDataModel model;
        for (const char* cell : {"7", "H7", "DOE^JANE", "1970.01.02", "F", "2026-01-02 03:04:05.678", "CT chest",
                                 "P7/ST1/SE1", "2", "5", "340"})
            model.addColumn(cell);
        model.endRow();
        _list->onPatientsLoaded(&model);
    }
    bool rowsReach(int64_t n) { return pumpUntil([&] { return rows() >= n; }); }
    void frames(int n)
    {
        for (int i = 0; i < n; ++i)
            storetest::frame();
    }
    void tap(const Vec2& point)
    {
        auto* input = InputInjector::getInstance();
        input->touchBegan(0, point);
        input->frame();
        input->touchEnded(0, point);
        input->frame();
    }
    void post(unsigned id, const std::string& text, int value = 0)
    {
        auto* data = new NSUI::NSNotificationData();
        data->text = text;
        data->intValue = value;
        NSUI::NSNotificationCenter::getInstance()->postNotification(nullptr, id, data, nullptr, true);
        data->release();
        frames(2);
    }
    void execute(const std::string& sql)
    {
        std::lock_guard<std::recursive_mutex> lock(_service->getDB()->getLock());
        ASSERT_TRUE(_service->getDB()->getConnection().executeSQL(sql));
    }
    std::string count(const std::string& sql)
    {
        NSUI::NSDBDataModel out;
        std::lock_guard<std::recursive_mutex> lock(_service->getDB()->getLock());
        _service->getDB()->getConnection().getRecord(sql, &out);
        return out.getValue(0, 0);
    }
    bool promptShown() const
    {
        Node* prompt = _list->getChildByTag(patientList::kPromptTag);
        return prompt && prompt->isVisible();
    }
    Node* recordOf(int64_t index) const
    {
        NSUI::NSTableViewCell* cell = _list->getTable()->cellAtIndex(index);
        return cell ? cell->getChildByTag(patientList::kRecordTag) : nullptr;
    }
    std::string textOf(int64_t index, const std::string& name) const
    {
        auto* text = dynamic_cast<ui::Text*>(recordOf(index)->getChildByNameDeep(name));
        return text ? text->getString() : "<none>";
    }
    bool markerShown(int64_t index) const { return recordOf(index)->getChildByNameDeep("newFiles")->isVisible(); }

    std::string series(const std::string& name, const std::string& patient, const std::string& id)
    {
        std::string folder = scratch(name);
        EXPECT_TRUE(storetest::makeSeries({"--patient", patient, "--id", id, "--mr", "16x16x2", folder}));
        return folder;
    }

    dataService* _service = nullptr;
    patientList* _list = nullptr;
    std::vector<std::string> _opened;
    std::vector<std::string> _savedPaths;
};

std::string record(const std::string& patientId, const std::string& name, const std::string& counts)
{
    std::string json;
    NSUI::UIJson::setJsonString(json, "patientID", patientId);
    NSUI::UIJson::setJsonString(json, "name", name);
    NSUI::UIJson::setJsonString(json, "updateTime", "2026-01-02 03:04:05.678");
    NSUI::UIJson::setJsonString(json, "dcmFolder", "P" + patientId + "/ST/SE/");
    const char* keys[] = {"studyNumber", "seriesNumber", "imageNumber"};
    std::stringstream in(counts);
    for (const char* key : keys) {
        std::string n;
        std::getline(in, n, '-');
        NSUI::UIJson::setJsonString(json, key, n);
    }
    return json;
}

TEST_F(PatientListTest, RowsFollowTheStoreAndItsNotifications)
{
    show();
    loadOnePatient();
    ASSERT_EQ(rows(), 1);
    patientList::listObject* row = _list->rowAt(0);
    EXPECT_EQ(row->patientIDHospital, "H7");
    EXPECT_EQ(row->updateTime, "2026-01-02 03:04");
    EXPECT_EQ(row->dcmFolder, "P7");
    EXPECT_EQ(textOf(0, "imageNumber"), "2-5-340");
    EXPECT_EQ(textOf(0, "name"), "DOE^JANE");
    EXPECT_FALSE(markerShown(0));
    EXPECT_TRUE(promptShown()) << "fewer than four rows";

    // A file for the listed patient raises its counts in place; a new patient goes on top,
    // but only one the store holds.
    post(patientList::kFileStoredId, record("7", "DOE^JANE", "0-1-3"));
    EXPECT_EQ(rows(), 1);
    EXPECT_EQ(textOf(0, "imageNumber"), "2-6-343");
    EXPECT_TRUE(markerShown(0));
    post(patientList::kFileStoredId, record("99", "GONE^99", "1-1-1"));
    EXPECT_EQ(rows(), 1);
    for (const char* id : {"8", "9", "10"}) {
        execute(std::string("insert into patient(ID,name) values(") + id + ",'NEW^" + id + "')");
        post(patientList::kFileStoredId, record(id, std::string("NEW^") + id, "1-1-1"));
    }
    ASSERT_EQ(rows(), 4);
    EXPECT_EQ(_list->rowAt(0)->name, "NEW^10");
    EXPECT_EQ(_list->rowAt(3)->patientID, "7");
    EXPECT_FALSE(promptShown()) << "four rows hide the prompt";
    EXPECT_EQ(_list->getChildByTag(patientList::kPromptTag), nullptr) << "nor does its animation go on";

    // Only the right-most 64 points of a row open the studies, and opening clears the marker.
    const float right = _list->getTable()->getContentSize().width;
    const float top = _list->getTable()->getPosition().y + _list->getTable()->getContentSize().height;
    tap(Vec2(right - 80, top - 50));
    EXPECT_TRUE(_opened.empty());
    tap(Vec2(right - 20, top - 50));
    ASSERT_EQ(_opened, std::vector<std::string>{"10"});
    EXPECT_FALSE(markerShown(0));

    // A series deleted elsewhere removes the row only when its patient is gone.
    execute("delete from patient where ID=8");
    post(patientList::kSeriesDeletedId, "8");
    EXPECT_EQ(rows(), 3);
    EXPECT_TRUE(promptShown());
}

// The list read from the store counts every record indexed before it was read: an announcement
// of one of them that is still waiting is not counted again, and a patient an announcement
// listed first is not listed twice.
TEST_F(PatientListTest, AListReadAfterRecordsCountsEachOnce)
{
    show();
    execute("insert into patient(ID,name) values(7,'DOE^JANE')");
    post(patientList::kFileStoredId, record("7", "DOE^JANE", "1-1-1"));
    ASSERT_EQ(rows(), 1);
    auto* waiting = new NSUI::NSNotificationData();
    waiting->text = record("7", "DOE^JANE", "0-0-1");
    NSUI::NSNotificationCenter::getInstance()->postNotification(nullptr, patientList::kFileStoredId, waiting, nullptr,
                                                                false);
    waiting->release();
    loadOnePatient();
    frames(3);
    ASSERT_EQ(rows(), 1);
    EXPECT_EQ(textOf(0, "imageNumber"), "2-5-340");
    // Announcements after the list count as before.
    post(patientList::kFileStoredId, record("7", "DOE^JANE", "0-0-1"));
    EXPECT_EQ(textOf(0, "imageNumber"), "2-5-341");
}

TEST_F(PatientListTest, FailedShareOfARowIsToldOnTheList)
{
    // Drawn when there is a display: <build>/patient_list_share_fail.png shows the message.
    qptest::ScreenWindow window("patient list", 1280, 800);
    // The language table lives as long as the configuration, which frames would drain.
    std::shared_ptr<AppConfig> config(AppConfig::getInstance(), [](AppConfig* c) { c->release(); });
    config->retain();
    config->loadLanguage();
    patientListLinks::openShare() = [](Node* screen, const std::string& folder, const std::string& name) {
        shareTo* share = shareTo::create();
        screen->addChild(share, 10000);
        share->zipAndShare(folder, name);
    };
    show();
    loadOnePatient(); // its folder is not in the store: the packing fails
    auto* share = ui::Button::create();
    share->setName("share");
    share->setUserObject(_list->getTable()->cellAtIndex(0));
    _list->onButtonClicked(share);
    ASSERT_NE(NSUI::NSActivity::current(), nullptr);
    while (NSUI::NSActivity::current())
        storetest::frame();
    Node* box = Director::getInstance()->getRunningScene()->getChildByName(NSUI::UIControlBase::kMessageBoxName);
    auto* text = box ? dynamic_cast<ui::Text*>(box->getChildByNameDeep(NSUI::UIControlBase::kMessageTextName))
                     : nullptr;
    ASSERT_NE(text, nullptr);
    EXPECT_TRUE(box->isVisible());
    EXPECT_FALSE(text->getString().empty());
    EXPECT_EQ(text->getString(), NSUI::UILocalConfig::getLanguageString("compressFail"));
    if (window) {
        bool done = false, written = false;
        utils::captureScreen([&](bool ok, const std::string&) { done = true, written = ok; },
                             qptest::binaryDir() + "/patient_list_share_fail.png");
        while (!done)
            storetest::frame();
        EXPECT_TRUE(written);
    }
}

TEST_F(PatientListTest, NetworkStateMovesTheTableOnceAndShowsLiveNodes)
{
    show();
    auto* wifi = dynamic_cast<ui::Button*>(_list->getChildByNameDeep("wifi"));
    ASSERT_NE(wifi, nullptr);
    const float y = _list->getTable()->getPositionY();
    post(patientList::kLiveNodesId, "", -1);
    post(patientList::kLiveNodesId, "", -1);
    frames(30);
    EXPECT_EQ(wifi->getNormalFile(), "imgs/Wi-Fi-Red.png");
    EXPECT_TRUE(_list->getChildByTag(patientList::kBannerTag)->isVisible());
    EXPECT_FLOAT_EQ(_list->getTable()->getPositionY(), y - 100) << "a second -1 does not move it again";

    post(patientList::kLiveNodesId, "", 3);
    frames(30);
    EXPECT_EQ(wifi->getNormalFile(), "imgs/Wi-Fi-Green.png");
    auto* badge = dynamic_cast<Label*>(wifi->getParent()->getChildByName("activeNodes"));
    ASSERT_NE(badge, nullptr);
    EXPECT_TRUE(badge->isVisible());
    EXPECT_EQ(badge->getString(), "3");
    EXPECT_FALSE(_list->getChildByTag(patientList::kBannerTag)->isVisible());
    EXPECT_FLOAT_EQ(_list->getTable()->getPositionY(), y);
}

TEST_F(PatientListTest, ImportedFolderAppearsAndDeletionEmptiesTheStore)
{
    std::string folder = series("a", "FOLDER^IMPORT", "F1");
    show();
    _list->importFile(folder);
    ASSERT_TRUE(rowsReach(1));
    EXPECT_EQ(_list->rowAt(0)->name, "FOLDER^IMPORT");
    EXPECT_TRUE(pumpUntil([&] { return _list->rowAt(0)->imageNumber == 2; }));
    const std::string patientFolder = storeRoot() + _list->rowAt(0)->dcmFolder;
    ASSERT_TRUE(fs::is_directory(patientFolder));

    {
        // A file's record queued before the deletion arrives while the store still holds the
        // patient: it brings no row back.
        std::lock_guard<std::recursive_mutex> lock(_service->getDB()->getLock());
        NSUI::NSNotificationCenter::getInstance()->postNotificationWithString(
            nullptr, patientList::kFileStoredId, record(_list->rowAt(0)->patientID, "FOLDER^IMPORT", "0-0-1"),
            nullptr, false);
        _list->deletePatient(0);
        EXPECT_EQ(rows(), 0) << "the row goes at once";
        frames(2);
        EXPECT_EQ(rows(), 0);
    }
    // What the program does before it closes the store: the deletion ends whole.
    StoreWorkers::finishAll();
    EXPECT_EQ(count("select count() from patient"), "0");
    EXPECT_EQ(count("select count() from image"), "0");
    EXPECT_FALSE(fs::exists(patientFolder));
}

TEST_F(PatientListTest, ArchivesAreUnpackedOneAtATimeImportedAndCleanedUp)
{
    std::string zips = scratch("zips");
    ASSERT_TRUE(zipFolder(zips + "/X.ZIP", series("x", "ZIP^UPPER", "Z1"), ""));
    ASSERT_TRUE(zipFolder(zips + "/y.zip", series("y", "ZIP^LOWER", "Z2"), ""));
    show();
    // The second arrives while the first is being unpacked, as a dropped path would.
    _list->importFile("file://" + zips + "/X.ZIP");
    NSUI::NSNotificationCenter::getInstance()->postNotificationWithString(nullptr, patientList::kOpenPathId,
                                                                          zips + "/y.zip", nullptr, false);
    ASSERT_TRUE(rowsReach(2));
    std::set<std::string> names = {_list->rowAt(0)->name, _list->rowAt(1)->name};
    EXPECT_EQ(names, (std::set<std::string>{"ZIP^UPPER", "ZIP^LOWER"}));
    EXPECT_NE(NSUI::UIJson::getJsonString(_list->getPendingImport(), "file").find("y.zip"), std::string::npos);
    // Each scratch folder goes once its import has finished.
    const std::string scratchRoot = writable() + "qp/tmp/unzip/";
    EXPECT_TRUE(pumpUntil([&] { return !fs::exists(scratchRoot) || fs::is_empty(scratchRoot); }));
}

// What the DICOM library logs, from whichever thread reads.
std::mutex dicomLogLock;
std::string dicomLog;
void keepDicomLog(const char* text)
{
    std::lock_guard<std::mutex> lock(dicomLogLock);
    dicomLog += std::string(text) + "\n";
}

TEST_F(PatientListTest, FirstRunImportsTheSampleAndTheNextRunRemovesItsFolder)
{
    dcmSDK::setLogCallback(keepDicomLog);
    NSUI::UILocalConfig::setIntegerForKey("app_init_db", 1);
    show();
    EXPECT_EQ(NSUI::UILocalConfig::getStringForKey("app_init_db", ""), "0");
    ASSERT_TRUE(rowsReach(3));
    const std::string example = writable() + "qp/tmp/example/";
    EXPECT_TRUE(fs::is_directory(example));
    // One more patient behind the sample: once it is listed, every sample file was handled.
    _list->importFile(series("after", "AFTER^SAMPLE", "A1"));
    ASSERT_TRUE(rowsReach(4));
    dcmSDK::setLogCallback(nullptr);
    EXPECT_EQ(dicomLog.find("1.tmp"), std::string::npos) << "the copied archive is no image:\n" << dicomLog;

    show();
    EXPECT_FALSE(fs::exists(example));
    EXPECT_TRUE(rowsReach(4)) << "the store still lists the sample patients";
}

TEST_F(PatientListTest, SeriesSentByStorescuAppearsWithTheNewFilesMarker)
{
    std::string folder = series("net", "NET^SENT", "N1");
    show();
    qptest::TempDir logs;
    nettest::Process storescu({"storescu", "-aec", dicomDB::kReceiverAETitle, "+sd", "+r", "127.0.0.1",
                               std::to_string(dicomDB::getReceiverPort()), folder},
                              logs.file("storescu.log"));
    // The main loop keeps turning while the peer sends.
    ASSERT_TRUE(pumpUntil([&] { return rows() >= 1 && _list->rowAt(0)->imageNumber == 2; }));
    EXPECT_EQ(storescu.wait(60), 0) << qptest::readFile(logs.file("storescu.log"));
    EXPECT_EQ(_list->rowAt(0)->name, "NET^SENT");
    EXPECT_TRUE(markerShown(0));
}

} // namespace
