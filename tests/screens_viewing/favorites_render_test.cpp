// The favourites screen drawn under a virtual display with a DICOM favourite and two captures:
// the library's rows with their pictures, the favourite viewer, then a capture opened. The
// frames are written to <build>/favorites_viewer.png and <build>/favorites_capture.png; the
// phone layout's library, viewer and radial menu to <build>/favorites_phone_list.png,
// <build>/favorites_phone_viewer.png and <build>/favorites_phone_disk.png.

#include "ViewingFixture.h"
#include "support/GLWindowFixture.h"
#include "support/PixelProbe.h"

#include "favorites/captureList.h"
#include "favorites/favoriteList.h"
#include "favorites/favoriteListPhone.h"
#include "favorites/favoriteView.h"
#include "favorites/favoriteViewPhone.h"
#include "table/NSListView.h"
#include "table/NSTableViewCell.h"
#include "tools/toolDisk.h"

#include <filesystem>

using namespace cocos2d;
using qptest::isColour;
using qptest::Px;
using qptest::readPixel;

namespace {

const int kW = 1592;
const int kH = 968;

class FavoritesRender : public viewingtest::ViewingFixture {
protected:
    void addRow(int id, int type, const std::string& image, float scale) {
        std::lock_guard<std::recursive_mutex> lock(db->getLock());
        ASSERT_TRUE(db->getConnection().executeSQL(
            "insert into favorite(ID,type,message,icon,image,valid,updateTime,scale) values "
            "(?,?,'','',?,1,'2026-03-02 14:05:31',?)",
            {NSUI::NSDBValue(id), NSUI::NSDBValue(type), NSUI::NSDBValue(image),
             NSUI::NSDBValue(static_cast<double>(scale))}));
    }
    /// A grey-level picture with a bright disc, saved as a JPEG capture.
    void writeCapture(const std::string& relative, int w, int h) {
        std::vector<unsigned char> rgb(static_cast<size_t>(w) * h * 4, 255);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const float dx = x - w / 2.0f, dy = y - h / 2.0f;
                const float r = std::sqrt(dx * dx + dy * dy) / (std::min(w, h) / 2.0f);
                const auto v = static_cast<unsigned char>(r < 0.8f ? 200 - 120 * r : 20);
                for (int c = 0; c < 3; ++c)
                    rgb[(static_cast<size_t>(y) * w + x) * 4 + c] = v;
            }
        Image picture;
        ASSERT_TRUE(picture.initWithRawData(rgb.data(), static_cast<ssize_t>(rgb.size()), w, h, 8, false));
        const std::string path = FileUtils::getInstance()->getWritablePath() + relative;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        ASSERT_TRUE(picture.saveToFile(path, true));
    }
    template <class Screen>
    static Screen* screenOf(Scene* scene) {
        for (Node* child : scene->getChildren())
            if (auto* found = dynamic_cast<Screen*>(child))
                return found;
        return nullptr;
    }
    /// A CT favourite, a group row and two captures in the store.
    void addLibrary() {
        const std::string writable = FileUtils::getInstance()->getWritablePath();
        std::filesystem::create_directories(writable + "qp/favorite");
        std::filesystem::copy_file(qptest::pydicomDir() + "/CT_small.dcm", writable + "qp/favorite/1772460331.dcm");
        writeCapture("qp/tmp/capture/1772460340.jpg", 480, 300);
        writeCapture("qp/tmp/capture/1772460345.jpg", 300, 400);
        addRow(1, 3, "", 1.0f);
        addRow(2, 2, "qp/favorite/1772460331.dcm", 1.0f);
        addRow(3, 1, "qp/tmp/capture/1772460340.jpg", 1.6f);
        addRow(4, 1, "qp/tmp/capture/1772460345.jpg", 0.75f);
    }
    /// Runs frames until the library's rows and the favourite's thumbnail are drawn.
    void waitForRows(captureList* list) {
        frameUntil([&] { return list->isLoaded(); });
        ASSERT_EQ(4, list->getTable()->getRowCount());
        // The DICOM favourite's row shows its new thumbnail in place of the placeholder.
        auto thumbnail = [&] {
            NSUI::NSTableViewCell* cell = list->getTable()->cellAtIndex(1);
            auto* picture = cell ? dynamic_cast<Sprite*>(cell->getChildByTag(100)) : nullptr;
            Texture2D* placeholder = director->getTextureCache()->getTextureForKey("res/sprite.png");
            return picture && picture->getTexture() && picture->getTexture() != placeholder;
        };
        frameUntil(thumbnail);
        frameUntil([] { return !captureList::isThumbnailJobRunning(); });
        for (int i = 0; i < 10; ++i)
            frame(); // the captures' pictures
    }
    /// Image pixels brighter than the chrome along the row y, every 10 pixels in [from, to).
    int brightAlong(int y, int from, int to) {
        int bright = 0;
        for (int x = from; x < to; x += 10)
            bright += readPixel(x, y).r > 60;
        return bright;
    }
    void shoot(const std::string& name) {
        bool written = false;
        utils::captureScreen([&](bool ok, const std::string&) { written = ok; },
                             std::string(QP_BINARY_DIR) + "/" + name);
        frameUntil([&] { return written; });
    }
};

