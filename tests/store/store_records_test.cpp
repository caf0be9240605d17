// Files imported into a running store: their rows, the notifications that announce them,
// hostile texts, list requests, deletions and favourites.

#include "StoreTestEnv.h"

#include "DCM_MESSAGE.h"
#include "dcmFileRecord.h"
#include "db/DcmMessageData.h"
#include "db/dicomDB.h"
#include "import/importDcm.h"
#include "json/UIJson.h"

#include <fstream>
#include <mutex>

using storetest::Posted;
using storetest::Recorder;
using storetest::StoreFixture;
using NSUI::UIJson;
namespace fs = std::filesystem;

namespace {

const char* const kHostileName = "x\");DROP TABLE patient;--";
const char* const kQuotedId = "O\"Brien";
const char* const kCommaName = "Smith, \"Jo\"\\";

// Series generated once for the whole program.
class Series {
public:
    static Series& get()
    {
        static Series series;
        return series;
    }
    std::string ct, hostile, columnNames, comma, twelve;

private:
    Series()
    {
        ct = dir("ct"), hostile = dir("hostile"), columnNames = dir("columns"), comma = dir("comma"),
        twelve = dir("twelve");
        ok = storetest::makeSeries({"--patient", "PHANTOM^CT", "--id", "QP1", "--ct", "32x32x3", ct}) &&
             storetest::makeSeries({"--patient", kHostileName, "--id", kQuotedId, "--ct", "16x16x2", hostile}) &&
             storetest::makeSeries({"--patient", "name", "--id", "ID", "--mr", "16x16x1", columnNames}) &&
             storetest::makeSeries({"--patient", kCommaName, "--id", "C,1", "--mr", "16x16x1", comma}) &&
             storetest::makeSeries({"--patient", "MANY^SLICES", "--id", "M12", "--ct", "8x8x12", twelve});
    }
    std::string dir(const char* name)
    {
        std::string path = _dir.file(name);
        fs::create_directories(path);
        return path;
    }
    qptest::TempDir _dir;

public:
    bool ok = false;
};

class StoreRecordsTest : public StoreFixture {
protected:
    void SetUp() override
    {
        StoreFixture::SetUp();
        ASSERT_TRUE(Series::get().ok);
        dicomDB::setReceiverPort(nettest::freePort());
        _store = dicomDB::create();
        ASSERT_NE(_store, nullptr);
        ASSERT_TRUE(_store->isOpen());
        _importer = importDcm::create();
        _importer->retain();
        _importer->setRootPath(_store->getRoot());
    }
    void TearDown() override
    {
        if (_importer) {
            _importer->stop();
            _importer->release();
        }
        if (_store)
            _store->release();
        StoreFixture::TearDown();
    }

    // Imports a folder and waits until `files` new series rows were announced.
    void importAndWait(const std::string& folder, size_t files)
    {
        size_t before = _recorder.count(2001);
        _importer->importFiles(folder);
        ASSERT_TRUE(storetest::pumpUntil([&] { return _recorder.count(2001) >= before + files; }))
            << "announced " << _recorder.count(2001) - before << " of " << files;
    }

    std::vector<std::vector<std::string>> query(const std::string& sql)
    {
        NSUI::NSDBDataModel rows;
        std::lock_guard<std::recursive_mutex> lock(_store->getLock());
        EXPECT_TRUE(_store->getConnection().getRecord(sql, &rows)) << sql;
        return storetest::rowsOf(rows);
    }
    std::string count(const std::string& table) { return query("select count() from " + table)[0][0]; }

    // The rows a request hands to its callback; empty when the callback never ran.
    // A request that should find nothing is never answered, so it is given a short wait only.
    std::vector<std::vector<std::string>> request(int type, const std::string& key = "", double waitSeconds = 3.0)
    {
        bool called = false;
        std::vector<std::vector<std::string>> rows;
        auto callback = [&](NSUI::NSDBDataModel* model) {
            called = true;
            rows = storetest::rowsOf(*model);
        };
        if (type == 0)
            _store->requestPatients(callback);
        else if (type == 1)
            _store->requestStudies(callback, key);
        else
            _store->requestFavorites(callback);
        storetest::pumpUntil([&] { return called; }, waitSeconds);
        return rows;
    }

