// The viewing screen's tools on their own: presets, menus, the window editor, the quick tool
// bar and the radial tool menu, driven through touches and typed text as a user drives them.

#include "ViewingToolsFixture.h"

#include "menu/NSMenu.h"
#include "menus/viewingMenus.h"
#include "presets/WindowPreset.h"
#include "scroll/UIScrollViewBase.h"
#include "table/NSListView.h"
#include "table/NSTableViewCell.h"
#include "tools/editWW.h"
#include "tools/editWWOpener.h"
#include "tools/quickTool.h"
#include "tools/rightClickOpener.h"
#include "tools/toolDisk.h"
#include "ui/CocosGUI.h"
#include "viewer/imageViewerPC.h"

#include <cmath>

using namespace cocos2d;
using viewingtest::ViewingToolsFixture;

namespace {

std::vector<std::string> names(const std::vector<WindowPreset>& presets)
{
    std::vector<std::string> list;
    for (const WindowPreset& p : presets)
        list.push_back(p.name);
    return list;
}

// A viewing screen of 800 x 600 in the scene, its controls and observers wired; or null.
imageViewerPC* addScreen(Scene* scene)
{
    imageViewerPC* screen = imageViewerPC::create();
    if (!screen)
        return nullptr;
    screen->setContentSize(Size(800, 600));
    screen->bindControls();
    scene->addChild(screen);
    return screen;
}

} // namespace

using ViewingToolsTest = ViewingToolsFixture;

TEST_F(ViewingToolsTest, PresetTablesFollowTheModality)
{
    EXPECT_EQ(names(WindowPreset::forModality(0)),
              (std::vector<std::string>{"Abdomen", "Angio", "Bone", "Brain", "Chest", "Lung"}));
    EXPECT_EQ(names(WindowPreset::forModality(1)),
              (std::vector<std::string>{"10K", "20K", "40K", "80K", "160K", "320K"}));
    const std::vector<WindowPreset> mr = WindowPreset::forModality(3);
    EXPECT_EQ(names(mr), (std::vector<std::string>{"20/40", "40/80", "80/160", "160/320", "320/640", "640/1280",
                                                   "1280/2560", "2560/5120"}));
    EXPECT_FLOAT_EQ(mr.front().width, 40.0f);
    EXPECT_FLOAT_EQ(mr.front().level, 20.0f);
    EXPECT_FLOAT_EQ(mr.back().width, 5120.0f);
    EXPECT_FLOAT_EQ(WindowPreset::forModality(0).back().level, -400.0f);
    EXPECT_EQ(WindowPreset::forModality(0).front().payload(), "{\"ww\":\"400.000000\",\"wl\":\"60.000000\"}");
}

TEST_F(ViewingToolsTest, WindowMenuListsPresetsAndPostsTheTouchedOne)
{
    Node* panel = Node::create();
    scene->addChild(panel);
    Ref* multiView = Node::create();
    record(9029, multiView);
    viewingMenus::Targets targets{multiView, panel};
    NSUI::NSMenu* menu =
        viewingMenus::show(panel, viewingMenus::kWindow, true, targets, WindowPreset::forModality(0));
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->getName(), "windowLevelMenu");
    ASSERT_EQ(menu->getListView()->getRowCount(), 9);
    auto* first = dynamic_cast<NSUI::NSMenu::menuObject*>(menu->getListView()->rows.at(0));
    EXPECT_EQ(first->notificationId, 9023u);
    EXPECT_EQ(first->title, text("tool_ww_Input"));

    NSUI::NSTableViewCell* abdomen = menu->getListView()->cellAtIndex(3);
    ASSERT_NE(abdomen, nullptr);
    tap(abdomen);
    ASSERT_TRUE(waitForPost());
    EXPECT_EQ(posts[0].text, "{\"ww\":\"400.000000\",\"wl\":\"60.000000\"}");
    EXPECT_EQ(posts[0].sender, menu);
    EXPECT_FALSE(menu->isVisible());
}

