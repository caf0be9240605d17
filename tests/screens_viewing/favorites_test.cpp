// The favourites library and the favourite viewer over a real store: rows as the store lists
// them, removal of files and rows (and only inside the library's folders), thumbnails, presets
// by modality, and the window editor's values taken only from the editor the viewer opened.

#include "ViewingFixture.h"

#include "favorites/captureList.h"
#include "favorites/favoriteList.h"
#include "favorites/favoriteView.h"
#include "picture/NSSpriteView.h"
#include "table/NSListView.h"
#include "tools/editWW.h"

#include <filesystem>
#include <fstream>

using namespace cocos2d;
namespace fs = std::filesystem;

namespace {

class Favorites : public viewingtest::ViewingFixture {
protected:
    /// A favourite row as the store keeps it: the image relative to the writable path.
    void addRow(int id, int type, const std::string& image, float scale, const std::string& time = "2026-01-01 10:00:00") {
        std::lock_guard<std::recursive_mutex> lock(db->getLock());
        ASSERT_TRUE(db->getConnection().executeSQL(
            "insert into favorite(ID,type,message,icon,image,valid,updateTime,scale) values (?,?,'','',?,1,?,?)",
            {NSUI::NSDBValue(id), NSUI::NSDBValue(type), NSUI::NSDBValue(image), NSUI::NSDBValue(time),
             NSUI::NSDBValue(static_cast<double>(scale))}));
    }
    int rowCount(int id) {
        NSUI::NSDBDataModel rows;
        std::lock_guard<std::recursive_mutex> lock(db->getLock());
        db->getConnection().getRecord("select ID from favorite where ID=?", {NSUI::NSDBValue(id)}, &rows);
        return rows.getRowCount();
    }
    std::string writable() { return FileUtils::getInstance()->getWritablePath(); }
    std::string touch(const std::string& relative) {
        const std::string path = writable() + relative;
        fs::create_directories(fs::path(path).parent_path());
        std::ofstream(path) << "x";
        return path;
    }
    void copyDicom(const std::string& from, const std::string& relative) {
        const std::string path = writable() + relative;
        fs::create_directories(fs::path(path).parent_path());
        fs::copy_file(qptest::pydicomDir() + "/" + from, path, fs::copy_options::overwrite_existing);
    }

