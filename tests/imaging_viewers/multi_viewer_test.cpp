// The viewing area without a display: the layouts the layout manager builds, the tile table and
// its gatherers, the key view queries and the routing of commands between tiles.

#include <gtest/gtest.h>

#include "imaging/core/data/isImageData.h"
#include "imaging/display/actor/isActorImage.h"
#include "imaging/display/interactor/isInteractorImage.h"
#include "imaging/display/roi/isActorROI.h"
#include "imaging/viewers/KeyViewProperty.h"
#include "imaging/viewers/appManager.h"
#include "imaging/viewers/isViewerBrowser.h"
#include "imaging/viewers/isViewerImage.h"
#include "imaging/viewers/isViewerMulti.h"
#include "imaging/viewers/isViewerVR.h"
#include "imaging_display/WindowFixture.h"
#include "imaging_display/display_volumes.h"

using namespace cocos2d;
using namespace displaytest;
using namespace isImageSDK;

namespace {

/// A viewer that is only a mode: enough for the table and its gatherers.
class ModeViewer : public Node, public isViewer {
public:
    explicit ModeViewer(uint32_t mode) { viewerMode = mode; autorelease(); }
    void retain() override { Ref::retain(); }
    void release() override { Ref::release(); }
    void setImageData(isImageData* data) override { image = data; }
    isImageData* getImageData() const override { return image; }
    isImageData* image = nullptr;
};

/// Image data under a chosen reference id.
class KeyedData : public isImageData {
public:
    explicit KeyedData(unsigned int id) { _ID = id; }
};

/// The int values of every 9112 the container posts.
class KindListener : public Ref {
public:
    KindListener() {
        NSUI::NSNotificationCenter::getInstance()->addObserver(
            this, nullptr,
            [this](Ref*, unsigned int, NSUI::NSNotificationData* data) { values.push_back(data->intValue); },
            isViewerMulti::kKeyViewIsVolume);
        NSUI::NSNotificationCenter::getInstance()->addObserver(
            this, this, [this](Ref*, unsigned int, NSUI::NSNotificationData*) { drained = true; }, kSentinel);
    }
    /// Runs frames until everything queued one per frame before now has been delivered.
    void drain(cocos2d::InputInjector* input) {
        drained = false;
        NSUI::NSNotificationCenter::getInstance()->postNotification(nullptr, kSentinel, nullptr, this, false);
        while (!drained)
            input->frame();
    }
    ~KindListener() override { NSUI::NSNotificationCenter::getInstance()->removeObserver(this); }
    static constexpr unsigned int kSentinel = 1;
    std::vector<int> values;
    bool drained = false;
};

class MultiViewer : public WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        volume = makeVolume(32, 32, 24, kPixelS16, [](int x, int y, int z) { return float(x + y + 10 * z); });
    }
    void TearDown() override {
        if (manager) {
            manager->cleanup();
            manager->release();
        }
        CC_SAFE_RELEASE(volume);
        WindowFixture::TearDown();
    }
    /// The four-view layout over 960 x 640, its container in the scene.
    isViewerMulti* fourViews() {
        manager = appManager::create();
        manager->retain();
        manager->createViewer(volume, 0, 0, 960, 640, appManager::kLayoutFourViews);
        scene->addChild(manager->getContainer());
        frames(2);
        return manager->getContainer();
    }
    static KeyViewProperty* tileOfMode(isViewerMulti* multi, uint32_t mode) {
        for (KeyViewProperty* tile : multi->allViews())
            if (tile->getViewerMode() == mode)
                return tile;
        return nullptr;
    }
    static isViewerBrowser* browser(KeyViewProperty* tile) {
        return dynamic_cast<isViewerBrowser*>(tile->getViewer());
    }

    isImageData* volume = nullptr;
    appManager* manager = nullptr;
};

} // namespace