TEST_F(ViewingToolsTest, MenusAreMadeOnceAndOpenAboveTheirButton)
{
    auto* panel = NSUI::UIScrollViewBase::create();
    panel->setContentSize(Size(300, 540));
    panel->setInnerContainerSize(Size(300, 540));
    scene->addChild(panel);
    viewingMenus::Targets targets{Node::create(), panel};
    NSUI::NSMenu* clut = viewingMenus::show(panel, viewingMenus::kClut, true, targets, {}, 60.0f);
    EXPECT_EQ(viewingMenus::show(panel, viewingMenus::kClut, true, targets, {}, 60.0f), clut);
    int count = 0;
    for (Node* child : panel->getChildren())
        count += child->getName() == "clutMenu";
    EXPECT_EQ(count, 1);
    EXPECT_EQ(clut->getListView()->getRowCount(), 5);
    viewingMenus::show(panel, viewingMenus::kClut, false, targets, {});
    EXPECT_FALSE(clut->isVisible());

    EXPECT_EQ(viewingMenus::placeFromButton(viewingMenus::kClut, Vec2(40, 200), 0, panel, 300), Vec2(40, 220));
    EXPECT_EQ(viewingMenus::placeFromButton(viewingMenus::kWindow, Vec2(40, 200), 1, panel, 300), Vec2(20, 220));
    EXPECT_EQ(viewingMenus::placeFromButton(viewingMenus::kWindow, Vec2(40, 200), 0, panel, 300), Vec2(20, 100));
    EXPECT_EQ(viewingMenus::placeFromButton(viewingMenus::kCapture, Vec2(140, 200), 2, panel, 300), Vec2(40, 220));
    // A panel whose buttons overflow it by 100, scrolled to its top: the menu is lowered by the
    // part of the panel that is scrolled away, at most its own height.
    panel->setInnerContainerSize(Size(300, 640));
    panel->getInnerContainer()->setPositionY(0);
    EXPECT_EQ(viewingMenus::placeFromButton(viewingMenus::kClut, Vec2(40, 400), 0, panel, 300), Vec2(40, 320));
    EXPECT_EQ(viewingMenus::placeFromButton(viewingMenus::kClut, Vec2(40, 400), 0, panel, 60), Vec2(40, 360));

    // A place that leaves the window is pulled back in; a menu taller than it shows its top.
    const Size window(1600, 1000);
    EXPECT_EQ(viewingMenus::keepInside(Vec2(-60, 900), Size(200, 150), window), Vec2(0, 850));
    EXPECT_EQ(viewingMenus::keepInside(Vec2(1500, -10), Size(200, 150), window), Vec2(1400, 0));
    EXPECT_EQ(viewingMenus::keepInside(Vec2(40, 220), Size(200, 150), window), Vec2(40, 220));
    EXPECT_EQ(viewingMenus::keepInside(Vec2(10, 10), Size(300, 1200), window), Vec2(10, -200));
}

TEST_F(ViewingToolsTest, EditorKeepsWidthLevelAndRangeInStep)
{
    Node* window = editWW::create();
    ASSERT_NE(window, nullptr);
    scene->addChild(window);
    editWW* editor = editWW::fromWindow(window);
    ASSERT_NE(editor, nullptr);
    editor->setWindow(400, 40);
    EXPECT_EQ(editor->field("editWW")->getString(), "400");
    EXPECT_EQ(editor->field("editWL")->getString(), "40");
    EXPECT_EQ(editor->field("editMin")->getString(), "-160");
    EXPECT_EQ(editor->field("editMax")->getString(), "240");

    auto type = [&](const char* name, const std::string& value) {
        NSUI::NSTextField* field = editor->field(name);
        field->setString("");
        tap(field->convertToWorldSpace(Vec2(20, 14)));
        for (char c : value) // one key at a time, as typed
            input->insertText(std::string(1, c));
        input->frame(1.0f / 60.0f);
    };
    type("editWW", "80");
    EXPECT_EQ(editor->field("editMin")->getString(), "0");
    EXPECT_EQ(editor->field("editMax")->getString(), "80");
    type("editMax", "100");
    EXPECT_EQ(editor->field("editWW")->getString(), "100");
    EXPECT_EQ(editor->field("editWL")->getString(), "50");
    // Max equal to min leaves width and level alone.
    type("editMax", "0");
    EXPECT_EQ(editor->field("editWW")->getString(), "100");
    // Decimal input only, ten characters at most.
    type("editWL", "-1.5x.5abc123456789");
    EXPECT_EQ(editor->field("editWL")->getString(), "-1.5512345");
}

TEST_F(ViewingToolsTest, EditorClosesOnlyWithValidValuesAndPostsThem)
{
    Node* window = editWW::create();
    scene->addChild(window);
    editWW* editor = editWW::fromWindow(window);
    record(editWW::kWindowSetId);
    Node* back = editor->getLayout()->getChildByNameDeep("btn_back");

    editor->setWindow(0, 40);
    tap(back);
    EXPECT_EQ(toast(), text("editWWError"));
    editor->field("editWW")->setString("400");
    editor->field("editMin")->setString("300");
    editor->field("editMax")->setString("100");
    tap(back);
    EXPECT_EQ(toast(), text("editMinMaxError"));
    EXPECT_EQ(window->getParent(), scene);
    EXPECT_TRUE(posts.empty());

    editor->setWindow(400, 40);
    editor->field("editMax")->setString("-160"); // min equal to max still closes
    editor->retain();
    tap(back);
    EXPECT_EQ(scene->getChildByName(editWW::kWindowName), nullptr);
    ASSERT_TRUE(waitForPost());
    EXPECT_EQ(posts[0].sender, editor);
    EXPECT_EQ(posts[0].text, "{\"ww\":\"400.000000\",\"wl\":\"40.000000\"}");
    editor->release();
}