TEST_F(FavoritesRender, ListWithFavoriteAndCaptures) {
    qptest::ScreenWindow window("favourites", kW, kH);
    if (!window)
        GTEST_SKIP() << "no display for a GL window";
    addLibrary();

    Scene* scene = favoriteList::createScene();
    ASSERT_TRUE(scene);
    auto* screen = screenOf<favoriteList>(scene);
    ASSERT_TRUE(screen && screen->getCaptureList());
    director->pushScene(scene);
    captureList* list = screen->getCaptureList();
    waitForRows(list);

    list->selectRow(static_cast<captureList::listObject*>(list->getTable()->rows.at(1)));
    ASSERT_TRUE(screen->getViewer()->getMultiView());
    for (int i = 0; i < 10; ++i)
        frame();
    EXPECT_TRUE(isColour(readPixel(kW - 4, 4), 32, 34, 38)) << "tool bar";
    EXPECT_GT(brightAlong(kH / 2, 700, 1300), 5) << "the favourite's image is drawn";
    shoot("favorites_viewer.png");

    list->selectRow(static_cast<captureList::listObject*>(list->getTable()->rows.at(2)));
    for (int i = 0; i < 10; ++i)
        frame();
    shoot("favorites_capture.png");

    director->popScene();
    frame();
}

TEST_F(FavoritesRender, PhoneLibraryAndViewer) {
    const int w = 640, h = 960;
    qptest::ScreenWindow window("favourites", w, h);
    if (!window)
        GTEST_SKIP() << "no display for a GL window";
    AppConfig::getInstance()->phoneLayout = true;
    FileUtils::getInstance()->addSearchPath(qptest::sourceDir() + "/res/layout/", true);
    addLibrary();

    Scene* scene = favoriteListPhone::createScene();
    ASSERT_TRUE(scene);
    director->pushScene(scene);
    frame();
    auto* screen = screenOf<favoriteListPhone>(scene);
    ASSERT_TRUE(screen && screen->getCaptureList());
    captureList* list = screen->getCaptureList();
    waitForRows(list);
    shoot("favorites_phone_list.png");

    list->selectRow(static_cast<captureList::listObject*>(list->getTable()->rows.at(1)));
    favoriteViewPhone* view = nullptr;
    frameUntil([&] { return (view = favoriteViewPhone::of(director->getRunningScene())) != nullptr; });
    ASSERT_TRUE(view->getMultiView());
    for (int i = 0; i < 10; ++i)
        frame();
    EXPECT_TRUE(isColour(readPixel(4, 4), 32, 34, 38)) << "tool bar";
    EXPECT_TRUE(isColour(readPixel(w - 4, h - 4), 32, 34, 38)) << "title bar";
    EXPECT_GT(brightAlong(h / 2, 0, w), 5) << "the favourite's image is drawn";
    shoot("favorites_phone_viewer.png");
    // The radial menu of the phone layout, grown to its full size.
    view->onButtonClicked(view->getChildByNameDeep("wwwl"));
    ASSERT_TRUE(view->getToolDisk());
    frameUntil([&] { return view->getToolDisk()->getNumberOfRunningActions() == 0; });
    shoot("favorites_phone_disk.png");

    AppConfig::getInstance()->phoneLayout = false;
}

} // namespace
