// The viewing screen over a real store: loading, refusals, the slice slider, the per-frame
// command flush, the cine guard and a load that outlives its screen.

#include "ViewingFixture.h"

#include "base/Configuration.h"
#include "base/UIControlBase.h"
#include "cache/isDcmScan.h"
#include "lang/UILocalConfig.h"
#include "menu/NSMenu.h"
#include "table/NSListView.h"
#include "object/isSharedObjects.h"
#include "overlay/NSActivity.h"
#include "ui/CocosGUI.h"
#include "viewer/seriesLoadJob.h"

#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

using namespace cocos2d;
using viewingtest::ViewingFixture;

namespace {

class ViewingScreen : public ViewingFixture {};

// Counts the posts of one id whose object is the container.
struct ContainerPosts {
    ContainerPosts(unsigned id, Ref* object) {
        NSUI::NSNotificationCenter::getInstance()->addObserver(
            this, object, [this](Ref*, unsigned, NSUI::NSNotificationData*) { ++count; }, id);
    }
    ~ContainerPosts() { NSUI::NSNotificationCenter::getInstance()->removeObserver(this); }
    int count = 0;
};

} // namespace

TEST_F(ViewingScreen, SliderReachesTheLastSliceAndSendsOnceAFrame) {
    imageViewerPC* screen = open(writeSeries("ct40/", ct(40)));
    ASSERT_EQ(1, loadResult);
    ASSERT_NE(nullptr, screen->getMultiView());
    ASSERT_NE(nullptr, screen->getToolPanel());
    EXPECT_NE(nullptr, isImageSDK::isSharedObjects::getInstance()->getObjectByName("ct40/"));

    slide(screen, 100);
    EXPECT_EQ(39, screen->getPendingSlice()) << "100 % is the last slice, not one past it";

    // Three moves before the next frame: only the last reaches the views, once.
    slide(screen, 10);
    slide(screen, 30);
    slide(screen, 50);
    EXPECT_EQ(20, screen->getPendingSlice());
    frame();
    EXPECT_EQ(-1, screen->getPendingSlice());
    EXPECT_EQ(20, keySlice(screen));

    // Leaving unregisters the series.
    director->popScene();
    frame();
    frame();
    EXPECT_EQ(nullptr, isImageSDK::isSharedObjects::getInstance()->getObjectByName("ct40/"));
}

TEST_F(ViewingScreen, OneSliceSeriesStaysAtTheStart) {
    imageViewerPC* screen = open(writeSeries("ct1/", ct(1)));
    ASSERT_EQ(1, loadResult);
    slide(screen, 100);
    EXPECT_EQ(-1, screen->getPendingSlice());
    screen->updateSlider();
    EXPECT_EQ(0, slider(screen)->getPercent());
}

TEST_F(ViewingScreen, LeavingAfterTheRegistryHasGoneMakesNoNewOne) {
    open(writeSeries("ct2/", ct(2)));
    ASSERT_EQ(1, loadResult);
    // The program's end releases the registry before the scenes go.
    isImageSDK::isSharedObjects::destroyInstance();
    director->popScene();
    frame();
    frame();
    EXPECT_EQ(nullptr, isImageSDK::isSharedObjects::peekInstance());
}

TEST_F(ViewingScreen, CineGuardsTheLayoutButtonsButNotZoom) {
    imageViewerPC* screen = open(writeSeries("ct8/", ct(8)));
    ASSERT_EQ(1, loadResult);
    Node* panel = screen->getToolPanel();
    auto* play = dynamic_cast<ui::Widget*>(panel->getChildByNameDeep("btnCmdPlay"));
    auto* tile = dynamic_cast<ui::Widget*>(panel->getChildByNameDeep("btnTile1x2"));
    ASSERT_TRUE(play && tile);
    EXPECT_EQ(imageViewerPC::kCineStopped, play->getTag());

    ContainerPosts tiles(9019, screen->getMultiView());
    play->setTag(imageViewerPC::kCinePlaying);
    screen->onButtonClicked(tile);
    play->setTag(imageViewerPC::kCineStopped);
    screen->onButtonClicked(tile);
    // Deliveries keep posting order: once a later marker arrives, every click's post has.
    ContainerPosts marker(60000, screen->getMultiView());
    NSUI::NSNotificationCenter::getInstance()->postNotification(nullptr, 60000, nullptr, screen->getMultiView(), false);
    frameUntil([&] { return marker.count > 0; });
    EXPECT_EQ(1, tiles.count) << "only the click made while cine was stopped";
}