TEST_F(ViewingToolsTest, EachOpenerTakesOnlyTheValuesOfItsOwnEditor)
{
    Node* screen = Node::create();
    Node* favourites = Node::create();
    scene->addChild(screen);
    scene->addChild(favourites);
    editWWOpener screenOpener, favouriteOpener;
    editWW* fromScreen = screenOpener.open(screen);
    ASSERT_NE(fromScreen, nullptr);
    EXPECT_EQ(screenOpener.open(screen), nullptr); // one editor at a time
    editWW* fromFavourites = favouriteOpener.open(favourites);
    ASSERT_NE(fromFavourites, nullptr);

    int screenApplied = 0, favouriteApplied = 0;
    NSUI::NSNotificationCenter::getInstance()->addObserver(
        this, nullptr,
        [&](Ref* sender, unsigned int, NSUI::NSNotificationData*) {
            screenApplied += screenOpener.accept(sender);
            favouriteApplied += favouriteOpener.accept(sender);
        },
        editWW::kWindowSetId);
    fromScreen->setWindow(400, 40);
    fromScreen->onResponseReturn();
    for (int i = 0; i < 3; ++i)
        input->frame(1.0f / 60.0f);
    EXPECT_EQ(screenApplied, 1);
    EXPECT_EQ(favouriteApplied, 0);
    EXPECT_EQ(screenOpener.current(), nullptr);
    EXPECT_EQ(favouriteOpener.current(), fromFavourites);
    EXPECT_NE(screenOpener.open(screen), nullptr); // closed, so it opens again
}

TEST_F(ViewingToolsTest, QuickBarSitsAtTheViewsRightAndCarriesItsId)
{
    quickTool* bar = quickTool::create();
    bar->buildButtons();
    scene->addChild(bar);
    record(quickTool::kMaximizeId);
    record(quickTool::kFavoriteId);

    bar->onButtonClicked(bar->getChildByName("max"));
    ASSERT_TRUE(waitForPost());
    EXPECT_EQ(posts[0].text, "{\"x\":\"0.000000\",\"y\":\"0.000000\",\"w\":\"0.000000\",\"h\":\"0.000000\"}");
    EXPECT_EQ(posts[0].tag, 0);

    Node* view = Node::create();
    view->setContentSize(Size(800, 600));
    view->setPosition(Vec2(300, 40));
    scene->addChild(view);
    bar->attachTo(view);
    EXPECT_EQ(bar->getPosition(), Vec2(300, 45));
    for (auto [name, x] : {std::pair{"max", 675.0f}, {"capture", 705.0f}, {"favorite", 735.0f}, {"info", 765.0f}})
        EXPECT_EQ(bar->getChildByName(name)->getPosition(), Vec2(x, 0)) << name;
    tap(bar->getChildByName("favorite"));
    ASSERT_TRUE(waitForPost(2));
    EXPECT_EQ(posts[1].id, quickTool::kFavoriteId);
    EXPECT_EQ(posts[1].tag, static_cast<int>(view->getRefID()));

    auto* max = dynamic_cast<ui::Button*>(bar->getChildByName("max"));
    auto state = [&](bool withData, int value) {
        if (withData)
            NSUI::NSNotificationCenter::getInstance()->postNotificationWithInt(nullptr, quickTool::kMaximizedStateId,
                                                                             value, nullptr, true);
        else
            NSUI::NSNotificationCenter::getInstance()->postNotification(nullptr, quickTool::kMaximizedStateId,
                                                                        nullptr, nullptr, true);
        input->frame(1.0f / 60.0f);
        return max->getNormalFile();
    };
    EXPECT_EQ(state(true, 1), "res/fullscreen_exit.png");
    EXPECT_EQ(state(false, 0), "res/fullscreen_exit.png");
    EXPECT_EQ(state(true, -1), "res/fullscreen.png");
}