    /// A library on the scene, its rows loaded from the store.
    captureList* openList(float height = 700) {
        captureList* list = captureList::create();
        list->setContentSize(Size(300, height));
        director->getRunningScene()->addChild(list);
        list->setup();
        frameUntil([&] { return list->isLoaded(); });
        return list;
    }
    /// The viewers' queued notifications hold them until delivered, one delivery a frame.
    void settle() {
        for (int i = 0; i < 120; ++i)
            frame();
    }
    static captureList::listObject* row(captureList* list, int index) {
        return static_cast<captureList::listObject*>(list->getTable()->rows.at(index));
    }
    static float height(captureList* list, int index) {
        return list->tableCellSizeForIndex(list->getTable(), index, row(list, index)).height;
    }
};

TEST_F(Favorites, RowsGroupAndSize) {
    // An empty library is loaded too, and shows the hint row alone.
    captureList* empty = openList();
    ASSERT_EQ(1, empty->getTable()->getRowCount());
    EXPECT_EQ(captureList::kHint, row(empty, 0)->type);
    EXPECT_EQ(160.0f, height(empty, 0));
    empty->removeFromParent();

    addRow(1, 3, "", 1.0f, "2026-01-01 09:00:00");
    addRow(2, 3, "", 1.0f, "2026-01-01 09:00:01");
    addRow(3, 3, "", 1.0f, "2026-01-01 09:00:02");
    addRow(4, 1, "qp/tmp/capture/1.jpg", 1.5f, "2026-01-01 09:00:03");
    addRow(5, 1, "qp/tmp/capture/2.jpg", 0.75f, "2026-01-01 09:00:04");
    addRow(6, 2, "qp/favorite/3.dcm", 1.0f, "2026-01-01 09:00:05");
    addRow(7, 2, "qp/favorite/4.dcm", 0.5f, "2026-01-01 09:00:06");
    addRow(8, 3, "", 1.0f, "2026-01-01 09:00:07");
    captureList* list = openList();
    ASSERT_EQ(5, list->getTable()->getRowCount()) << "one group row for the run, none at the end";
    EXPECT_EQ(3, row(list, 0)->ID) << "a run of group rows keeps its last";
    EXPECT_EQ(writable() + "qp/tmp/capture/1.jpg", row(list, 1)->image);
    EXPECT_EQ(40.0f, height(list, 0));
    EXPECT_EQ(90.0f, height(list, 1));
    EXPECT_EQ(170.0f, height(list, 2));
    EXPECT_EQ(120.0f, height(list, 3));
    EXPECT_EQ(200.0f, height(list, 4));

    // Check all reaches every row; only captures and DICOM favourites are shared.
    std::string json;
    bool withDicom = true;
    EXPECT_EQ(0, captureList::collectChecked(list->getTable()->rows, json, withDicom)) << "nothing checked";
    EXPECT_TRUE(json.empty());
    list->setAllChecked(true);
    EXPECT_EQ(4, captureList::collectChecked(list->getTable()->rows, json, withDicom));
    EXPECT_TRUE(withDicom);
    EXPECT_EQ("4", NSUI::UIJson::getJsonString(json, "number"));
    EXPECT_EQ(writable() + "qp/favorite/4.dcm", NSUI::UIJson::getJsonString(json, "3"));
    list->setAllChecked(false);
    EXPECT_FALSE(row(list, 4)->checked);
}

TEST_F(Favorites, RemoveDeletesOnlyInsideTheLibrary) {
    const std::string capture = touch("qp/tmp/capture/100.jpg");
    const std::string dicom = touch("qp/favorite/200.dcm");
    const std::string dicomPng = touch("qp/favorite/200.png");
    const std::string outside = touch("elsewhere/300.jpg");
    const std::string climbing = touch("qp/300.dcm");
    const std::string kept = touch("qp/tmp/capture/400.jpg");
    addRow(6, 1, "qp/tmp/capture/400.jpg", 1.0f, "2026-01-01 09:00:00");
    addRow(1, 3, "", 1.0f);
    addRow(2, 1, "qp/tmp/capture/100.jpg", 1.5f);
    addRow(3, 2, "qp/dicom/../favorite/200.dcm", 1.0f);
    addRow(4, 1, "elsewhere/300.jpg", 1.0f);
    addRow(5, 2, "qp/favorite/../300.dcm", 1.0f);
    captureList* list = openList();
    ASSERT_EQ(6, list->getTable()->getRowCount());
    std::vector<std::pair<std::string, int>> opened;
    list->rowSelected = [&](const std::string& path, int type) { opened.push_back({path, type}); };

    // Nothing checked: nothing goes, but the first row is opened.
    list->removeChecked();
    EXPECT_EQ(6, list->getTable()->getRowCount());
    ASSERT_EQ(1u, opened.size());
    opened.clear();

    for (int i = 1; i < 6; ++i)
        row(list, i)->checked = true;
    list->removeChecked();
    EXPECT_FALSE(fs::exists(capture));
    EXPECT_FALSE(fs::exists(dicom));
    EXPECT_FALSE(fs::exists(dicomPng));
    EXPECT_TRUE(fs::exists(outside)) << "a stored path outside the library deletes nothing";
    EXPECT_TRUE(fs::exists(climbing));
    EXPECT_TRUE(fs::exists(kept));
    for (int id : {2, 3, 4, 5})
        EXPECT_EQ(0, rowCount(id)) << id;
    EXPECT_EQ(1, rowCount(1)) << "a checked group row stays in the store";
    ASSERT_EQ(1, list->getTable()->getRowCount()) << "the group row left at the end is dropped";
    ASSERT_EQ(1u, opened.size());
    EXPECT_EQ(writable() + "qp/tmp/capture/400.jpg", opened[0].first) << "the first item row left";

    // Removing the rest leaves the hint row and opens nothing.
    opened.clear();
    list->setAllChecked(true);
    list->removeChecked();
    ASSERT_EQ(1, list->getTable()->getRowCount());
    EXPECT_EQ(captureList::kHint, row(list, 0)->type);
    EXPECT_TRUE(opened.empty());
    EXPECT_FALSE(fs::exists(kept));
}

TEST_F(Favorites, ThumbnailWrittenOnceUnderItsName) {
    copyDicom("CT_small.dcm", "qp/favorite/500.dcm");
    addRow(1, 2, "qp/favorite/500.dcm", 1.0f);
    captureList* list = openList();
    // Building the row starts the job; its picture appears only under its final name.
    frameUntil([&] { return fs::exists(writable() + "qp/favorite/500.png") && !captureList::isThumbnailJobRunning(); });
    EXPECT_FALSE(fs::exists(writable() + "qp/favorite/500.part.png"));
    // A damaged favourite gets no picture and leaves nothing behind.
    touch("qp/favorite/600.dcm");
    EXPECT_FALSE(captureList::makeThumbnail(writable() + "qp/favorite/600.dcm", 2, list));
    EXPECT_FALSE(fs::exists(writable() + "qp/favorite/600.png"));
    EXPECT_FALSE(fs::exists(writable() + "qp/favorite/600.part.png"));
}

TEST_F(Favorites, ViewerPresetsAndEditorValues) {
    favoriteView* view = favoriteView::create();
    view->setContentSize(Size(900, 700));
    director->getRunningScene()->addChild(view);
    view->setupToolBar();
    ASSERT_TRUE(view->getToolBar());

    view->loadFile(writable() + "missing.dcm");
    EXPECT_TRUE(view->getFilePath().empty());
    EXPECT_FALSE(view->getMultiView());
    Node* message = view->getChildByName(favoriteView::kMessageName);
    ASSERT_TRUE(message && message->isVisible());

    const std::string ct = qptest::pydicomDir() + "/CT_small.dcm";
    view->loadFile(ct);
    ASSERT_TRUE(view->getMultiView());
    EXPECT_FALSE(message->isVisible());
    EXPECT_EQ(ct, view->getFilePath());
    ASSERT_EQ(6u, view->getPresets().size());
    EXPECT_EQ("Abdomen", view->getPresets().front().name);
    EXPECT_EQ("Lung", view->getPresets().back().name);

    // The window menu is built from the presets of the file shown when it opens.
    auto* wl = dynamic_cast<ui::Widget*>(view->getToolBar()->getChildByNameDeep("btnCmdWL"));
    ASSERT_TRUE(wl);
    view->onButtonClicked(wl);
    Node* menu = view->getToolBar()->getChildByName("windowLevelMenu");
    ASSERT_TRUE(menu && menu->isVisible());
    view->onButtonClicked(wl);
    EXPECT_FALSE(menu->isVisible()) << "a click while a menu is open only closes it";

    view->loadFile(qptest::pydicomDir() + "/MR_small.dcm");
    EXPECT_EQ("20/40", view->getPresets().front().name);
    EXPECT_EQ("2560/5120", view->getPresets().back().name);
    EXPECT_FALSE(view->getToolBar()->getChildByName("windowLevelMenu")) << "rebuilt on the next show";

    // 9024 from anyone but the editor this view opened changes nothing.
    float width = 0, level = 0;
    ASSERT_TRUE(view->getMultiView()->getWindowLevel(width, level));
    auto* data = new NSUI::NSNotificationData();
    data->text = "{\"ww\":\"1500.000000\",\"wl\":\"-400.000000\"}";
    view->onMenuItem(view, editWW::kWindowSetId, data);
    float w2 = 0, l2 = 0;
    view->getMultiView()->getWindowLevel(w2, l2);
    EXPECT_EQ(width, w2);
    EXPECT_EQ(level, l2);
    view->onMenuItem(view->getMultiView(), 9023, nullptr);
    Node* window = view->getChildByName(editWW::kWindowName);
    ASSERT_TRUE(window);
    view->onMenuItem(editWW::fromWindow(window), editWW::kWindowSetId, data);
    view->getMultiView()->getWindowLevel(w2, l2);
    EXPECT_FLOAT_EQ(1500.0f, w2);
    EXPECT_FLOAT_EQ(-400.0f, l2);
    data->release();
    window->removeFromParent();
    view->removeFromParent();
    settle();
}

TEST_F(Favorites, ScreenSwitchesBetweenPictureAndViewer) {
    copyDicom("CT_small.dcm", "qp/favorite/700.dcm");
    touch("qp/tmp/capture/800.jpg");
    addRow(1, 2, "qp/favorite/700.dcm", 1.0f);
    addRow(2, 1, "qp/tmp/capture/800.jpg", 1.0f);
    favoriteList* screen = favoriteList::create();
    ASSERT_TRUE(screen && screen->getCaptureList() && screen->getViewer() && screen->getPictureView());
    director->getRunningScene()->addChild(screen);
    frameUntil([&] { return screen->getCaptureList()->getTable()->getRowCount() == 2; });
    favoriteView* viewer = screen->getViewer();
    screen->onRowSelected(writable() + "qp/favorite/700.dcm", captureList::kDicom);
    EXPECT_TRUE(viewer->isVisible());
    EXPECT_FALSE(screen->getPictureView()->isVisible());
    screen->onRowSelected(writable() + "qp/tmp/capture/800.jpg", captureList::kCapture);
    EXPECT_FALSE(viewer->isVisible());
    EXPECT_TRUE(screen->getPictureView()->isVisible());
    EXPECT_EQ(viewer, screen->getViewer()) << "nothing rebuilt";
    screen->removeFromParent();
    settle();
}

} // namespace
