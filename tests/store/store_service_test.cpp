// The DICOM service with real peers on loopback: files sent by storescu are indexed and
// announced, sends to storescp run one after another, echoes record live nodes.

#include "StoreTestEnv.h"

#include "db/dicomDB.h"
#include "import/importDcm.h"
#include "dcmCallbacks.h"
#include "DCM_MESSAGE.h"
#include "json/UIJson.h"
#include "net/QueryAnswer.h"
#include "net/dataService.h"

#include <condition_variable>
#include <functional>
#include <mutex>
#include <set>

using storetest::Recorder;
using storetest::StoreFixture;
using NSUI::UIJson;
namespace fs = std::filesystem;

namespace {

const char* const kHostileName = "x\");DROP TABLE patient;--";

class ServiceTest : public StoreFixture {
protected:
    void SetUp() override
    {
        StoreFixture::SetUp();
        NSUI::NetworkInfoProvider::setCurrent(std::make_shared<storetest::LoopbackNetwork>());
        dicomDB::setReceiverPort(nettest::freePort());
        dcmSDK::setLogCallback(&dataService::onDcmLog);
        dcmSDK::setMsgCallback(&dataService::onDcmMessage);
        _service = dataService::getInstance();
        ASSERT_NE(_service, nullptr);
        ASSERT_NE(_service->getDB(), nullptr);
        ASSERT_TRUE(_service->getDB()->isOpen());
        ASSERT_TRUE(nettest::waitForListener(dicomDB::getReceiverPort()));
    }
    void TearDown() override
    {
        dataService::destroyInstance();
        NSUI::NetworkInfoProvider::setCurrent(nullptr);
        StoreFixture::TearDown();
    }

    std::string count(const std::string& sql) { return storetest::firstValue(_service->getDB(), sql); }

    // storescu sends a folder to the given port; its exit status. The main thread keeps the
    // store busy meanwhile (or runs eachFrame at every frame), so the receiver, the worker and
    // the main thread all run at once.
    int storescu(const std::string& folder, int port, const std::function<void()>& eachFrame = nullptr)
    {
        std::atomic<int> status{-2};
        std::thread peer([&] {
            nettest::Process storescu({"storescu", "-R", "-aec", dicomDB::kReceiverAETitle, "+sd", "+r", "127.0.0.1",
                                       std::to_string(port), folder},
                                      scratch("logs") + "/storescu.log");
            status = storescu.wait(120);
        });
        storetest::pumpUntil([&] {
            if (eachFrame) {
                eachFrame();
            } else {
                _service->getDB()->requestPatients([](NSUI::NSDBDataModel*) {});
                NSUI::NSDBDataModel files;
                _service->getDB()->getImageFiles(files, "1");
            }
            return status != -2;
        }, 130);
        peer.join();
        if (status != 0)
            ADD_FAILURE() << qptest::readFile(scratch("logs") + "/storescu.log");
        return status;
    }