TEST_F(ViewingToolsTest, DiskPlacesItemsOnItsCircle)
{
    toolDisk* disk = toolDisk::create();
    ASSERT_NE(disk, nullptr);
    scene->addChild(disk);
    Node* detail = disk->getChildByName(toolDisk::kDetailName);
    const Vec2 centre(detail->getContentSize().width / 2, detail->getContentSize().height / 2);
    ASSERT_EQ(disk->getItems().size(), 6u);
    EXPECT_EQ(disk->getItems()[0]->getName(), "Input");
    EXPECT_NEAR(disk->getItems()[0]->getPositionX(), centre.x + 110, 0.01);
    EXPECT_NEAR(disk->getItems()[0]->getPositionY(), centre.y, 0.01);

    disk->showOpacityPage();
    ASSERT_EQ(disk->getItems().size(), 3u);
    EXPECT_NEAR(disk->getItems()[0]->getPositionX(), centre.x, 0.01);
    EXPECT_NEAR(disk->getItems()[0]->getPositionY(), centre.y + 110, 0.01);
    EXPECT_NEAR(disk->getItems()[1]->getPositionX(), centre.x + 110 * std::cos(1.5707963f + 2.0943951f), 0.01);

    Node* linear = disk->getItems()[0];
    disk->showOpacityPage();
    EXPECT_EQ(disk->getItems()[0], linear);
}

TEST_F(ViewingToolsTest, DiskPostsTheTouchedItemAndReturnsFromItsCentre)
{
    toolDisk* disk = toolDisk::create();
    scene->addChild(disk);
    Ref* multiView = Node::create();
    multiView->retain();
    disk->setTarget(multiView);
    for (const WindowPreset& preset : WindowPreset::forModality(0))
        disk->addPreset(preset.name, preset.level, preset.width);
    record(9029, multiView);
    record(9023, multiView);
    const Vec2 centre = Director::getInstance()->getWinSize() / 2;

    // The empty centre of the first page and a touch beside the disk do nothing.
    tap(centre);
    EXPECT_EQ(disk->getPage(), toolDisk::kImagePage);
    EXPECT_TRUE(disk->isVisible());
    Touch outside;
    outside.setTouchInfo(0, 5, 5);
    EXPECT_FALSE(disk->onTouchBegan(&outside, nullptr));

    tap(disk->getChildByNameDeep("WL_WW"));
    EXPECT_EQ(disk->getPage(), toolDisk::kPresetPage);
    ASSERT_EQ(disk->getItems().size(), 6u);
    tap(centre);
    EXPECT_EQ(disk->getPage(), toolDisk::kImagePage);

    tap(disk->getChildByNameDeep("WL_WW"));
    tap(disk->getChildByNameDeep("Lung"));
    ASSERT_TRUE(waitForPost());
    EXPECT_EQ(posts[0].text, "{\"ww\":\"1500.000000\",\"wl\":\"-400.000000\"}");
    EXPECT_EQ(posts[0].sender, disk);
    input->frame(1.0f); // the disk spins away
    EXPECT_FALSE(disk->isVisible());

    disk->show();
    input->frame(1.0f);
    tap(centre);
    EXPECT_EQ(disk->getPage(), toolDisk::kImagePage);
    tap(disk->getChildByNameDeep("Input"));
    EXPECT_FALSE(disk->isVisible()); // at once, before the editor opens
    ASSERT_TRUE(waitForPost(2));
    EXPECT_EQ(posts[1].id, 9023u);

    // Opened again while it spins away (a second right click): it comes back and stays.
    disk->show();
    input->frame(1.0f);
    disk->hide();
    input->frame(0.1f);
    disk->show();
    input->frame(1.0f);
    input->frame(1.0f);
    EXPECT_TRUE(disk->isVisible());
    EXPECT_FLOAT_EQ(disk->getScale(), 1.0f);
    multiView->release();
}

TEST_F(ViewingToolsTest, OnlyARightClickInsideTheViewsOpens)
{
    int opened = 0;
    Node* screen = Node::create();
    scene->addChild(screen);
    screen->addChild(rightClickOpener::create(Rect(300, 0, 500, 600), [&](const Vec2&) { ++opened; }));
    auto click = [&](Vec2 down, Vec2 up, int button) {
        input->mouseDown(down, button);
        input->mouseMove(up);
        input->mouseUp(up, button);
        input->frame(1.0f / 60.0f);
    };
    click(Vec2(500, 300), Vec2(501, 301), 1);
    EXPECT_EQ(opened, 1);
    click(Vec2(500, 300), Vec2(540, 300), 1); // a right drag zooms the view instead
    click(Vec2(100, 300), Vec2(100, 300), 1); // over the tool panel
    click(Vec2(500, 300), Vec2(500, 300), 0);
    screen->setVisible(false);
    click(Vec2(500, 300), Vec2(500, 300), 1);
    EXPECT_EQ(opened, 1);
    screen->setVisible(true);
    screen->removeFromParent(); // no longer listening once off the scene
    click(Vec2(500, 300), Vec2(500, 300), 1);
    EXPECT_EQ(opened, 1);
}

