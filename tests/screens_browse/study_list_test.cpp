// The study list over a real store: rows as the store lists them, files that arrive while it
// is shown or before it has loaded, opening and deleting series.

#include "BrowseFixture.h"

#include "db/SeriesRowData.h"
#include "patient/patientListLinks.h"
#include "study/studyList.h"
#include "table/NSListView.h"
#include "table/NSTableViewCell.h"
#include "ui/CocosGUI.h"

using browsetest::Recorder;
using namespace cocos2d;

namespace {

class StudyListTest : public browsetest::BrowseFixture {
protected:
    /// Two studies of three series each for patient "P1", one image per series.
    void importTwoStudies() {
        const std::string folder = scratch("two");
        for (const char* study : {"1", "2"})
            for (const char* series : {"1", "2", "3"})
                writeImage(folder + "/s" + study + series + ".dcm", "P1", study, series, 1);
        importAndWait(folder, 6);
    }

    /// The screen for a patient; loaded when `load`, else not yet running.
    studyList* open(const std::string& patient, bool load = true) {
        Scene* next = studyList::create();
        auto* screen = static_cast<studyList*>(next->getChildByTag(studyList::kScreenTag));
        screen->setPatientID(patientRow(patient));
        if (!load) {
            _unshown = next;
            next->retain(); // frames drain the autorelease pool
            return screen;
        }
        director->pushScene(next);
        frameUntil([&] { return screen->isLoaded(); });
        return screen;
    }

    static std::string kinds(studyList* screen) {
        std::string out;
        for (int64_t i = 0; screen->rowAt(i); ++i)
            out += screen->rowAt(i)->kind == 0 ? 'S' : 's';
        return out;
    }

    static std::string cellText(studyList* screen, int64_t index, const char* name) {
        NSUI::NSTableViewCell* cell = screen->getTable()->cellAtIndex(index);
        auto* text = cell ? dynamic_cast<ui::Text*>(cell->getChildByNameDeep(name)) : nullptr;
        return text ? text->getString() : "<none>";
    }

    /// Pushes the screen opened without loading.
    void show() {
        director->pushScene(_unshown);
        _unshown->release();
        _unshown = nullptr;
    }
    void TearDown() override {
        if (_unshown)
            _unshown->release();
        BrowseFixture::TearDown();
    }

