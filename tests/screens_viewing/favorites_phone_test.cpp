// The favourites screens of the phone layout: the library across the window with its larger
// rows, new captures appearing while it is open, and opened rows on scenes of their own that
// go back to the library.

#include "ViewingFixture.h"

#include "favorites/captureList.h"
#include "favorites/favoriteListPhone.h"
#include "favorites/favoriteViewPhone.h"
#include "notify/NSNotificationCenter.h"
#include "picture/NSSpriteView.h"
#include "picture/spriteViewScene.h"
#include "send/dcmSend.h"
#include "study/StoreWorkers.h"
#include "tags/dcmInfoList.h"
#include "table/NSListView.h"
#include "tools/toolDisk.h"
#include "KeyViewProperty.h"
#include "isViewer.h"
#include "data/isSliceInfo.h"
#include "isViewerBrowser.h"
#include "isViewerImage.h"

#include <filesystem>
#include <fstream>

using namespace cocos2d;
namespace fs = std::filesystem;

namespace {

class FavoritesPhone : public viewingtest::ViewingFixture {
protected:
    void SetUp() override {
        viewingtest::ViewingFixture::SetUp();
        FileUtils::getInstance()->addSearchPath(qptest::sourceDir() + "/res/layout/", true);
        AppConfig::getInstance()->phoneLayout = true;
    }
    void TearDown() override {
        AppConfig::getInstance()->phoneLayout = false;
        viewingtest::ViewingFixture::TearDown();
    }
    void click(Node* widget) {
        ASSERT_NE(widget, nullptr);
        const Vec2 at = widget->convertToWorldSpace(Vec2(widget->getContentSize().width / 2, widget->getContentSize().height / 2));
        input->touchBegan(0, at);
        input->touchEnded(0, at);
        frame();
    }
    void pressReturn() {
        input->keyPressed(EventKeyboard::KeyCode::KEY_ESCAPE);
        input->keyReleased(EventKeyboard::KeyCode::KEY_ESCAPE);
        frame();
    }
    /// Pushes the scene, when there is one, and runs a frame.
    Scene* enter(Scene* scene) {
        if (scene) {
            director->pushScene(scene);
            frame();
        }
        return scene;
    }
    std::string writableFile(const std::string& relative) {
        const std::string path = FileUtils::getInstance()->getWritablePath() + relative;
        fs::create_directories(fs::path(path).parent_path());
        return path;
    }
};

TEST_F(FavoritesPhone, LibraryOpensRowsAsScenesThatGoBack) {
    Scene* under = director->getRunningScene();
    Scene* scene = enter(favoriteListPhone::createScene());
    ASSERT_NE(scene, nullptr);
    favoriteListPhone* screen = nullptr;
    for (Node* child : scene->getChildren())
        if (!screen)
            screen = dynamic_cast<favoriteListPhone*>(child);
    ASSERT_NE(screen, nullptr);
    captureList* list = screen->getCaptureList();
    ASSERT_NE(list, nullptr);
    const Size win = director->getWinSize();
    EXPECT_EQ(Size(win.width, win.height - 60), list->getContentSize());
    EXPECT_EQ(80.0f, list->getTextRowHeight());
    ASSERT_NE(scene->getChildByNameDeep("btnShare"), nullptr) << "the phone layout file";

    // A capture stored while the screen is open appears as a row.
    const int before = list->getTable()->getRowCount();
    auto* data = new NSUI::NSNotificationData();
    data->text = writableFile("qp/tmp/capture/7.jpg");
    data->intValue = 7;
    data->floatValue = 1.5f;
    NSUI::NSNotificationCenter::getInstance()->postNotification(nullptr, favoriteListPhone::kCaptureAddedId, data, nullptr, false);
    data->release();
    frameUntil([&] { return list->getTable()->getRowCount() > before; });

    // A DICOM favourite flips to the viewer; its back button returns to the library.
    const std::string dicom = qptest::pydicomDir() + "/CT_small.dcm";
    screen->onRowSelected(dicom, captureList::kDicom);
    frame();
    Scene* viewing = director->getRunningScene();
    favoriteViewPhone* view = favoriteViewPhone::of(viewing);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(dicom, view->getFilePath());
    ASSERT_NE(view->getMultiView(), nullptr);
    EXPECT_TRUE(view->getMultiView()->isVisible());
    // Sending from the viewer pushes the send screen as a scene of its own.
    click(viewing->getChildByNameDeep("btnCmdSend"));
    ASSERT_NE(dcmSend::fromWindow(director->getRunningScene()), nullptr);
    pressReturn();
    EXPECT_EQ(viewing, director->getRunningScene());
    click(viewing->getChildByNameDeep("goBack"));
    EXPECT_EQ(scene, director->getRunningScene());

    // A capture flips to the picture scene; the return key goes back.
    const std::string picture = writableFile("qp/tmp/capture/8.jpg");
    std::ofstream(picture) << "x";
    screen->onRowSelected(picture, captureList::kCapture);
    frame();
    auto* pictures = dynamic_cast<spriteViewScene*>(director->getRunningScene());
    ASSERT_NE(pictures, nullptr);
    ASSERT_NE(pictures->getSpriteView(), nullptr);
    pressReturn();
    EXPECT_EQ(scene, director->getRunningScene());

    click(scene->getChildByNameDeep("goBack"));
    EXPECT_EQ(under, director->getRunningScene());
}

TEST_F(FavoritesPhone, ViewerShowsFavoriteWithItsTools) {
    Scene* under = director->getRunningScene();
    Scene* scene = enter(favoriteViewPhone::create());
    ASSERT_NE(scene, nullptr);
    favoriteViewPhone* view = favoriteViewPhone::of(scene);
    ASSERT_NE(view, nullptr);
    EXPECT_FALSE(view->isFirstEntry());
    const Size win = director->getWinSize();
    EXPECT_EQ(win, view->getContentSize());
    ASSERT_NE(view->getChildByName("root"), nullptr) << "the phone layout file";
    for (const char* name : {"dcmInfo", "arrow", "view", "wwwl", "favoriteDicom", "captureScreen", "remove",
                             "favorite", "removeImage", "nextImage", "priorImage", "btnCmdSend", "goBack"})
        EXPECT_NE(scene->getChildByNameDeep(name), nullptr) << name;

    const std::string ct = qptest::pydicomDir() + "/CT_small.dcm";
    view->loadFile(ct);
    isImageSDK::isViewerMulti* multiView = view->getMultiView();
    ASSERT_NE(multiView, nullptr);
    EXPECT_EQ(Vec2(0, 99), multiView->getPosition());
    EXPECT_EQ(Size(win.width, win.height - 158), multiView->getContentSize());
    // A file without an image leaves the favourite on screen.
    view->loadFile(qptest::sourceDir() + "/README.md");
    EXPECT_EQ(ct, view->getFilePath());
    EXPECT_TRUE(multiView->isVisible());

    // The view last touched is the one "favoriteDicom" asks to keep.
    auto* touched = dynamic_cast<Ref*>(multiView->getKeyView()->getViewer());
    ASSERT_NE(touched, nullptr);
    auto* data = new NSUI::NSNotificationData();
    data->setObject(touched);
    auto* centre = NSUI::NSNotificationCenter::getInstance();
    centre->postNotification(touched, favoriteViewPhone::kViewTouchedId, data, nullptr, false);
    data->release();
    frameUntil([&] { return view->getReferenceId() == touched->getRefID(); });
    int asked = -1;
    centre->addObserver(
        this, nullptr, [&](Ref*, unsigned, NSUI::NSNotificationData* d) { asked = d ? d->tag : 0; },
        favoriteViewPhone::kFavoriteId);
    click(scene->getChildByNameDeep("favoriteDicom"));
    frameUntil([&] { return asked != -1; });
    EXPECT_EQ(static_cast<int>(touched->getRefID()), asked);
    centre->removeObserver(this);
    // "favorite" opens the whole favourites screen over the viewer.
    click(scene->getChildByNameDeep("favorite"));
    Scene* library = director->getRunningScene();
    ASSERT_NE(library, scene);
    EXPECT_NE(library->getChildByNameDeep("favoriteView"), nullptr) << "the desktop favourites layout";
    director->popScene();
    frame();
    // "dcmInfo" lists the shown image's tags on a scene of its own.
    click(scene->getChildByNameDeep("dcmInfo"));
    EXPECT_NE(dcmInfoList::fromWindow(director->getRunningScene()), nullptr);
    pressReturn();
    EXPECT_EQ(scene, director->getRunningScene());

    // "wwwl" opens the radial menu with the favourite's presets; a touch on the image closes it.
    click(scene->getChildByNameDeep("wwwl"));
    toolDisk* disk = view->getToolDisk();
    ASSERT_NE(disk, nullptr);
    EXPECT_TRUE(disk->isVisible());
    EXPECT_EQ(view->getPresets().size(), disk->getPresets().size());
    const Vec2 image(16, 99 + 16);
    input->touchBegan(0, image);
    input->touchEnded(0, image);
    frameUntil([&] { return !disk->isVisible(); });

    // Only an image too large for a texture says why; the previous image is hidden.
    std::vector<std::string> files;
    samplemaker::SeriesPlan wide;
    wide.width = Configuration::getInstance()->getMaxTextureSize();
    wide.height = 2;
    wide.slices = 1;
    ASSERT_TRUE(samplemaker::SeriesWriter::write(wide, writableFile("wide/"), files));
    ASSERT_FALSE(files.empty());
    view->loadFile(files.front());
    Node* pane = view->getChildByName(favoriteViewPhone::kMessageName);
    ASSERT_NE(pane, nullptr);
    EXPECT_TRUE(pane->isVisible());
    auto* intro = dynamic_cast<ui::Text*>(pane->getChildByNameDeep("intro"));
    ASSERT_NE(intro, nullptr);
    EXPECT_EQ("The size of image is tool large", intro->getString());
    EXPECT_FALSE(multiView->isVisible());

    pressReturn();
    EXPECT_EQ(under, director->getRunningScene());
}

TEST_F(FavoritesPhone, FavouriteButtonSavesTheImageWithNoViewingScreenBelow) {
    Scene* scene = enter(favoriteViewPhone::create());
    favoriteViewPhone* view = favoriteViewPhone::of(scene);
    ASSERT_NE(view, nullptr);
    view->loadFile(qptest::pydicomDir() + "/CT_small.dcm");
    ASSERT_NE(view->getMultiView(), nullptr);
    auto* browser = dynamic_cast<isImageSDK::isViewerBrowser*>(view->getMultiView()->getKeyView()->getViewer());
    ASSERT_TRUE(browser && !browser->getViewers().empty());
    // The image is touched, as its viewer announces.
    isImageSDK::isViewerImage* image = browser->getViewers().front();
    auto* centre = NSUI::NSNotificationCenter::getInstance();
    auto* touched = new NSUI::NSNotificationData();
    touched->setObject(image);
    centre->postNotification(image, favoriteViewPhone::kViewTouchedId, touched, nullptr, false);
    touched->release();
    frameUntil([&] { return view->getReferenceId() == image->getRefID(); });

    // Observed after the view: the copy is gone by the time it reaches this test.
    bool copied = false;
    std::string saved;
    centre->addObserver(
        this, nullptr,
        [&](Ref*, unsigned, NSUI::NSNotificationData* data) {
            copied = true;
            if (auto* left = reinterpret_cast<isImageSDK::isSliceInfo*>(data->userData)) {
                ADD_FAILURE() << "nobody took the copy";
                std::free(left->pixels);
                delete left;
                data->userData = 0;
            }
        },
        favoriteViewPhone::kFavoriteCopiedId);
    centre->addObserver(this, nullptr, [&](Ref*, unsigned, NSUI::NSNotificationData* data) { saved = data->text; }, 9104);
    click(scene->getChildByNameDeep("favoriteDicom"));
    frameUntil([&] { return copied; });
    if (!HasFailure()) {
        // What the program does before it closes the store: the file is written whole by then.
        StoreWorkers::finishAll();
        const std::string library = db->getRoot() + "../favorite";
        EXPECT_TRUE(fs::is_directory(library) && !fs::is_empty(library));
        frameUntil([&] { return !saved.empty(); });
        EXPECT_EQ(fs::canonical(db->getRoot() + "../favorite"), fs::canonical(saved).parent_path());
    }
    centre->removeObserver(this);
}

TEST_F(FavoritesPhone, ViewerIgnoresWhatItCannotShow) {
    Scene* scene = enter(favoriteViewPhone::create());
    ASSERT_NE(scene, nullptr);
    favoriteViewPhone* view = favoriteViewPhone::of(scene);
    ASSERT_NE(view, nullptr);
    for (const std::string& path : {std::string(), writableFile("qp/favorite/none.dcm"), qptest::sourceDir() + "/README.md"}) {
        view->loadFile(path);
        EXPECT_TRUE(view->getFilePath().empty()) << path;
        Node* pane = view->getChildByName(favoriteView::kMessageName);
        EXPECT_TRUE(!pane || !pane->isVisible()) << path << ": no message on the phone";
    }
}

} // namespace