    dataService* _service = nullptr;
};

TEST_F(ServiceTest, FilesSentByStorescuAreIndexedAnnouncedAndNeverTwice)
{
    const std::string folder = scratch("send");
    ASSERT_TRUE(storetest::makeSeries({"--patient", "NET^CT", "--id", "N1", "--ct", "64x64x8", folder + "/ct"}));
    ASSERT_TRUE(storetest::makeSeries({"--patient", kHostileName, "--id", "H\"1", "--mr", "16x16x2", folder + "/h"}));
    fs::create_directories(folder + "/pydicom");
    for (const char* name : {"CT_small.dcm", "MR_small.dcm", "rtdose.dcm", "waveform_ecg.dcm", "rtplan.dcm"})
        fs::copy_file(qptest::pydicomDir() + "/" + name, folder + "/pydicom/" + name);
    const size_t files = 8 + 2 + 5;

    Recorder recorder({2001, 2002});
    ASSERT_EQ(storescu(folder, dicomDB::getReceiverPort()), 0);
    ASSERT_TRUE(storetest::pumpUntil([&] { return recorder.count(2001) == files; }, 30))
        << recorder.count(2001) << " of " << files;
    EXPECT_EQ(recorder.count(2002), files);
    EXPECT_EQ(count("select count() from image"), std::to_string(files));
    EXPECT_EQ(count("select count() from series where path like 'NET^CT%'"), "1");
    EXPECT_EQ(count("select count() from patient where name='NET^CT' and patientIDHospital='N1'"), "1");
    {
        NSUI::NSDBDataModel rows;
        std::lock_guard<std::recursive_mutex> lock(_service->getDB()->getLock());
        ASSERT_TRUE(_service->getDB()->getConnection().getRecord(
            "select name from patient where patientIDHospital=?", {NSUI::NSDBValue("H\"1")}, &rows));
        ASSERT_EQ(rows.getRowCount(), 1);
        EXPECT_EQ(rows.getValue(0, 0), kHostileName);
    }
    // 2002 always comes just before the 2001 of the same file.
    for (size_t i = 0; i + 1 < recorder.posts.size(); i += 2) {
        EXPECT_EQ(recorder.posts[i].id, 2002u);
        EXPECT_EQ(recorder.posts[i + 1].id, 2001u);
    }

    // The same files again: acknowledged, but no row and no announcement.
    recorder.posts.clear();
    ASSERT_EQ(storescu(folder, dicomDB::getReceiverPort()), 0);
    storetest::pumpFor(1.0);
    EXPECT_TRUE(recorder.posts.empty());
    EXPECT_EQ(count("select count() from image"), std::to_string(files));

    // The same files imported land on the received ones: no new file, row or announcement.
    const size_t stored = nettest::filesBelow(storeRoot()).size();
    Recorder imported({2014});
    importDcm* importer = importDcm::create();
    importer->retain();
    importer->setRootPath(_service->getDB()->getRoot());
    importer->importFiles(folder);
    ASSERT_TRUE(storetest::pumpUntil([&] { return imported.count(2014) == files; }, 30));
    storetest::pumpFor(0.5);
    importer->stop();
    importer->release();
    EXPECT_TRUE(recorder.posts.empty());
    EXPECT_EQ(count("select count() from image"), std::to_string(files));
    EXPECT_EQ(nettest::filesBelow(storeRoot()).size(), stored);
}

TEST_F(ServiceTest, DeletingWhileAPeerSendsLeavesEveryRowWithItsFileAndNoFileWithoutARow)
{
    const std::string folder = scratch("race");
    const size_t images = 40;
    ASSERT_TRUE(storetest::makeSeries({"--patient", "RACE^CT", "--id", "R1", "--ct", "64x64x40", folder}));
    dicomDB* store = _service->getDB();
    Recorder arrived({2014});
    // The files the image rows name, read under the store's lock so that no deletion or
    // indexing is half done; a row whose file is missing is wrong at any moment.
    size_t rowsWithoutFile = 0;
    auto rowFiles = [&] {
        std::set<std::string> files;
        NSUI::NSDBDataModel rows;
        std::lock_guard<std::recursive_mutex> lock(store->getLock());
        EXPECT_TRUE(store->getConnection().getRecord(
            "select path,file from series,image where image.seriesID=series.ID", &rows));
        for (int r = 0; r < rows.getRowCount(); ++r) {
            const fs::path file = fs::path(storeRoot() + rows.getValue(r, 0) + "/" + rows.getValue(r, 1));
            rowsWithoutFile += !fs::exists(file);
            files.insert(file.lexically_normal().string());
        }
        return files;
    };
    // At every frame the worker is indexing (so that files are between their placing and their
    // rows), the series or (in turn) the patient that has arrived so far is deleted, after a
    // look for rows without their file (the deletion would take them away). Each deletion
    // keeps the number of files that had arrived when it ran.
    std::vector<std::pair<bool, size_t>> deletions;
    auto deleteWhatArrived = [&] {
        rowFiles();
        const std::string series = count("select ID from series limit 1");
        if (series.empty() || !store->isWorkerBusy())
            return;
        const bool bySeries = deletions.size() % 2 == 1;
        EXPECT_TRUE(bySeries ? store->deleteSeries(series)
                             : store->deletePatient(count("select ID from patient limit 1")));
        deletions.emplace_back(bySeries, arrived.count(2014));
    };
    // Runs until both kinds of deletion have fallen between two files of one transfer often
    // enough. Every file is acknowledged: none is refused because of a deletion.
    size_t between[2] = {0, 0};
    for (size_t run = 1; run <= 50 && (between[0] < 10 || between[1] < 10); ++run) {
        deletions.clear();
        ASSERT_EQ(storescu(folder, dicomDB::getReceiverPort(), deleteWhatArrived), 0);
        // A request queued after the run's last record answers once the worker has indexed it.
        ASSERT_TRUE(storetest::pumpUntil([&] { return arrived.count(2014) == run * images; }, 30));
        bool answered = false;
        store->requestFavorites([&](NSUI::NSDBDataModel*) { answered = true; }, true);
        ASSERT_TRUE(storetest::pumpUntil([&] { return answered; }, 30));
        for (const auto& deletion : deletions)
            between[deletion.first] += deletion.second > (run - 1) * images && deletion.second < run * images;

        const std::set<std::string> indexed = rowFiles();
        ASSERT_EQ(rowsWithoutFile, 0u) << "run " << run;
        for (const std::string& file : nettest::filesBelow(storeRoot())) {
            const bool ofTheStore = file.find("/.incoming/") != std::string::npos ||
                                    fs::path(file).filename().string().rfind("dicomDB", 0) == 0;
            ASSERT_TRUE(ofTheStore || indexed.count(fs::path(file).lexically_normal().string()))
                << file << " has no row";
        }
    }
    EXPECT_GE(between[0], 10u) << "patient deletions between two files";
    EXPECT_GE(between[1], 10u) << "series deletions between two files";
}

// The library's message callback, counting the files the receiver filed before it hands each on.
std::mutex g_filedMutex;
std::condition_variable g_filedChanged;
size_t g_filed = 0;

void countFiled(unsigned type, const char* text)
{
    if (type == 3) {
        std::lock_guard<std::mutex> lock(g_filedMutex);
        ++g_filed;
        g_filedChanged.notify_all();
    }
    dataService::onDcmMessage(type, text);
}

// The service is stopped while a peer sends, with no frame run since the first file: every
// record waits in the notification centre. The close takes them all in, so every image the
// peer was told is stored has its row (and its series' previews go, as at any indexing).
TEST_F(ServiceTest, StoppedMidSendTheServiceIndexesEveryImageItsPeerWasToldIsStored)
{
    const std::string folder = scratch("long");
    ASSERT_TRUE(storetest::makeSeries({"--patient", "QUIT^CT", "--id", "Q1", "--ct", "32x32x300", folder}));
    g_filed = 0;
    dcmSDK::setMsgCallback(&countFiled);
    const std::string log = scratch("logs") + "/storescu.log";
    nettest::Process peer({"storescu", "-v", "+sd", "127.0.0.1", std::to_string(dicomDB::getReceiverPort()), folder},
                          log);
    {
        std::unique_lock<std::mutex> lock(g_filedMutex);
        ASSERT_TRUE(g_filedChanged.wait_for(lock, std::chrono::seconds(60), [] { return g_filed >= 20; }));
    }
    const std::string preview = [&] {
        std::vector<std::string> files = nettest::filesBelow(storeRoot() + "QUIT^CT_Q1");
        return files.empty() ? std::string() : fs::path(files[0]).parent_path().string() + "/thrumb0";
    }();
    ASSERT_FALSE(preview.empty());
    qptest::writeFile(preview, "old picture");
    dataService::destroyInstance();
    peer.wait(60);
    dcmSDK::setMsgCallback(&dataService::onDcmMessage);

    const std::string answers = qptest::readFile(log);
    size_t told = 0;
    for (size_t at = answers.find("Received Store Response (Success)"); at != std::string::npos;
         at = answers.find("Received Store Response (Success)", at + 1))
        ++told;
    std::vector<std::string> stored;
    for (const std::string& file : nettest::filesBelow(storeRoot() + "QUIT^CT_Q1"))
        if (fs::path(file).filename() != "thrumb0")
            stored.push_back(file);
    EXPECT_GE(told, 20u);
    EXPECT_GE(stored.size(), told);
    EXPECT_FALSE(fs::exists(preview));

    dicomDB* store = dicomDB::create();
    ASSERT_NE(store, nullptr);
    EXPECT_FALSE(store->walksForFilesWithoutRows());
    {
        NSUI::NSDBDataModel rows;
        std::lock_guard<std::recursive_mutex> lock(store->getLock());
        ASSERT_TRUE(store->getConnection().getRecord("select count(),count(distinct imageUID) from image", &rows));
        EXPECT_EQ(rows.getValue(0, 0), std::to_string(stored.size()));
        EXPECT_EQ(rows.getValue(0, 1), std::to_string(stored.size()));
    }
    store->release();
}

TEST_F(ServiceTest, QueuedSendsRunOneAfterAnotherAndAClosedPortFailsOnce)
{
    const int port = nettest::freePort();
    const std::string received = scratch("storescp");
    nettest::Process storescp({"storescp", "-od", received, "--fork", std::to_string(port)},
                              scratch("logs") + "/storescp.log");
    ASSERT_TRUE(nettest::waitForListener(port));
    const std::string a = scratch("a"), b = scratch("b");
    ASSERT_TRUE(storetest::makeSeries({"--ct", "32x32x6", a, "--mr", "32x32x4", b}));

    Recorder recorder({2010, 2011, 2012});
    std::vector<dcmSendingObject*> tasks;
    for (const std::string& path : {a, b}) {
        dcmSendingObject* task = dcmSendingObject::create();
        task->ip = "127.0.0.1";
        task->port = std::to_string(port);
        task->name = "peer";
        task->path = path;
        tasks.push_back(task);
        _service->addSendTask(task);
    }
    // The second waits for the first.
    EXPECT_FALSE(tasks[1]->dispatched);
    ASSERT_TRUE(storetest::pumpUntil([&] { return tasks[0]->state >= 2 && tasks[1]->state >= 2; }, 60));
    EXPECT_EQ(tasks[0]->state, dcmSendingObject::kDone);
    EXPECT_EQ(tasks[1]->state, dcmSendingObject::kDone);
    EXPECT_EQ(recorder.count(2011), 2u);
    EXPECT_EQ(recorder.count(2012), 0u);
    EXPECT_EQ(nettest::filesBelow(received).size(), 10u);
    // Progress of the first task was all reported before the second began.
    std::vector<int> order;
    for (auto& p : recorder.posts)
        if (order.empty() || order.back() != p.tag)
            order.push_back(p.tag);
    EXPECT_EQ(order, (std::vector<int>{static_cast<int>(tasks[0]->getTaskID()), static_cast<int>(tasks[1]->getTaskID())}));

    // Nothing listens on this port: the task fails, once, and stays failed.
    dcmSendingObject* closed = dcmSendingObject::create();
    closed->ip = "127.0.0.1";
    closed->port = std::to_string(nettest::freePort());
    closed->path = a;
    _service->addSendTask(closed);
    ASSERT_TRUE(storetest::pumpUntil([&] { return closed->state == dcmSendingObject::kFailed; }, 30));
    storetest::pumpFor(0.5);
    EXPECT_EQ(recorder.count(2012), 1u);
    EXPECT_EQ(closed->state, dcmSendingObject::kFailed);
}

TEST_F(ServiceTest, AnsweredEchoesMakeLiveNodesAndSilentOnesAreNoLongerLive)
{
    Recorder recorder({2003, 2024});
    // The receiver answers on every loopback address of the declared subnet.
    _service->echoSweep(1);
    ASSERT_TRUE(storetest::pumpUntil([&] { return recorder.count(2003) >= 1; }, 30));
    std::vector<NeighborRecord> nodes;
    ASSERT_TRUE(storetest::pumpUntil([&] {
        nodes.clear();
        _service->getDB()->listNeighbors(nodes);
        return !nodes.empty();
    }, 10));
    EXPECT_EQ(nodes[0].device, 5);
    EXPECT_EQ(nodes[0].port, std::to_string(dicomDB::getReceiverPort()));
    EXPECT_EQ(nodes[0].appid, nodes[0].ip + ":" + nodes[0].port);

    // The timer counts it live at its next even tick.
    recorder.posts.clear();
    ASSERT_TRUE(storetest::pumpUntil([&] { return recorder.count(2024) >= 1; }, 10));
    EXPECT_GE(recorder.of(2024)[0].intValue, 1);

    // A node that stops answering is kept but is no longer live.
    std::string json;
    UIJson::setJsonString(json, "ok", "0");
    UIJson::setJsonString(json, "appid", nodes[0].appid);
    dataService::onDcmMessage(dcmSDK::DCM_MSG_ECHO_RESULT, json.c_str());
    ASSERT_TRUE(storetest::pumpUntil([&] {
        std::vector<NeighborRecord> now;
        _service->getDB()->listNeighbors(now);
        for (auto& n : now)
            if (n.appid == nodes[0].appid)
                return n.wifi.substr(11) == "00:00:00";
        return false;
    }, 10));
}

TEST_F(ServiceTest, KnownNodesAreEchoedUnlessOneOfOurSendsIsQueuedForThem)
{
    const std::string port = std::to_string(dicomDB::getReceiverPort());
    ASSERT_TRUE(_service->getDB()->upsertNeighbor(5, "self", "127.0.0.1", port, "127.0.0.1:" + port));
    ASSERT_TRUE(_service->getDB()->upsertNeighbor(5, "far", "10.9.9.9", port, "far"));
    Recorder recorder({2003});

    // A send waiting for this node (without a path it is never started) keeps echoes off it.
    dcmSendingObject* waiting = dcmSendingObject::create();
    waiting->ip = "127.0.0.1";
    waiting->port = port;
    _service->addSendTask(waiting);
    _service->echoSweep(2);
    storetest::pumpFor(2.0);
    EXPECT_EQ(recorder.count(2003), 0u);

    // Once that task has ended the node is echoed again (also by the timer's sweeps every five
    // ticks); the node outside the subnets never is.
    waiting->state = dcmSendingObject::kFailed;
    _service->echoSweep(2);
    ASSERT_TRUE(storetest::pumpUntil([&] { return recorder.count(2003) >= 1; }, 10));
    storetest::pumpFor(0.5);
    for (auto& p : recorder.posts) {
        EXPECT_EQ(UIJson::getJsonString(p.text, "ok"), "1");
        EXPECT_EQ(UIJson::getJsonString(p.text, "name"), "self");
    }
}

TEST_F(ServiceTest, WithoutAnIPv4AddressTheLiveCountIsMinusOne)
{
    class NoNetwork : public NSUI::NetworkInfoProvider {
    public:
        std::string hostName() override { return "none"; }
        std::vector<NSUI::NetworkAdapter> adapters() override { return {}; }
    };
    NSUI::NetworkInfoProvider::setCurrent(std::make_shared<NoNetwork>());
    Recorder recorder({2024});
    // The timer runs on the scheduler's clock: 60 frames of 1/60 s are one tick.
    ASSERT_TRUE(storetest::pumpUntil([&] { return recorder.count(2024) >= 2; }, 10));
    for (auto& p : recorder.posts)
        EXPECT_EQ(p.intValue, -1);
}

TEST_F(ServiceTest, LibraryMessagesBecomeTheirNotifications)
{
    Recorder recorder({2003, 2004, 2005, 2006, 2007, 2008, 2009, 2010, 2011, 2012});
    dataService::onDcmMessage(0, "{\"taskID\":\"77\",\"value\":\"50\"}");
    dataService::onDcmMessage(1, "{\"taskID\":\"77\"}");
    dataService::onDcmMessage(6, "started");
    dataService::onDcmMessage(7, nullptr);
    dataService::onDcmMessage(8, "error");
    dataService::onDcmMessage(9, "ignored");
    dataService::onDcmMessage(5, "0008,0060[CT]0008,0021[2024]0008,0031[1]0020,000e[1.2.3]");
    ASSERT_TRUE(storetest::pumpUntil([&] { return recorder.count(2009) == 1; }, 5));
    storetest::pumpFor(0.2);
    EXPECT_EQ(recorder.of(2010)[0].tag, 77);
    EXPECT_FLOAT_EQ(recorder.of(2010)[0].floatValue, 50.0f);
    EXPECT_EQ(recorder.of(2011)[0].tag, 77);
    EXPECT_EQ(recorder.of(2004)[0].text, "started");
    EXPECT_EQ(recorder.count(2006), 1u);
    EXPECT_EQ(recorder.of(2005)[0].text, "error");
    EXPECT_EQ(recorder.posts.size(), 7u) << "type 9 posts nothing";
}

TEST(QueryAnswerTest, SeriesAndStudyAnswersWithShortOrMissingStamps)
{
    cocos2d::Director::getInstance()->mainLoop(0.01f);
    QueryAnswer* series = QueryAnswer::parse("0008,0060[MR]0008,0021[20240102]0008,0031[101112.5]0008,103E[Ax T1]"
                                             "0020,000D[1.2]0020,000E[1.2.3]0020,0011[4]0020,1209[20]");
    ASSERT_TRUE(series->isSeries);
    EXPECT_EQ(series->fields, (std::vector<std::string>{"MR", "2024.01.02 10:11:12", "Ax T1", "1.2", "1.2.3", "4", "20"}));
    QueryAnswer* study = QueryAnswer::parse("0010,0010[DOE^J]0008,0020[2024]0010,0020[P[1]0020,0010[7]");
    ASSERT_FALSE(study->isSeries);
    EXPECT_EQ(study->fields.size(), 9u);
    EXPECT_EQ(study->fields[0], "DOE^J");
    EXPECT_EQ(study->fields[1], "2024") << "fewer than 14 digits are shown as they came";
    EXPECT_EQ(study->notificationId(), 2008u);
    EXPECT_TRUE(QueryAnswer::parse("")->fields[1].empty());
    EXPECT_TRUE(QueryAnswer::parse("[[[]]]0008,0060")->fields[0].empty());
}

TEST(ServiceCallbacksTest, TextConversionAndPngWriting)
{
    char out[6];
    dataService::onGb2utf8("h\xc3\xa9llo", out, sizeof out);
    EXPECT_STREQ(out, "h\xc3\xa9ll");
    dataService::onGb2utf8("abcd\xc3\xa9", out, sizeof out);
    EXPECT_STREQ(out, "abcd") << "a character is never cut in half";

    qptest::TempDir dir;
    unsigned char rgb[2 * 3 * 3] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    EXPECT_TRUE(dataService::onSavePng(3, 2, reinterpret_cast<char*>(rgb), dir.file("a.png").c_str()));
    EXPECT_EQ(qptest::readFile(dir.file("a.png")).substr(1, 3), "PNG");
    EXPECT_FALSE(dataService::onSavePng(3, 2, reinterpret_cast<char*>(rgb), dir.file("no/such/a.png").c_str()));
    int size = -1;
    char* bytes = dataService::onReadFile(dir.file("a.png").c_str(), size, true);
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(static_cast<size_t>(size), qptest::readFile(dir.file("a.png")).size());
    delete[] bytes;
}

TEST(ServiceCallbacksTest, AFileRecordNobodyStoresIsFreed)
{
    // No service observes 2014 here; the payload still frees the record (checked by LeakSanitizer).
    cocos2d::Director::getInstance()->mainLoop(0.6f);
    dataService::onDcmMessage(dcmSDK::DCM_MSG_FILE_STORED, reinterpret_cast<const char*>(new dcmSDK::DCM_MESSAGE()));
    storetest::pumpFor(0.1);
}

} // namespace
