// The CT phantom in a 3 x 3 browser, in a grid grown from one shown tile, and in the volume
// viewer, drawn under Xvfb and read back. The frames are written to <build>/browser_phantom.png,
// browser_two_by_two.png and volume_phantom.png.

#include <gtest/gtest.h>

#include "PhantomFixture.h"
#include "imaging/display/actor/isActorImage.h"
#include "imaging/display/actor/isActorManager.h"
#include "imaging/display/actor/isActorOverlay.h"
#include "imaging/display/actor/isActorVR.h"
#include "imaging/display/overlay/isNodeOverlayText.h"
#include "imaging/viewers/KeyViewProperty.h"
#include "imaging/viewers/appManager.h"
#include "imaging/viewers/isViewerBrowser.h"
#include "imaging/viewers/isViewerImage.h"
#include "imaging/viewers/isViewerMulti.h"
#include "notify/NSNotificationCenter.h"
#include "imaging/viewers/isViewerVR.h"
#include "2d/Sprite.h"

using namespace cocos2d;
using namespace isImageSDK;

namespace {

class ViewersPhantom : public viewertest::PhantomFixture<600, 600> {
protected:
    static bool lit(const unsigned char* p) { return p[0] > 60 || p[1] > 60 || p[2] > 60; }
    /// What the viewer's overlay shows as the patient's name.
    static std::string patientShown(isViewerImage* viewer) {
        for (isNodeOverlay* item : viewer->getActorManager()->getOverlay<isActorOverlay>()->getItems())
            if (item->getBoundId() == 9081)
                return static_cast<isNodeOverlayText*>(item)->getString();
        return "(no patient item)";
    }
    /// A browser of 580 x 580 at (10, 10) over the image, one tile.
    isViewerBrowser* showBrowser(isImageData* image) {
        auto* browser = isViewerBrowser::create();
        browser->setContentSize(Size(580, 580));
        browser->setPosition(Vec2(10, 10));
        scene->addChild(browser);
        browser->setImageData(image);
        return browser;
    }
    static Rect worldBox(Node* node) {
        const Rect box = node->getBoundingBox();
        Node* parent = node->getParent();
        const Vec2 lo = parent->convertToWorldSpace(box.origin);
        const Vec2 hi = parent->convertToWorldSpace(Vec2(box.getMaxX(), box.getMaxY()));
        return Rect(lo.x, lo.y, hi.x - lo.x, hi.y - lo.y);
    }
    static Rect clipped(const Rect& a, const Rect& b) {
        const float x = std::max(a.getMinX(), b.getMinX()), y = std::max(a.getMinY(), b.getMinY());
        return Rect(x, y, std::min(a.getMaxX(), b.getMaxX()) - x, std::min(a.getMaxY(), b.getMaxY()) - y);
    }
};

} // namespace

TEST_F(ViewersPhantom, BrowserShowsNineConsecutiveSlices) {
    isImageData* image = loadPhantom();
    ASSERT_NE(image, nullptr);
    auto* browser = showBrowser(image);
    browser->setTiling(3, 3);
    browser->centerSeries();
    // The tiles' corner texts arrive one notification per frame.
    frames(60);
    const std::vector<int> expected = {15, 16, 17, 18, 19, 20, 21, 22, 23}; // (40 - 9) / 2
    std::vector<int> shown;
    for (isViewerImage* viewer : browser->getViewers())
        shown.push_back(viewer->getImageActor()->getSliceIndex());
    EXPECT_EQ(shown, expected);

    const std::vector<unsigned char> px = readAll();
    EXPECT_TRUE(savePng(px, qptest::binaryDir() + "/browser_phantom.png"));
    // Every tile shows the body in its middle, and the 2-point gaps between tiles stay dark.
    const float tile = (580.0f - 4.0f) / 3.0f;
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column) {
            const int cx = 10 + int(column * (tile + 2) + tile / 2),
                      cy = 10 + int(row * (tile + 2) + tile / 2);
            EXPECT_GT(countWhere(px, cx - 30, cy - 30, cx + 30, cy + 30, lit), 1000) << row << "," << column;
        }
    browser->removeFromParent();
}

TEST_F(ViewersPhantom, AGridMadeFromAShownSeriesFitsEveryTile) {
    // As the layout buttons do it: one tile showing the series first, then four.
    isImageData* image = loadPhantom();
    ASSERT_NE(image, nullptr);
    auto* browser = showBrowser(image);
    frames(2);
    browser->setTiling(2, 2);
    frames(30);
    const std::vector<unsigned char> px = readAll();
    EXPECT_TRUE(savePng(px, qptest::binaryDir() + "/browser_two_by_two.png"));
    // The phantom's body is 102 of its 127 mm across: in each 289-point tile it spans about
    // 232 points, so both ends of a row through the middle are lit and the tile's edge (below
    // the side letter) is not.
    const float tile = (580.0f - 2.0f) / 2.0f;
    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < 2; ++column) {
            const int x0 = 10 + int(column * (tile + 2)), cy = 10 + int(row * (tile + 2) + tile / 2);
            const int x1 = x0 + int(tile);
            EXPECT_GT(countWhere(px, x0 + 40, cy - 20, x0 + 60, cy + 20, lit), 600) << row << "," << column;
            EXPECT_GT(countWhere(px, x1 - 60, cy - 20, x1 - 40, cy + 20, lit), 600) << row << "," << column;
            EXPECT_EQ(countWhere(px, x0 + 4, cy + 25, x0 + 14, cy + 45, lit), 0) << row << "," << column;
        }
    browser->removeFromParent();
}