    Recorder _recorder{{2001, 2002, 1007}};
    dicomDB* _store = nullptr;
    importDcm* _importer = nullptr;
};

TEST_F(StoreRecordsTest, ImportedSeriesBecomesRowsAnnouncedOnceEach)
{
    importAndWait(Series::get().ct, 3);
    EXPECT_EQ(count("patient"), "1");
    EXPECT_EQ(count("study"), "1");
    EXPECT_EQ(count("series"), "1");
    EXPECT_EQ(count("image"), "3");

    // Each file: 2002 and then 2001, with the same JSON.
    ASSERT_EQ(_recorder.posts.size(), 6u);
    for (size_t i = 0; i < 6; i += 2) {
        EXPECT_EQ(_recorder.posts[i].id, 2002u);
        EXPECT_EQ(_recorder.posts[i + 1].id, 2001u);
        EXPECT_EQ(_recorder.posts[i].text, _recorder.posts[i + 1].text);
        EXPECT_TRUE(_recorder.posts[i].fromStore);
    }
    const std::string first = _recorder.posts[0].text;
    EXPECT_EQ(UIJson::getJsonString(first, "name"), "PHANTOM^CT");
    EXPECT_EQ(UIJson::getJsonString(first, "patientIDHospital"), "QP1");
    EXPECT_EQ(UIJson::getJsonString(first, "studyNumber"), "1");
    EXPECT_EQ(UIJson::getJsonString(first, "seriesNumber"), "1");
    EXPECT_EQ(UIJson::getJsonString(first, "imageNumber"), "1");
    EXPECT_EQ(UIJson::getJsonString(_recorder.posts[2].text, "studyNumber"), "0");
    EXPECT_EQ(UIJson::getJsonString(_recorder.posts[2].text, "seriesNumber"), "0");
    const std::string folder = UIJson::getJsonString(first, "dcmFolder");
    EXPECT_EQ(folder, query("select path from series")[0][0]);
    EXPECT_EQ(folder.back(), '/');

    // The series row of the last file counts all three images and shows the first one's tags.
    const Posted last = _recorder.of(2001).back();
    ASSERT_EQ(last.rows.size(), 1u);
    ASSERT_EQ(last.rows[0].size(), 11u);
    EXPECT_EQ(last.rows[0][0], UIJson::getJsonString(last.text, "seriesID"));
    EXPECT_EQ(last.rows[0][3], folder);
    EXPECT_EQ(last.rows[0][4], "3");
    EXPECT_EQ(last.rows[0][5], "32");
    EXPECT_EQ(last.rows[0][6], "32");
    EXPECT_EQ(last.rows[0][8], "CT");

    // The same files again: copied over themselves, no row, no announcement.
    _recorder.posts.clear();
    _importer->importFiles(Series::get().ct);
    storetest::pumpFor(1.0);
    EXPECT_TRUE(_recorder.posts.empty());
    EXPECT_EQ(count("image"), "3");
    EXPECT_EQ(storetest::rowsOf([&] {
                  NSUI::NSDBDataModel m;
                  _store->getImageFiles(m, query("select ID from series")[0][0]);
                  return m;
              }()).size(),
              3u);
}

TEST_F(StoreRecordsTest, HostileAndAwkwardNamesAreStoredExactlyAndChangeNothingElse)
{
    importAndWait(Series::get().hostile, 2);
    importAndWait(Series::get().columnNames, 1);
    importAndWait(Series::get().comma, 1);
    auto patients = query("select name,patientIDHospital from patient order by ID");
    ASSERT_EQ(patients.size(), 3u);
    EXPECT_EQ(patients[0], (std::vector<std::string>{kHostileName, kQuotedId}));
    EXPECT_EQ(patients[1], (std::vector<std::string>{"name", "ID"}));
    EXPECT_EQ(patients[2], (std::vector<std::string>{kCommaName, "C,1"}));
    EXPECT_EQ(count("study"), "3");
    EXPECT_EQ(count("image"), "4");

    // The announcement reads back whole: quotes and commas do not shift the later keys.
    const std::string json = _recorder.of(2002).back().text;
    EXPECT_EQ(UIJson::getJsonString(json, "name"), kCommaName);
    EXPECT_EQ(UIJson::getJsonString(json, "patientIDHospital"), "C,1");
    EXPECT_EQ(UIJson::getJsonString(json, "imageNumber"), "1");
    EXPECT_EQ(UIJson::getJsonString(json, "dcmFolder"), query("select path from series order by ID")[2][0]);

    // Every stored folder lies inside the store root.
    for (auto& row : query("select path from series"))
        EXPECT_TRUE(fs::exists(storeRoot() + row[0])) << row[0];
}

TEST_F(StoreRecordsTest, ListRequestsGiveNewestPatientsFirstAndAPatientsStudiesWithSeries)
{
    EXPECT_TRUE(request(0, "", 0.5).empty()) << "an empty store never calls back";
    importAndWait(Series::get().ct, 3);
    // updateTime has whole seconds; the second patient must be visibly newer.
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    importAndWait(Series::get().twelve, 12);

    auto patients = request(0);
    ASSERT_EQ(patients.size(), 2u);
    EXPECT_EQ(patients[0][2], "MANY^SLICES");
    EXPECT_EQ(patients[1][2], "PHANTOM^CT");
    ASSERT_EQ(patients[0].size(), 11u);
    EXPECT_EQ(patients[0][1], "M12");
    EXPECT_EQ(patients[0][8], "1");
    EXPECT_EQ(patients[0][9], "1");
    EXPECT_EQ(patients[0][10], "12");
    EXPECT_EQ(patients[1][10], "3");
    EXPECT_EQ(patients[1][3].size(), 10u) << "birthday shown as YYYY.MM.DD: " << patients[1][3];

    auto studies = request(1, patients[1][0]);
    ASSERT_EQ(studies.size(), 2u);
    EXPECT_EQ(studies[0][0], "study");
    EXPECT_EQ(studies[0][2], patients[1][0]);
    ASSERT_EQ(studies[1].size(), 12u);
    EXPECT_EQ(studies[1][1], patients[1][0]);
    EXPECT_EQ(studies[1][5], "3");
    EXPECT_EQ(studies[1][6], "32");
    EXPECT_EQ(studies[1][9], "CT");
    EXPECT_NE(studies[1][10].find("kV "), std::string::npos);

    // Two quick requests for studies: the later one is served first.
    // The worker is held inside the patients request (by the store's lock) while both study
    // requests are queued, so neither is taken before the other is waiting.
    std::vector<std::string> served;
    {
        std::lock_guard<std::recursive_mutex> busy(_store->getLock());
        _store->requestPatients([&](NSUI::NSDBDataModel*) { served.push_back("patients"); });
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!_store->isWorkerBusy() && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ASSERT_TRUE(_store->isWorkerBusy());
        _store->requestStudies([&](NSUI::NSDBDataModel*) { served.push_back("first"); }, patients[0][0]);
        _store->requestStudies([&](NSUI::NSDBDataModel*) { served.push_back("second"); }, patients[1][0]);
    }
    ASSERT_TRUE(storetest::pumpUntil([&] { return served.size() == 3; }, 5));
    EXPECT_LT(std::find(served.begin(), served.end(), "second"), std::find(served.begin(), served.end(), "first"))
        << served[0] << ", " << served[1] << ", " << served[2];

    EXPECT_TRUE(request(1, "1 or 1=1", 0.5).empty());
    EXPECT_TRUE(request(1, "999", 0.5).empty());

    // Instance numbers sort as numbers.
    NSUI::NSDBDataModel files;
    _store->getImageFiles(files, studies.size() ? request(1, patients[0][0])[1][0] : "");
    ASSERT_EQ(files.getRowCount(), 12);
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(files.getValue(i, 0), std::to_string(i + 1));
}

TEST_F(StoreRecordsTest, DeletionsCascadeAndRemoveExactlyTheirFolders)
{
    importAndWait(Series::get().ct, 3);
    importAndWait(Series::get().twelve, 12);
    const std::string ctSeries = query("select series.ID from series,study,patient where series.studyID=study.ID and "
                                       "study.patientID=patient.ID and patient.name='PHANTOM^CT'")[0][0];
    const std::string ctPath = query("select path from series where ID=" + ctSeries)[0][0];
    const std::string otherPath = query("select path from series where ID<>" + ctSeries)[0][0];
    ASSERT_TRUE(fs::exists(storeRoot() + ctPath));

    EXPECT_FALSE(_store->deleteSeries("9999"));
    EXPECT_FALSE(_store->deleteSeries(ctSeries + " or 1=1"));
    EXPECT_EQ(count("series"), "2");

    // The patient's last series takes its study and the patient, and their folders.
    ASSERT_TRUE(_store->deleteSeries(ctSeries));
    EXPECT_EQ(count("patient"), "1");
    EXPECT_EQ(count("study"), "1");
    EXPECT_EQ(count("image"), "12");
    EXPECT_FALSE(fs::exists(storeRoot() + ctPath));
    EXPECT_FALSE(fs::exists(storeRoot() + ctPath.substr(0, ctPath.find('/'))));
    EXPECT_TRUE(fs::exists(storeRoot() + otherPath));
    EXPECT_TRUE(fs::exists(storeRoot() + "dicomDB"));

    const std::string other = query("select ID from patient")[0][0];
    EXPECT_TRUE(_store->patientExists(other));
    ASSERT_TRUE(_store->deletePatient(other));
    EXPECT_FALSE(_store->patientExists(other));
    EXPECT_EQ(count("image"), "0");
    EXPECT_EQ(count("series"), "0");
    EXPECT_FALSE(fs::exists(storeRoot() + otherPath.substr(0, otherPath.find('/'))));
    EXPECT_TRUE(fs::exists(storeRoot() + "dicomDB"));
}

// A file of another series of the patient that was placed (and acknowledged) but is not indexed
// yet when the patient's last indexed series, or the patient, is deleted: it stays and is
// indexed afterwards; the deleted series' rows and folder go.
TEST_F(StoreRecordsTest, DeletionsKeepAPlacedFileOfAnotherSeriesNotYetIndexed)
{
    importAndWait(Series::get().ct, 3);
    const std::string source = fs::directory_iterator(Series::get().ct)->path().string();
    // The same patient and study, another series: placed as the receiver places it, its
    // record held back from the worker until the deletion is over.
    auto placeOtherSeries = [&](const std::string& seriesUid, dcmSDK::DCM_MESSAGE*& record) {
        const std::string copy = scratch("other") + "/" + seriesUid + ".dcm";
        fs::copy_file(source, copy, fs::copy_options::overwrite_existing);
        const std::string command = "dcmodify -nb -m '(0020,000e)=" + seriesUid + "' -m '(0008,0018)=" +
                                    seriesUid + ".1' " + copy + " >/dev/null 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0);
        record = new dcmSDK::DCM_MESSAGE();
        ASSERT_TRUE(dcmSDK::placeFileInStore(copy, _store->getRoot(), false, *record));
    };
    // The record goes to the store with its notification, which owns it from then on.
    auto index = [&](dcmSDK::DCM_MESSAGE* record) {
        size_t before = _recorder.count(2001);
        auto* data = new DcmMessageData(record);
        NSUI::NSNotificationCenter::getInstance()->postNotification(nullptr, 2014, data, nullptr, true);
        data->release();
        ASSERT_TRUE(storetest::pumpUntil([&] { return _recorder.count(2001) > before; }));
    };

    const std::string ctSeries = query("select ID from series")[0][0];
    const std::string ctPath = query("select path from series")[0][0];
    dcmSDK::DCM_MESSAGE* first = nullptr;
    placeOtherSeries("1.2.826.0.1.3680043.2.1143.71", first);
    ASSERT_NE(first, nullptr);
    const std::string secondPath = first->folder;
    ASSERT_TRUE(_store->deleteSeries(ctSeries));
    EXPECT_EQ(count("patient"), "0");
    EXPECT_FALSE(fs::exists(storeRoot() + ctPath));
    EXPECT_TRUE(fs::exists(storeRoot() + secondPath + first->fileName));
    index(first);
    EXPECT_EQ(query("select seriesUID,path from series"),
              (std::vector<std::vector<std::string>>{{"1.2.826.0.1.3680043.2.1143.71", secondPath}}));
    EXPECT_EQ(query("select name from patient")[0][0], "PHANTOM^CT");
    EXPECT_EQ(count("image"), "1");

    // The patient deleted with its one indexed series, while a file of a third one waits.
    dcmSDK::DCM_MESSAGE* third = nullptr;
    placeOtherSeries("1.2.826.0.1.3680043.2.1143.72", third);
    ASSERT_NE(third, nullptr);
    ASSERT_TRUE(_store->deletePatient(query("select ID from patient")[0][0]));
    EXPECT_FALSE(fs::exists(storeRoot() + secondPath));
    EXPECT_TRUE(fs::exists(storeRoot() + third->folder + third->fileName));
    index(third);
    EXPECT_EQ(query("select seriesUID from series"),
              (std::vector<std::vector<std::string>>{{"1.2.826.0.1.3680043.2.1143.72"}}));
    EXPECT_EQ(count("image"), "1");

    // Once nothing is left in them, the study and patient folders go with the last series.
    ASSERT_TRUE(_store->deleteSeries(query("select ID from series")[0][0]));
    EXPECT_FALSE(fs::exists(storeRoot() + ctPath.substr(0, ctPath.find('/'))));
    // The folders were moved out of the store before they were removed; none is left over.
    EXPECT_TRUE(fs::is_empty(dcmSDK::storeScratchFolder(storeRoot())));
}

TEST_F(StoreRecordsTest, RowsWithDamagedPathsDeleteNoFiles)
{
    // A sentinel beside the store root and one inside it must survive every deletion below.
    const std::string outside = writable() + "qp/keep.txt";
    const std::string inside = storeRoot() + "a/keep.txt";
    fs::create_directories(storeRoot() + "a");
    std::ofstream(outside) << "x";
    std::ofstream(inside) << "x";
    {
        std::lock_guard<std::recursive_mutex> lock(_store->getLock());
        auto& db = _store->getConnection();
        ASSERT_TRUE(db.executeSQL("insert into patient(name,patientIDHospital) values ('P','1')"));
        ASSERT_TRUE(db.executeSQL("insert into study(patientID,studyUID) values (1,'S')"));
        for (const char* path : {"", "a/", "..", "../..", "/tmp", "a/../../x/y/z"})
            ASSERT_TRUE(db.executeSQL("insert into series(studyID,seriesUID,path) values (1,?,?)",
                                      {NSUI::NSDBValue(std::string("U") + path), NSUI::NSDBValue(path)}));
    }
    auto ids = query("select ID from series order by ID");
    for (size_t i = 0; i + 1 < ids.size(); ++i)
        EXPECT_TRUE(_store->deleteSeries(ids[i][0]));
    EXPECT_TRUE(_store->deletePatient("1"));
    EXPECT_EQ(count("series"), "0");
    EXPECT_TRUE(fs::exists(outside));
    EXPECT_TRUE(fs::exists(inside));
    EXPECT_TRUE(fs::exists(storeRoot() + "dicomDB"));
}

TEST_F(StoreRecordsTest, FavouritesAreAddedListedAndDeletedWithTheirDetails)
{
    // A capture that is no picture is kept with scale 1.
    const std::string capture = writable() + "qp/tmp/capture/1.jpg";
    fs::create_directories(writable() + "qp/tmp/capture");
    std::ofstream(capture) << "not a picture";
    NSUI::NSNotificationCenter::getInstance()->postNotificationWithString(nullptr, 1004, capture, nullptr, true);
    ASSERT_TRUE(storetest::pumpUntil([&] { return _recorder.count(1007) == 1; }, 5));
    const Posted added = _recorder.of(1007)[0];
    EXPECT_EQ(added.text, capture);
    EXPECT_FLOAT_EQ(added.floatValue, 1.0f);

    auto rows = query("select ID,type,image,valid,scale from favorite order by ID");
    ASSERT_EQ(rows.size(), 2u) << "the first favourite of a run brings its group row";
    EXPECT_EQ(rows[0][1], "3");
    EXPECT_EQ(rows[1][0], std::to_string(added.intValue));
    EXPECT_EQ(rows[1][1], "1");
    EXPECT_EQ(rows[1][2], "qp/tmp/capture/1.jpg");
    EXPECT_EQ(rows[1][4], "1.0");

    EXPECT_EQ(_store->addDicomFavorite(writable() + "qp/favorite/2.dcm", 1.3333f), added.intValue + 1);
    EXPECT_EQ(query("select scale from favorite where type=2")[0][0], "1.33");
    auto listed = request(3);
    ASSERT_EQ(listed.size(), 3u);
    EXPECT_EQ(listed[1][4], capture);

    {
        std::lock_guard<std::recursive_mutex> lock(_store->getLock());
        ASSERT_TRUE(_store->getConnection().executeSQL(
            "insert into favoriteDetail(type,favoriteID) values (1," + std::to_string(added.intValue) + ")"));
    }
    EXPECT_TRUE(_store->deleteFavorite(added.intValue));
    EXPECT_EQ(count("favoriteDetail"), "0");
    EXPECT_EQ(count("favorite"), "2");
}

} // namespace