TEST_F(ViewingScreen, ToolMenusShowWholeInsideTheWindow) {
    imageViewerPC* screen = open(writeSeries("ct4/", ct(4)));
    ASSERT_EQ(1, loadResult);
    const Rect window(Vec2::ZERO, Director::getInstance()->getWinSize());
    const std::pair<const char*, const char*> menus[] = {
        {"btnCmdCapture", "captureMenu"}, {"btnCmdWL", "windowLevelMenu"}, {"btnCmdClut", "clutMenu"}};
    for (const auto& [button, name] : menus) {
        auto* widget = dynamic_cast<ui::Widget*>(screen->getToolPanel()->getChildByNameDeep(button));
        ASSERT_NE(nullptr, widget) << button;
        screen->onButtonClicked(widget);
        auto* menu = dynamic_cast<NSUI::NSMenu*>(screen->getChildByNameDeep(name));
        ASSERT_TRUE(menu && menu->isVisible()) << button;
        // Nothing between the menu and the screen cuts it off.
        for (Node* up = menu->getParent(); up && up != screen; up = up->getParent()) {
            auto* layout = dynamic_cast<ui::Layout*>(up);
            EXPECT_FALSE(layout && layout->isClippingEnabled()) << button << " under " << up->getName();
        }
        const Size list = menu->getListView()->getContentSize();
        const Vec2 corner = menu->convertToWorldSpace(Vec2::ZERO);
        EXPECT_TRUE(window.containsPoint(corner) && window.containsPoint(corner + Vec2(list.width, list.height)))
            << button << " at " << corner.x << "," << corner.y;
        screen->onButtonClicked(widget); // closes it again
    }
}

TEST_F(ViewingScreen, RefusedSeriesTellTheUserAndKeepNothing) {
    // An empty folder: the load fails and a toast says so.
    std::filesystem::create_directories(db->getRoot() + "empty/");
    imageViewerPC* screen = open("empty/");
    EXPECT_EQ(-1, loadResult);
    EXPECT_EQ(nullptr, screen->getMultiView());
    Node* toast = director->getRunningScene()->getChildByNameDeep(NSUI::UIControlBase::kMessageBoxName);
    ASSERT_NE(nullptr, toast);
    director->popScene();
    frame();

    // An image as wide as the largest texture cannot be shown.
    const int widest = Configuration::getInstance()->getMaxTextureSize();
    screen = open(writeSeries("wide/", ct(1, widest, 2)));
    ASSERT_EQ(1, loadResult);
    EXPECT_EQ(nullptr, screen->getMultiView());
    Node* panel = screen->getChildByName("imageViewerMsg");
    ASSERT_NE(nullptr, panel);
    EXPECT_TRUE(panel->isVisible());
    auto* intro = dynamic_cast<ui::Text*>(panel->getChildByNameDeep("intro"));
    ASSERT_NE(nullptr, intro);
    EXPECT_EQ(NSUI::UILocalConfig::getLanguageString("noSupportSize"), intro->getString());
    EXPECT_EQ(nullptr, isImageSDK::isSharedObjects::getInstance()->getObjectByName("wide/"));
    EXPECT_TRUE(screen->getSeriesFolder().empty());
}

TEST_F(ViewingScreen, ResultBeforeTheScreenIsShownWaitsForItAndLeavesNoOverlay) {
    const std::string folder = writeSeries("ct6/", ct(6));
    // Made as createScene makes it, with an observer of the result in place before the load.
    Scene* next = Scene::create();
    next->retain(); // held as a scene about to be pushed is
    imageViewerPC* screen = imageViewerPC::create();
    next->addChild(screen);
    screen->setContentSize(director->getWinSize());
    screen->bindControls();
    screen->setSeriesFolder(folder);
    int results = 0;
    NSUI::NSNotificationCenter::getInstance()->addObserver(
        this, screen, [&](Ref*, unsigned, NSUI::NSNotificationData*) { ++results; }, imageViewerPC::kLoadResultId);
    screen->startLoading();
    // The series loads while the screen is not yet shown; both observers get the result.
    frameUntil([&] { return results == 1; });
    frame();
    frame();
    NSUI::NSNotificationCenter::getInstance()->removeObserver(this);
    EXPECT_EQ(nullptr, screen->getMultiView()) << "the views wait for the screen to be shown";
    EXPECT_EQ(nullptr, NSUI::NSActivity::current());

    director->pushScene(next);
    next->release();
    frame();
    EXPECT_NE(nullptr, screen->getMultiView());
    EXPECT_EQ(nullptr, NSUI::NSActivity::current()) << "the busy overlay went with the early result";
    director->popScene();
    frame();
}

