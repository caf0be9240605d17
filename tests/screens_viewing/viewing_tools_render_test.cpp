// The viewing tools drawn for real over a CT slice under Xvfb: the menus with the quick tool
// bar, the radial menu's pages and the window editor. The frames are written to
// <build>/screenshots/viewing_*.png for a look.

#include "imaging_display/GLWindowFixture.h"

#include "AppConfig.h"
#include "appManager.h"
#include "data/isImageData.h"
#include "io/isDcmReader.h"
#include "isViewerMulti.h"
#include "KeyViewProperty.h"
#include "menu/NSMenu.h"
#include "menus/viewingMenus.h"
#include "table/NSListView.h"
#include "tools/editWW.h"
#include "tools/quickTool.h"
#include "tools/toolDisk.h"
#include "ui/CocosGUI.h"

#include <filesystem>

using namespace cocos2d;

namespace {

const float kToolWidth = 300;

class ViewingToolsPicture : public displaytest::GLWindowFixture<1280, 800> {
protected:
    void SetUp() override
    {
        GLWindowFixture::SetUp();
        if (!view)
            return;
        FileUtils::getInstance()->setSearchPaths(
            {qptest::sourceDir() + "/res/pad/", qptest::binaryDir() + "/", qptest::sourceDir() + "/imageSDK/"});
        config = AppConfig::getInstance();
        config->retain();
        config->loadLanguage();
        // The CT slice in the viewing area right of a tool panel, as the viewing screen shows it.
        auto* panel = ui::Layout::create();
        panel->setBackGroundColorType(ui::Layout::BackGroundColorType::SOLID);
        panel->setBackGroundColor(Color3B(32, 34, 38));
        panel->setContentSize(Size(kToolWidth, kH));
        scene->addChild(panel);
        reader = isImageSDK::isDcmReader::create();
        reader->retain();
        reader->setFileName(std::string(QP_PYDICOM_DIR) + "/CT_small.dcm");
        reader->Update();
        manager = isImageSDK::appManager::create();
        manager->retain();
        manager->createViewer(reader->getOutputImage(), kToolWidth, 0, kW - kToolWidth, kH,
                              isImageSDK::appManager::kLayoutAcquired);
        multiView = manager->getContainer();
        ASSERT_NE(multiView, nullptr);
        scene->addChild(multiView);
        frames(10);
    }
    void TearDown() override
    {
        if (view) {
            scene->removeAllChildrenWithCleanup(true);
            manager->release();
            reader->release();
            config->release();
        }
        GLWindowFixture::TearDown();
    }
    NSUI::NSMenu* openMenu(viewingMenus::Kind kind, Vec2 at)
    {
        NSUI::NSMenu* menu = viewingMenus::show(scene, kind, true, {multiView, scene},
                                                WindowPreset::forModality(0), viewingMenus::screenRowHeight(kind));
        menu->setPosition(at);
        return menu;
    }
    void save(const std::string& name)
    {
        frames(3);
        std::filesystem::create_directories(qptest::binaryDir() + "/screenshots");
        EXPECT_TRUE(savePng(readAll(), qptest::binaryDir() + "/screenshots/viewing_" + name + ".png"));
    }
    /// How many pixels of the rectangle (frame coordinates from the bottom left) match.
    static int count(const std::vector<unsigned char>& px, Rect r, const std::function<bool(const unsigned char*)>& t)
    {
        int n = 0;
        for (int y = int(r.getMinY()); y < int(r.getMaxY()); ++y)
            for (int x = int(r.getMinX()); x < int(r.getMaxX()); ++x)
                n += t(&px[(size_t(y) * kW + size_t(x)) * 4]);
        return n;
    }

    AppConfig* config = nullptr;
    isImageSDK::isDcmReader* reader = nullptr;
    isImageSDK::appManager* manager = nullptr;
    isImageSDK::isViewerMulti* multiView = nullptr;
};

} // namespace

TEST_F(ViewingToolsPicture, MenusAndQuickBarOverACT)
{
    openMenu(viewingMenus::kWindow, Vec2(20, 160));
    openMenu(viewingMenus::kClut, Vec2(340, 440));
    openMenu(viewingMenus::kOpacity, Vec2(500, 560));
    openMenu(viewingMenus::kCapture, Vec2(660, 640));
    quickTool* bar = quickTool::create();
    bar->buildButtons();
    scene->addChild(bar);
    bar->attachTo(multiView);
    NSUI::NSMenu* dicom = openMenu(viewingMenus::kDicom, bar->getPosition() + Vec2(bar->getContentSize().width - 200, 30));
    save("menus");

    const std::vector<unsigned char> px = readAll();
    // The CT stays bright beside the menus; each menu's rows are drawn over it, lighter than
    // the dark chrome, with light text.
    auto bright = [](const unsigned char* p) { return p[0] > 120 && p[1] > 120 && p[2] > 120; };
    EXPECT_GT(count(px, Rect(800, 250, 200, 200), [](const unsigned char* p) { return p[0] > 60; }), 1000);
    const Rect dicomRows(dicom->getPositionX() + 10, dicom->getPositionY() + 5, 100, 100);
    EXPECT_GT(count(px, dicomRows, bright), 20);
    EXPECT_GT(count(px, Rect(bar->getPositionX() + bar->getContentSize().width - 125, bar->getPositionY(), 120, 24),
                    [](const unsigned char* p) { return p[2] > 200 && p[0] < 80; }),
              40); // the accent icons of the quick bar
}

TEST_F(ViewingToolsPicture, RadialMenuPagesOverACT)
{
    toolDisk* disk = toolDisk::create();
    scene->addChild(disk);
    disk->setVisible(false);
    disk->setTarget(multiView);
    for (const WindowPreset& preset : WindowPreset::forModality(0))
        disk->addPreset(preset.name, preset.level, preset.width);
    disk->show();
    for (int i = 0; i < 10; ++i)
        input->frame(0.05f);
    save("disk_image");
    const std::vector<unsigned char> px = readAll();
    // The disk's dark face covers the middle of the picture; its labels are white.
    EXPECT_GT(count(px, Rect(kW / 2 - 140, kH / 2 - 140, 280, 280),
                    [](const unsigned char* p) { return p[0] > 240 && p[1] > 240 && p[2] > 240; }),
              50);
    disk->showPresetPage();
    save("disk_presets");
    disk->showClutPage();
    save("disk_clut");
    disk->showRoiPage();
    save("disk_roi");
}

TEST_F(ViewingToolsPicture, WindowEditorOverACT)
{
    Node* window = editWW::create();
    scene->addChild(window);
    editWW::fromWindow(window)->setWindow(400, 40);
    for (int i = 0; i < 3; ++i) // the fields' scroll indicators fade
        input->frame(1.0f);
    save("editor");
    const std::vector<unsigned char> px = readAll();
    // Dark typed digits in the light width box.
    Node* box = editWW::fromWindow(window)->getLayout()->getChildByNameDeep("editWW_window");
    const Vec2 corner = box->convertToWorldSpace(Vec2::ZERO);
    EXPECT_GT(count(px, Rect(corner.x + 20, corner.y + 4, 80, 32), [](const unsigned char* p) { return p[0] < 90; }),
              30);
}