TEST_F(ViewersPhantom, VolumeViewerRendersTheBodyFromTheFront) {
    isImageData* image = loadPhantom();
    ASSERT_NE(image, nullptr);
    auto* viewer = isViewerVR::create();
    viewer->setContentSize(Size(580, 580));
    viewer->setPosition(Vec2(10, 10));
    scene->addChild(viewer);
    viewer->setVolumeMode5();
    viewer->setImageData(image);
    isActorVR* actor = viewer->getVRActor();
    ASSERT_NE(actor, nullptr);
    // Wait for the first picture (rendered on the actor's threads).
    while (!actor->getSprite()->isVisible())
        input->frame();
    frames(4);
    const std::vector<unsigned char> px = readAll();
    EXPECT_TRUE(savePng(px, qptest::binaryDir() + "/volume_phantom.png"));
    EXPECT_GT(countWhere(px, 200, 200, 400, 400, lit), 20000);
    EXPECT_LT(countWhere(px, 12, 12, 40, 40, lit), 50) << "air around the body stays dark";
    viewer->removeFromParent();
}

TEST_F(ViewersPhantom, EveryTileOverTheSeriesGetsThePatientTextsOfItsOneRead) {
    isImageData* image = loadPhantom(4);
    ASSERT_NE(image, nullptr);
    // A 2 x 2 browser and the four-view layout, all set up while the one read of the series runs.
    auto* browser = isViewerBrowser::create();
    browser->setContentSize(Size(580, 280));
    scene->addChild(browser);
    browser->setImageData(image);
    browser->setTiling(2, 2);
    appManager* manager = appManager::create();
    manager->retain();
    manager->createViewer(image, 0, 300, 600, 300, appManager::kLayoutFourViews);
    scene->addChild(manager->getContainer());
    std::vector<isViewerImage*> tiles = browser->getViewers();
    for (KeyViewProperty* view : manager->getContainer()->allViews())
        if (auto* planes = dynamic_cast<isViewerBrowser*>(view->getViewer()))
            tiles.insert(tiles.end(), planes->getViewers().begin(), planes->getViewers().end());
    ASSERT_EQ(tiles.size(), 7u);
    while (image->getInfoText().empty())
        input->frame();
    // Deliveries come one a frame in posting order: once a mark posted now arrives, every tile
    // has been told.
    const unsigned int kMark = 99999;
    bool marked = false;
    auto* centre = NSUI::NSNotificationCenter::getInstance();
    centre->addObserver(
        &marked, nullptr, [&marked](Ref*, unsigned int, NSUI::NSNotificationData*) { marked = true; }, kMark);
    centre->postNotification(nullptr, kMark, nullptr, nullptr, false);
    while (!marked)
        input->frame();
    centre->removeObserver(&marked);
    frames(2);
    EXPECT_TRUE(savePng(readAll(), qptest::binaryDir() + "/overlay_small_tiles.png"));
    for (size_t i = 0; i < tiles.size(); ++i) {
        EXPECT_EQ(patientShown(tiles[i]), "PHANTOM^CT ") << "tile " << i;
        // In these small tiles every text shown stays inside its tile and off the edge letters;
        // the part of a text outside its corner's box is cut off.
        isActorOverlay* overlay = tiles[i]->getActorManager()->getOverlay<isActorOverlay>();
        const Rect tile = worldBox(tiles[i]);
        for (isNodeOverlay* item : overlay->getItems()) {
            auto* text = dynamic_cast<isNodeOverlayText*>(item);
            if (!text || !text->isVisible() || text->getString().empty())
                continue;
            const Rect shown = clipped(worldBox(text), worldBox(text->getParent()->getParent()));
            if (shown.size.width <= 0 || shown.size.height <= 0)
                continue;
            EXPECT_TRUE(tile.containsPoint(shown.origin) &&
                        tile.containsPoint(Vec2(shown.getMaxX(), shown.getMaxY())))
                << "tile " << i << ": " << text->getString();
            for (int edge = 0; edge < 4; ++edge) {
                isNodeOverlayText* letter = overlay->getEdgeLabel(edge);
                if (!letter)
                    continue;
                EXPECT_FALSE(shown.intersectsRect(worldBox(letter)))
                    << "tile " << i << ": " << text->getString() << " meets " << letter->getString();
            }
        }
    }
    manager->cleanup();
    manager->release();
    browser->removeFromParent();
}
