// Preview pictures: which images a series shows, the files the worker writes, and a worker
// that outlives its screen.

#include "BrowseFixture.h"

#include "dcmFileRecord.h"
#include "study/StoreWorkers.h"
#include "support/FolderWatch.h"
#include "study/ThumbnailMaker.h"
#include "study/studyList.h"
#include "table/NSListView.h"

#include <thread>

using browsetest::Recorder;

namespace {

class ThumbnailTest : public browsetest::BrowseFixture {
protected:
    /// Imports a generated CT series of n images; returns its store row ID and its folder.
    std::pair<std::string, std::string> importSeries(int n) {
        const std::string folder = scratch("ct");
        EXPECT_TRUE(storetest::makeSeries({"--id", "T", "--ct", "32x32x" + std::to_string(n), folder}));
        importAndWait(folder, static_cast<size_t>(n));
        NSUI::NSDBDataModel rows;
        std::lock_guard<std::recursive_mutex> lock(db->getLock());
        db->getConnection().getRecord("select ID,path from series", &rows);
        return {rows.getValue(0, 0), rows.getValue(0, 1)};
    }
};

TEST(ThumbnailPick, ImagesSpreadEvenlyWithoutRepeats) {
    EXPECT_EQ(ThumbnailMaker::pickImages(120), (std::vector<int>{0, 20, 40, 60, 80, 100}));
    EXPECT_EQ(ThumbnailMaker::pickImages(4), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(ThumbnailMaker::pickImages(1), (std::vector<int>{0}));
    EXPECT_TRUE(ThumbnailMaker::pickImages(0).empty());
    // Sizes past 4 GiB must not wrap round to small ones.
    EXPECT_TRUE(ThumbnailMaker::isTooLarge((4ULL << 30) + 1000));
    EXPECT_FALSE(ThumbnailMaker::isTooLarge(500ULL << 20));
}

TEST_F(ThumbnailTest, FourImagesGiveFourPicturesAndNoImagesNoNotice) {
    auto [id, path] = importSeries(4);
    const std::string base = db->getRoot() + path + "/";
    Recorder done({ThumbnailMaker::kDoneId, 9999});
    std::atomic<bool> running{true};
    EXPECT_EQ(ThumbnailMaker::run(db, id, path, &running), 4);
    EXPECT_FALSE(running);
    EXPECT_TRUE(std::filesystem::exists(base + "thrumb3"));
    EXPECT_FALSE(std::filesystem::exists(base + "thrumb4"));

    // No images: the flag is cleared and nothing is posted (the marker comes through alone).
    running = true;
    EXPECT_EQ(ThumbnailMaker::run(db, "424242", "nowhere", &running), 0);
    EXPECT_FALSE(running);
    NSUI::NSNotificationCenter::getInstance()->postNotificationWithString(nullptr, 9999, "", nullptr, false);
    frameUntil([&] { return done.count(9999) == 1; });
    ASSERT_EQ(done.count(ThumbnailMaker::kDoneId), 1u);
    EXPECT_EQ(done.of(ThumbnailMaker::kDoneId)[0].text, base);
}

TEST_F(ThumbnailTest, ScreenClosedWhileItsWorkerRuns) {
    auto [id, path] = importSeries(12);
    cocos2d::Scene* next = studyList::create();
    auto* screen = static_cast<studyList*>(next->getChildByTag(studyList::kScreenTag));
    screen->setPatientID(patientRow("T"));
    // Listening before the worker starts: it may finish before the lock below is taken.
    Recorder done({ThumbnailMaker::kDoneId});
    director->pushScene(next);
    frameUntil([&] { return screen->isLoaded(); }); // selects the series, which starts the worker
    {
        // The worker waits for the store while the screen goes away.
        std::lock_guard<std::recursive_mutex> lock(db->getLock());
        director->popScene();
        frame();
        frame();
    }
    frameUntil([&] { return done.count(ThumbnailMaker::kDoneId) == 1; });
    EXPECT_TRUE(studyList::hasThumbnails(db->getRoot() + path + "/"));
}

TEST_F(ThumbnailTest, ClosingWaitsForADeletionAndStopsPicturesBetweenFiles) {
    auto [id, path] = importSeries(12);
    const std::string one = scratch("one") + "/one.dcm";
    writeImage(one, "P5", "1", "1", 1);
    importAndWait(one, 1);
    cocos2d::Scene* next = studyList::create();
    auto* screen = static_cast<studyList*>(next->getChildByTag(studyList::kScreenTag));
    screen->setPatientID(patientRow("P5"));
    director->pushScene(next);
    frameUntil([&] { return screen->isLoaded() && !screen->isThumbnailJobRunning(); });
    const std::string deletedFolder = db->getRoot() + screen->rowAt(1)->path;

    // Both jobs wait for the store while the program closes.
    auto running = std::make_shared<std::atomic<bool>>(true);
    std::atomic<bool> closed{false};
    bool runningWhenClosed = true;
    {
        std::unique_lock<std::recursive_mutex> lock(db->getLock());
        screen->deleteSeries(1);
        ThumbnailMaker::start(db, id, path, running);
        std::thread closer([&] {
            StoreWorkers::finishAll();
            runningWhenClosed = running->load();
            closed = true;
        });
        while (!StoreWorkers::stopRequested() && !closed)
            std::this_thread::yield();
        lock.unlock();
        closer.join();
    }
    EXPECT_FALSE(runningWhenClosed);
    EXPECT_FALSE(db->patientExists(screen->getPatientID()));
    EXPECT_FALSE(std::filesystem::exists(deletedFolder));
    // Stopped before its first picture: none, and nothing half written.
    const std::string base = db->getRoot() + path + "/";
    EXPECT_FALSE(studyList::hasThumbnails(base));
    for (const auto& entry : std::filesystem::directory_iterator(base))
        EXPECT_EQ(entry.path().filename().string().find("thrumb"), std::string::npos) << entry.path();
}

TEST_F(ThumbnailTest, PicturesAreMadeWithoutTheFolderLockAndPlacedOnlyWhileTheirImageIsThere) {
    auto [id, path] = importSeries(1);
    const std::string base = db->getRoot() + path + "/";
    const std::string scratchFolder = dcmSDK::storeScratchFolder(db->getRoot());
    std::filesystem::create_directories(scratchFolder);
    const std::string image = base + [&] {
        NSUI::NSDBDataModel files;
        db->getImageFiles(files, id);
        return files.getValue(0, 1);
    }();
    for (bool imageStays : {true, false}) {
        SCOPED_TRACE(imageStays ? "image there" : "image gone");
        std::filesystem::remove(base + "thrumb0");
        qptest::FolderWatch watch(scratchFolder);
        ASSERT_TRUE(watch.ok());
        int written = -1;
        std::thread job;
        {
            // The receiver would wait here: the picture must not.
            std::lock_guard<std::mutex> placing(dcmSDK::storeFolderLock());
            job = std::thread([&] { written = ThumbnailMaker::run(db, id, path); });
            const std::string finished = watch.nextWrittenFile();
            EXPECT_FALSE(finished.empty());
            EXPECT_EQ(qptest::readFile(scratchFolder + finished).substr(1, 3), "PNG");
            EXPECT_FALSE(std::filesystem::exists(base + "thrumb0"));
            if (!imageStays)
                std::filesystem::remove(image);
        }
        job.join();
        EXPECT_EQ(written, imageStays ? 1 : 0);
        EXPECT_EQ(std::filesystem::exists(base + "thrumb0"), imageStays);
        EXPECT_TRUE(std::filesystem::is_empty(scratchFolder)) << "the scratch file is renamed or removed";
    }
}

} // namespace