TEST_F(MultiViewer, LayoutManagerBuildsOneOrFourTiles) {
    appManager* fresh = appManager::create();
    fresh->retain();
    fresh->setLayout(1);
    fresh->setImageData(volume);
    EXPECT_EQ(fresh->getContainer(), nullptr);
    EXPECT_EQ(fresh->getImageData(), nullptr);

    isViewerMulti* multi = fourViews();
    EXPECT_EQ(multi->getLocalZOrder(), -100);
    const isViewerMulti::TileList tiles = multi->allViews();
    ASSERT_EQ(tiles.size(), 4u);
    const Vec2 places[] = {{0, 322}, {482, 322}, {482, 0}, {0, 0}};
    const uint32_t modes[] = {1, 3, 5, 2};
    for (size_t i = 0; i < 4; ++i) {
        auto* node = dynamic_cast<Node*>(tiles[i]->getViewer());
        ASSERT_NE(node, nullptr);
        EXPECT_EQ(node->getPosition(), places[i]) << i;
        EXPECT_EQ(node->getContentSize(), Size(478, 318)) << i;
        EXPECT_EQ(tiles[i]->getViewerMode(), modes[i]) << i;
        EXPECT_EQ(node->getParent(), multi);
    }
    EXPECT_EQ(multi->getKeyView(), tiles[0]);
    EXPECT_NE(dynamic_cast<isViewerVR*>(tiles[2]->getViewer()), nullptr);

    // Rebuilding reuses the container and empties it first.
    manager->setLayout(1);
    EXPECT_EQ(manager->getContainer(), multi);
    EXPECT_EQ(multi->allViews().size(), 4u);
    manager->setImageData(volume);
    ASSERT_EQ(multi->allViews().size(), 1u);
    EXPECT_EQ(multi->getKeyViewMode(), 0u);
    EXPECT_EQ(multi->getChildrenCount(), 1);

    // Layout 2 on a volume is one acquired tile; layout 0 follows the first slice's plane.
    fresh->createViewer(volume, 10, 20, 400, 300, appManager::kLayoutSingle);
    ASSERT_EQ(fresh->getContainer()->allViews().size(), 1u);
    EXPECT_EQ(fresh->getContainer()->getKeyViewMode(), 0u);
    EXPECT_EQ(fresh->getContainer()->getPosition(), Vec2(10, 20));
    fresh->getContainer()->clearViews();
    fresh->createViewer(volume, 10, 20, 400, 300, appManager::kLayoutAcquired);
    EXPECT_EQ(fresh->getContainer()->getKeyViewMode(), uint32_t(isViewer::kModeAxial));
    // A container that never entered the scene stops listening when it goes.
    Ref* gone = fresh->getContainer();
    fresh->cleanup();
    EXPECT_EQ(fresh->getContainer(), nullptr);
    fresh->release();
    NSUI::NSNotificationCenter::getInstance()->postNotification(nullptr, 9010, nullptr, gone, true);
    frames(2);
}

TEST_F(MultiViewer, TableKeysGatherersAndKeyQueries) {
    auto* image = new KeyedData(5);
    auto* source = new KeyedData(3);
    EXPECT_EQ(isViewerMulti::dataKey(image, source), 3000005u);
    EXPECT_EQ(isViewerMulti::dataKey(image, nullptr), 5u);

    isViewerMulti* multi = isViewerMulti::create();
    scene->addChild(multi);
    EXPECT_EQ(multi->getKeyViewMode(), 0u);
    auto tile = [&](uint32_t mode, isImageData* data, bool linked) {
        KeyViewProperty* t = KeyViewProperty::create();
        if (mode != isViewer::kModeNone) {
            t->setViewer(new ModeViewer(mode));
            t->getViewer()->setImageData(data);
        }
        t->setImageData(data);
        t->linked = linked;
        multi->addView(t);
        return t;
    };
    KeyViewProperty* axial = tile(1, image, true);
    KeyViewProperty* coronal = tile(3, image, true);
    KeyViewProperty* render = tile(5, image, true);
    KeyViewProperty* loose = tile(1, image, false);
    KeyViewProperty* derived = tile(0, source, true);
    using L = isViewerMulti::TileList;
    L out{loose};
    // The source's entry (key 3) comes before the image's (key 5).
    multi->collectLinkedViews(axial, out);
    EXPECT_EQ(out, (L{derived, axial, coronal, render}));
    multi->collect2DViews(axial, out);
    EXPECT_EQ(out, (L{axial, coronal}));
    multi->collectMPRViews(axial, out);
    EXPECT_EQ(out, (L{axial, coronal}));
    multi->collectViewsLikeKey(axial, out);
    EXPECT_EQ(out, (L{axial}));
    multi->collectViewsOfImageData(axial, image, out);
    EXPECT_EQ(out, (L{axial, coronal, render}));
    multi->collectViewsOfMode(1, out);
    EXPECT_EQ(out, (L{axial}));
    // An unlinked key gathers only itself.
    multi->collectLinkedViews(loose, out);
    EXPECT_EQ(out, (L{loose}));
    multi->collectViewsOfImageData(loose, source, out);
    EXPECT_EQ(out, (L{loose}));

    EXPECT_EQ(multi->getKeyView(), axial) << "the first tile stays the key view";
    EXPECT_EQ(multi->findViewOfViewer(coronal->getViewer()), coronal);
    EXPECT_EQ(multi->findLinked2DView(render), derived);
    EXPECT_EQ(multi->findLinked2DView(loose), nullptr);

    // A key view without a viewer: mode 7, and no rectangle (the caller keeps its own).
    KeyViewProperty* empty = tile(isViewer::kModeNone, image, true);
    multi->setKeyView(empty);
    EXPECT_EQ(multi->getKeyViewMode(), 7u);
    Rect rect(1, 2, 3, 4);
    EXPECT_FALSE(multi->getKeyViewRect(rect));
    EXPECT_EQ(rect, Rect(1, 2, 3, 4));
    float width = 0, level = 0;
    EXPECT_FALSE(multi->getWindowLevel(width, level));
    EXPECT_EQ(multi->getImagePath(), "");

    multi->clearViews();
    EXPECT_EQ(multi->getKeyView(), nullptr);
    multi->collectLinkedViews(axial, out);
    EXPECT_TRUE(out.empty());
    image->release();
    source->release();
}