TEST_F(ViewingToolsTest, ScreenAttachesItsQuickBarAndOpensTheDicomMenuBesideIt)
{
    imageViewerPC* screen = addScreen(scene);
    ASSERT_NE(screen, nullptr);
    Node* view = Node::create();
    view->setContentSize(Size(500, 600));
    view->setPosition(Vec2(300, 0));
    screen->addChild(view);
    auto post = [&](unsigned int id, Ref* object, int tag) {
        auto* data = new NSUI::NSNotificationData();
        data->setObject(object);
        data->tag = tag;
        NSUI::NSNotificationCenter::getInstance()->postNotification(nullptr, id, data, nullptr, true);
        data->release();
        input->frame(1.0f / 60.0f);
    };
    post(9097, view, 0);
    quickTool* bar = screen->getQuickTool();
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->getTargetId(), view->getRefID());
    EXPECT_EQ(bar->getViewRect(), Rect(screen->getToolWidth(), 0, 800 - screen->getToolWidth(), 600));

    post(9099, nullptr, static_cast<int>(view->getRefID()) + 1); // another view's
    EXPECT_TRUE(bar->isVisible());
    post(2026, nullptr, 0);
    Node* menu = screen->getChildByName("dcmMenu");
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(menu->isVisible());
    EXPECT_EQ(menu->getPosition(), bar->getPosition() + Vec2(500 - 200, 30));
    post(9099, nullptr, static_cast<int>(view->getRefID()));
    EXPECT_FALSE(bar->isVisible());
    post(9098, view, 0);
    EXPECT_TRUE(bar->isVisible());
}

TEST_F(ViewingToolsTest, ScreenHearsOnlyItsOwnViewsAndNothingOnceGone)
{
    imageViewerPC* screen = addScreen(scene);
    ASSERT_NE(screen, nullptr);
    // The favourites viewer pushed over the screen: its view is touched and its container
    // reports a volume key view.
    Node* other = Node::create();
    scene->addChild(other);
    auto* centre = NSUI::NSNotificationCenter::getInstance();
    auto* touched = new NSUI::NSNotificationData();
    touched->setObject(other);
    centre->postNotification(other, 9097, touched, nullptr, true);
    touched->release();
    centre->postNotificationWithInt(other, 9112, 1, nullptr, true);
    input->frame(1.0f / 60.0f);
    EXPECT_EQ(screen->getQuickTool(), nullptr);
    EXPECT_EQ(screen->getToolKind(), -1);

    // A screen destroyed without its cleanup (never shown) leaves no callback behind.
    imageViewerPC* orphan = imageViewerPC::create();
    ASSERT_NE(orphan, nullptr);
    orphan->bindControls();
    const void* gone = orphan;
    input->frame(1.0f / 60.0f); // the autorelease pool lets it go
    EXPECT_FALSE(centre->isObserverRegistered(9104, nullptr, const_cast<void*>(gone)));
    for (unsigned int id : {9104u, 9024u, 9112u})
        centre->postNotification(nullptr, id, nullptr, nullptr, true);
    input->frame(1.0f / 60.0f);
}

namespace {

// The viewing screen with a language table of the test's own.
class ViewingScreenTexts : public ViewingToolsFixture {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(qptest::writeFile(folder.file("language.dat"),
                                      "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>english</key><dict>"
                                      "<key>title</key><string>Bilder</string>"
                                      "<key>btnCmdToolbox</key><string>Werkzeuge</string></dict></dict></plist>"));
        languageFolder = folder.path();
        ViewingToolsFixture::SetUp();
    }
    qptest::TempDir folder;
};

} // namespace

TEST_F(ViewingScreenTexts, TopBarTextsComeFromTheLanguageTable)
{
    imageViewerPC* screen = imageViewerPC::create();
    ASSERT_NE(screen, nullptr);
    auto* title = dynamic_cast<ui::Text*>(screen->getChildByNameDeep("title"));
    auto* tools = dynamic_cast<ui::Button*>(screen->getChildByNameDeep("btnCmdToolbox"));
    ASSERT_TRUE(title && tools);
    EXPECT_EQ(title->getString(), "Bilder");
    EXPECT_EQ(tools->getTitleText(), "Werkzeuge");
}