TEST_F(ViewingScreen, LeavingWhileTheSeriesLoadsTakesItsOverlayAlongAndGoesBackOnce) {
    const std::string folder = writeSeries("ct5/", ct(5));
    // A pipe in place of the series cache holds the load at its first read until the test
    // opens the other end.
    const std::string cache = isImageSDK::isDcmScan::cacheFileFor(db->getRoot() + folder, ".prebin");
    std::filesystem::create_directories(isImageSDK::isDcmScan::cacheFolder());
    ASSERT_EQ(0, ::mkfifo(cache.c_str(), 0600));
    Scene* below = director->getRunningScene();
    const size_t depth = director->getSceneStackSize();
    Scene* next = imageViewerPC::createScene(folder);
    imageViewerPC* screen = nullptr;
    for (Node* child : next->getChildren())
        if (auto* found = dynamic_cast<imageViewerPC*>(child))
            screen = found;
    ASSERT_NE(nullptr, screen);
    director->pushScene(next);
    frame();
    ASSERT_EQ(next, director->getRunningScene());
    EXPECT_EQ(0, screen->getLoadResult());
    ASSERT_NE(nullptr, NSUI::NSActivity::current()) << "the busy overlay is up while the series loads";

    // The return key and the back button in one frame.
    input->keyTyped(EventKeyboard::KeyCode::KEY_ESCAPE);
    screen->onButtonClicked(screen->getChildByNameDeep("goBack"));
    frame();
    EXPECT_EQ(below, director->getRunningScene());
    EXPECT_EQ(depth, director->getSceneStackSize()) << "one scene went, not two";
    EXPECT_EQ(nullptr, NSUI::NSActivity::current()) << "the overlay went with its screen";

    // The load, let go, ends without a word: its screen has gone.
    const int writer = ::open(cache.c_str(), O_WRONLY);
    ASSERT_GE(writer, 0);
    ::close(writer);
    frame();
    EXPECT_EQ(nullptr, NSUI::NSActivity::current());
    ::unlink(cache.c_str());
}

TEST_F(ViewingScreen, AnotherScreensOverlayStaysUpAsItWasThroughTheLoadAndTheLeaving) {
    // Shown and styled by the screen below for work of its own.
    Scene* below = director->getRunningScene();
    NSUI::NSActivity* other = NSUI::NSActivity::show(below);
    ASSERT_NE(nullptr, other);
    // Held as its screen holds it, so that it can still be looked at once taken down.
    std::unique_ptr<NSUI::NSActivity, void (*)(NSUI::NSActivity*)> held(
        other, [](NSUI::NSActivity* activity) { activity->release(); });
    other->retain();
    other->setColor(Color3B::GRAY);
    other->setText("Preparing");
    const GLubyte opacity = other->getBackGroundColorOpacity();
    auto leftAsItWas = [&](const char* when) {
        SCOPED_TRACE(when);
        EXPECT_EQ(other, NSUI::NSActivity::current());
        EXPECT_EQ(below, other->getScene()) << "it stays on the screen that showed it";
        EXPECT_EQ(Color3B::GRAY, other->getColor());
        EXPECT_EQ("Preparing", other->getText()) << "no progress text of the load";
        EXPECT_EQ(opacity, other->getBackGroundColorOpacity());
    };

    // The series loads while that overlay is up; the result takes down no overlay.
    open(writeSeries("ct3/", ct(3)));
    ASSERT_EQ(1, loadResult);
    leftAsItWas("after the load result");
    director->popScene();
    frame();
    leftAsItWas("after leaving the loaded screen");

    // Left while the series still loads, held at its first read by a pipe in place of its cache.
    const std::string folder = writeSeries("ct5/", ct(5));
    const std::string cache = isImageSDK::isDcmScan::cacheFileFor(db->getRoot() + folder, ".prebin");
    std::filesystem::create_directories(isImageSDK::isDcmScan::cacheFolder());
    ASSERT_EQ(0, ::mkfifo(cache.c_str(), 0600));
    director->pushScene(imageViewerPC::createScene(folder));
    frame();
    director->popScene();
    frame();
    EXPECT_EQ(below, director->getRunningScene());
    leftAsItWas("after leaving while loading");
    const int writer = ::open(cache.c_str(), O_WRONLY);
    ASSERT_GE(writer, 0);
    ::close(writer);
    frame();
    leftAsItWas("after the cancelled load ended");
    ::unlink(cache.c_str());
}

TEST_F(ViewingScreen, CancelledLoadRegistersAndAnnouncesNothing) {
    const std::string folder = writeSeries("ct4/", ct(4));
    int results = 0;
    Ref* screen = Node::create();
    NSUI::NSNotificationCenter::getInstance()->addObserver(
        this, screen, [&](Ref*, unsigned, NSUI::NSNotificationData*) { ++results; }, imageViewerPC::kLoadResultId);

    // The screen went while the job was still running.
    auto job = std::make_shared<seriesLoadJob>(db->getRoot(), folder, screen);
    job->cancel();
    job->run();
    for (int i = 0; i < 3; ++i)
        frame();
    EXPECT_EQ(0, results);
    EXPECT_EQ(nullptr, isImageSDK::isSharedObjects::getInstance()->getObjectByName(folder));

    // The same job not cancelled registers the reader and announces it.
    auto again = std::make_shared<seriesLoadJob>(db->getRoot(), folder, screen);
    again->run();
    frameUntil([&] { return results == 1; });
    EXPECT_NE(nullptr, isImageSDK::isSharedObjects::getInstance()->getObjectByName(folder));
    isImageSDK::isSharedObjects::getInstance()->removeObjectByName(folder);
    NSUI::NSNotificationCenter::getInstance()->removeObserver(this);
}