TEST_F(MultiViewer, SliceStepsStopAtTheEndAndKeepPlanesCrossing) {
    isViewerMulti* multi = fourViews();
    Recorder screen;
    screen.listen(9001, scene);
    KeyViewProperty* axial = multi->getKeyView();
    KeyViewProperty* coronal = tileOfMode(multi, isViewer::kModeCoronal);
    SliceIndex at;
    ASSERT_TRUE(multi->getSliceIndex(at));
    ASSERT_GT(at.count, 2);

    // A step in the middle moves the axial tile and the coronal one follows its point.
    const Vec3 before = browser(coronal)->getCurrentViewer()->getReferencePoint();
    multi->sendMessageNoData(9001, nullptr);
    frames(2);
    SliceIndex next;
    multi->getSliceIndex(next);
    EXPECT_EQ(next.index, at.index + 1);
    EXPECT_NE(browser(coronal)->getCurrentViewer()->getReferencePoint(), before);
    EXPECT_EQ(screen.count(9001), 1);

    // On the last slice only the re-post happens.
    browser(axial)->setFirstImageIndex(at.count - 1, true);
    const Vec3 still = browser(coronal)->getCurrentViewer()->getReferencePoint();
    multi->sendMessageNoData(9001, nullptr);
    frames(2);
    multi->getSliceIndex(next);
    EXPECT_EQ(next.index, at.count - 1);
    EXPECT_EQ(browser(coronal)->getCurrentViewer()->getReferencePoint(), still);
    EXPECT_EQ(screen.count(9001), 2);
}

TEST_F(MultiViewer, KeyViewSwitchesBetween2DAndVolumeInPlace) {
    isViewerMulti* multi = fourViews();
    KindListener kind;
    KeyViewProperty* axial = multi->getKeyView();
    // A re-post the browser queued before it goes away must not reach the container afterwards.
    NSUI::NSNotificationCenter::getInstance()->postNotificationWithFloat(
        dynamic_cast<Ref*>(axial->getViewer()), 9066, 1.5f, multi, false);

    multi->sendMessageNoData(9014, nullptr);
    EXPECT_EQ(multi->getKeyView(), axial);
    EXPECT_EQ(axial->getViewerMode(), uint32_t(isViewer::kModeVolume));
    EXPECT_NE(dynamic_cast<isViewerVR*>(axial->getViewer()), nullptr);
    EXPECT_EQ(multi->allViews().size(), 4u);
    EXPECT_EQ(multi->getChildrenCount(), 4);
    kind.drain(input);
    EXPECT_EQ(kind.values, (std::vector<int>{1}));

    // Axial again: the tile is a browser once more; already axial, nothing more is posted.
    multi->sendMessageNoData(9010, nullptr);
    EXPECT_EQ(axial->getViewerMode(), uint32_t(isViewer::kModeAxial));
    EXPECT_NE(browser(axial), nullptr);
    multi->sendMessageNoData(9010, nullptr);
    kind.drain(input);
    EXPECT_EQ(kind.values, (std::vector<int>{1, 0}));

    // A viewer of another container has no say here.
    isViewerBrowser* stranger = isViewerBrowser::create();
    multi->sendMessage(9014, nullptr, stranger);
    EXPECT_EQ(axial->getViewerMode(), uint32_t(isViewer::kModeAxial));

    // The volume tile touched becomes the key view.
    KeyViewProperty* render = tileOfMode(multi, isViewer::kModeVolume);
    NSUI::NSNotificationCenter::getInstance()->postNotification(dynamic_cast<Ref*>(render->getViewer()), 9096,
                                                               nullptr, multi, false);
    while (multi->getKeyView() != render)
        input->frame();
    kind.drain(input);
    EXPECT_EQ(kind.values.back(), 1);
    Rect rect;
    ASSERT_TRUE(multi->getKeyViewRect(rect));
    EXPECT_EQ(rect, Rect(482, 0, 478, 318));
}