    Scene* _unshown = nullptr;
};

TEST_F(StudyListTest, RowsPicturesOpeningAndStoredFilesMergedIn) {
    importTwoStudies();
    const std::string other = scratch("other") + "/other.dcm";
    writeImage(other, "P2", "9", "1", 1);
    importAndWait(other, 1);
    studyList* screen = open("P1");
    ASSERT_EQ(kinds(screen), "SsssSsss");
    EXPECT_EQ(cellText(screen, 1, "imageDesc"), "128x128 of 1");
    EXPECT_EQ(cellText(screen, 1, "modality"), "CT");

    // The first series has no pictures yet: the worker makes them, then the panel shows them.
    const std::string first = db->getRoot() + screen->rowAt(1)->path + "/";
    frameUntil([&] { return screen->getShownFolder() == first; });
    EXPECT_TRUE(screen->getChildByNameDeep("thrumb0")->isVisible());
    EXPECT_FALSE(screen->getChildByNameDeep("thrumb1")->isVisible()) << "one image, one picture";

    // Pictures another screen's worker made for a series not listed here are not shown; a
    // study header does nothing on either side; the right end of a series asks for the viewer.
    Recorder seen({2001, 2018, studyList::kOpenSeriesId}); // hears each post after the screen
    auto* centre = NSUI::NSNotificationCenter::getInstance();
    centre->postNotificationWithString(nullptr, 2018, db->getRoot() + "9/9/9/", nullptr, false);
    const float right = screen->getTable()->getContentSize().width - 10;
    for (float x : {10.0f, right})
        screen->tableCellTouched(screen->getTable(), screen->getTable()->cellAtIndex(4), Vec2(x, 10));
    screen->tableCellTouched(screen->getTable(), screen->getTable()->cellAtIndex(5), Vec2(right, 10));
    frameUntil([&] { return seen.count(2018) && seen.count(studyList::kOpenSeriesId); });
    EXPECT_EQ(screen->getShownFolder(), first);
    EXPECT_EQ(seen.of(studyList::kOpenSeriesId)[0].text, screen->rowAt(5)->path);

    auto importOne = [&](const std::string& patient, const std::string& study, const std::string& series,
                         int instance) {
        const std::string file = scratch("more") + "/" + patient + study + series + std::to_string(instance);
        writeImage(file, patient, study, series, instance);
        const size_t before = seen.count(2001);
        importAndWait(file, 1);
        frameUntil([&] { return seen.count(2001) > before; });
    };
    // A second image of a listed series raises its count.
    const std::string study = screen->rowAt(0)->studyIDHospital;
    importOne("P1", study, screen->rowAt(2)->dicomSeriesNumber, 2);
    EXPECT_EQ(cellText(screen, 2, "imageDesc"), "128x128 of 2");
    // A new series of a listed study goes right under its header, filled from the store.
    importOne("P1", study, "7", 1);
    EXPECT_EQ(kinds(screen), "SssssSsss");
    EXPECT_EQ(screen->rowAt(1)->dicomSeriesNumber, "7");
    EXPECT_FALSE(screen->rowAt(1)->path.empty());
    // A new study goes on top with its series; another patient's file changes nothing.
    importOne("P1", "3", "1", 1);
    EXPECT_EQ(kinds(screen), "SsSssssSsss");
    EXPECT_EQ(cellText(screen, 0, "id"), "3");
    importOne("P2", "9", "2", 1);
    EXPECT_EQ(kinds(screen), "SsSssssSsss");
}

TEST_F(StudyListTest, RecordsThatArriveBeforeTheListAreMergedAfterIt) {
    importTwoStudies();
    studyList* screen = open("P1", false);
    // A file of a new study stored while the study request is on its way.
    auto* model = new NSUI::NSDBDataModel();
    for (const char* text :
         {"999", "20240102 101010", "late", "P/late/series", "4", "64", "32", "Here", "MR", "", "5"})
        model->addColumn(text);
    model->endRow();
    auto* record = new SeriesRowData(model);
    NSUI::UIJson::setJsonString(record->text, "patientID", screen->getPatientID());
    NSUI::UIJson::setJsonString(record->text, "studyID", "998");
    NSUI::UIJson::setJsonString(record->text, "seriesID", "999");
    NSUI::UIJson::setJsonString(record->text, "studyIDHospital", "LATE");
    NSUI::NSNotificationCenter::getInstance()->postNotification(nullptr, 2001, record, nullptr, true);
    record->release();
    frameUntil([&] { return screen->getPendingRecordCount() == 1; });

    show();
    frameUntil([&] { return screen->isLoaded(); });
    EXPECT_EQ(screen->getPendingRecordCount(), 0u);
    EXPECT_EQ(kinds(screen), "SsSsssSsss");
    EXPECT_EQ(screen->rowAt(0)->studyIDHospital, "LATE");
    EXPECT_EQ(screen->rowAt(1)->imageCount, 4);
}

TEST_F(StudyListTest, ScreenClosedBeforeItsStudiesArrive) {
    importTwoStudies();
    bool later = false;
    {
        // The store answers only once the screen is gone.
        std::lock_guard<std::recursive_mutex> lock(db->getLock());
        open("P1", false);
        show();
        frame();
        director->popScene();
        frame();
        db->requestPatients([&](NSUI::NSDBDataModel*) { later = true; });
    }
    // Answers come oldest first: the screen's had its turn once this one arrives.
    frameUntil([&] { return later; });
}

TEST_F(StudyListTest, DeletingThePatientsLastSeriesPostsTheDeletion) {
    const std::string file = scratch("one") + "/one.dcm";
    writeImage(file, "P3", "1", "1", 1);
    importAndWait(file, 1);
    studyList* screen = open("P3");
    ASSERT_EQ(kinds(screen), "Ss");
    const std::string folder = db->getRoot() + screen->rowAt(1)->path;

    Recorder deleted({studyList::kSeriesDeletedId});
    screen->deleteSeries(1);
    EXPECT_EQ(kinds(screen), "S") << "the header stays";
    frameUntil([&] { return deleted.count(studyList::kSeriesDeletedId) == 1; });
    EXPECT_EQ(deleted.of(studyList::kSeriesDeletedId)[0].text, screen->getPatientID());
    EXPECT_FALSE(db->patientExists(screen->getPatientID()));
    EXPECT_FALSE(std::filesystem::exists(folder));
}

TEST_F(StudyListTest, TableAndPicturesShareAnyWindowSize) {
    const std::string folder = scratch("six");
    for (int i = 1; i <= 6; ++i)
        writeImage(folder + "/" + std::to_string(i) + ".dcm", "P4", "1", "1", i);
    importAndWait(folder, 6);
    // The program's window on a 1600 x 1000 display, then a small one.
    for (const Size& window : {Size(1592, 968), Size(1024, 700)}) {
        director->setWinSize(window);
        studyList* screen = open("P4");
        frameUntil([&] { return !screen->getShownFolder().empty() && !screen->isThumbnailJobRunning(); });
        frame();
        const Rect table = screen->getTable()->getBoundingBox();
        EXPECT_NEAR(table.getMaxY(), window.height - 60, 1) << "the table reaches the top bar";
        std::vector<Rect> shown;
        for (int i = 0; i < 6; ++i) {
            Node* picture = screen->getChildByNameDeep("thrumb" + std::to_string(i));
            ASSERT_TRUE(picture->isVisible());
            Rect box = picture->getBoundingBox();
            box.origin = picture->getParent()->convertToWorldSpace(box.origin);
            EXPECT_GE(box.getMinX(), table.getMaxX()) << i << " right of the table";
            EXPECT_LE(box.getMaxX(), window.width) << i;
            EXPECT_GE(box.getMinY(), 0) << i;
            EXPECT_LE(box.getMaxY(), table.getMaxY()) << i << " below the top bar";
            EXPECT_GT(box.size.width, window.height / 5) << i;
            for (const Rect& other : shown)
                EXPECT_FALSE(box.intersectsRect(other)) << i;
            shown.push_back(box);
        }
        director->popScene();
        frame();
    }
}

TEST_F(StudyListTest, FavouritesBadgeStartsAtTheStoresCountAndCountsNewCaptures) {
    bool opened = false;
    patientListLinks::openFavorites() = [&opened] { opened = true; };
    auto* centre = NSUI::NSNotificationCenter::getInstance();
    centre->postNotificationWithString(nullptr, 1004, scratch("shots") + "/capture.png", nullptr, false);
    frameUntil([&] { return db->getFavoriteCount() == 1; });
    studyList* screen = open("P1", false);
    show();
    frame();
    auto* button = dynamic_cast<ui::Button*>(screen->getChildByNameDeep("btnFavorite"));
    ASSERT_NE(button, nullptr);
    auto* badge = dynamic_cast<Label*>(button->getParent()->getChildByName("favoriteNodes"));
    ASSERT_NE(badge, nullptr);
    EXPECT_TRUE(badge->isVisible());
    EXPECT_EQ(badge->getString(), "1");

    centre->postNotificationWithString(nullptr, 1004, scratch("shots") + "/second.png", nullptr, false);
    frameUntil([&] { return badge->getString() == "2"; });
    screen->onButtonClicked(button);
    EXPECT_TRUE(opened);
    patientListLinks::openFavorites() = nullptr;
}

} // namespace