TEST_F(MultiViewer, OrientationSwitchTakesZoomFromTheLinkedTile) {
    isViewerMulti* multi = fourViews();
    KeyViewProperty* sagittal = tileOfMode(multi, isViewer::kModeSagittal);
    KeyViewProperty* coronal = tileOfMode(multi, isViewer::kModeCoronal);
    for (isViewerImage* viewer : browser(coronal)->getViewers())
        viewer->setZoomRatio(2.5f);
    multi->setKeyView(sagittal);
    multi->sendMessageNoData(9012, nullptr);
    EXPECT_EQ(sagittal->getViewerMode(), uint32_t(isViewer::kModeCoronal));
    EXPECT_NEAR(browser(sagittal)->getZoomRatio(), 2.5f, 1e-3f);

    // Window and level reach every 2D tile of the data; the volume tile keeps its own.
    multi->setWindowLevel(300.0f, 60.0f);
    float width = 0, level = 0;
    ASSERT_TRUE(multi->getWindowLevel(width, level));
    EXPECT_FLOAT_EQ(width, 300.0f);
    multi->setKeyView(coronal);
    ASSERT_TRUE(multi->getWindowLevel(width, level));
    EXPECT_FLOAT_EQ(level, 60.0f);

}

TEST_F(MultiViewer, RemovesOnlyTheSelectedMeasurement) {
    isViewerMulti* multi = fourViews();
    isViewerImage* axial = browser(multi->getKeyView())->getCurrentViewer();
    // A line drawn across the axial tile stays selected.
    multi->sendMessageNoData(9040, nullptr);
    input->touchBegan(0, Vec2(150, 450));
    frames(1);
    input->touchMoved(0, Vec2(250, 470));
    input->touchMoved(0, Vec2(330, 480));
    input->touchEnded(0, Vec2(330, 480));
    frames(4);
    ASSERT_NE(axial->getROIActor(), nullptr);
    ASSERT_EQ(axial->getROIActor()->getActors().size(), 1u);
    auto* tracker = dynamic_cast<isInteractorImage*>(axial->getInteractor());
    ASSERT_NE(tracker, nullptr);

    ASSERT_NE(tracker->getCurrentROI(), nullptr);
    multi->sendMessageNoData(9045, nullptr);
    EXPECT_TRUE(axial->getROIActor()->getActors().empty());
    // With nothing selected in the key tile, a selection in another tile is left alone.
    KeyViewProperty* coronal = tileOfMode(multi, isViewer::kModeCoronal);
    isViewerImage* other = browser(coronal)->getCurrentViewer();
    multi->setKeyView(coronal);
    multi->sendMessageNoData(9040, nullptr);
    input->touchBegan(0, Vec2(640, 450));
    frames(1);
    input->touchMoved(0, Vec2(820, 480));
    input->touchEnded(0, Vec2(820, 480));
    frames(4);
    auto* otherTracker = dynamic_cast<isInteractorImage*>(other->getInteractor());
    ASSERT_NE(otherTracker->getCurrentROI(), nullptr);
    multi->setKeyView(multi->allViews()[0]);
    multi->sendMessageNoData(9045, nullptr);
    EXPECT_NE(otherTracker->getCurrentROI(), nullptr);
    EXPECT_EQ(other->getROIActor()->getActors().size(), 1u);
}
