// The browser viewer without a display: its grid of slice viewers, paging and cine, and the
// commands it fans out, refuses or hands to its owner.

#include <gtest/gtest.h>

#include "base/messageView.h"
#include "imaging/core/clut/isClut.h"
#include "imaging/core/data/isImageData.h"
#include "imaging/display/actor/isActorImage.h"
#include "imaging/viewers/isViewerBrowser.h"
#include "imaging/viewers/isViewerImage.h"
#include "imaging_display/WindowFixture.h"
#include "imaging_display/display_volumes.h"
#include "ui/Slider.h"
#include "ui/Text.h"

using namespace cocos2d;
using namespace displaytest;
using namespace isImageSDK;

namespace {

class BrowserViewer : public WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        owner = Node::create();
        scene->addChild(owner);
        browser = isViewerBrowser::create();
        browser->setContentSize(Size(200, 100));
        owner->addChild(browser);
        browser->setOwner(owner);
    }
    void TearDown() override {
        for (isImageData* data : volumes)
            data->release();
        WindowFixture::TearDown();
    }
    isImageData* volume(int slices) {
        volumes.push_back(makeVolume(8, 6, slices, kPixelS16, [](int x, int, int z) { return float(x + 10 * z); }));
        return volumes.back();
    }
    std::vector<int> shownSlices() const {
        std::vector<int> shown;
        for (isViewerImage* viewer : browser->getViewers())
            shown.push_back(viewer->getImageActor() ? viewer->getImageActor()->getSliceIndex() : -99);
        return shown;
    }
    void send(unsigned int id, Ref* sender = nullptr) { browser->onMessage(id, nullptr, sender); }
    /// Draws frames until the condition holds (at most 100).
    bool until(const std::function<bool()>& done) {
        for (int i = 0; i < 100 && !done(); ++i)
            input->frame();
        return done();
    }

    Node* owner = nullptr;
    isViewerBrowser* browser = nullptr;
    std::vector<isImageData*> volumes;
};

} // namespace

TEST_F(BrowserViewer, TilingCopiesTheFirstViewerAndLaysOutTheGrid) {
    browser->setImageData(volume(20));
    isViewerImage* first = browser->getViewers()[0];
    first->setSlice(10, false);
    first->getImageActor()->setWindow(300.0f, 70.0f);
    unsigned char hot[768];
    for (int i = 0; i < 768; ++i)
        hot[i] = static_cast<unsigned char>(i % 3 == 0 ? i / 3 : 0);
    first->getImageActor()->setColorTable(hot);

    browser->setTiling(2, 2);
    ASSERT_EQ(browser->getViewers().size(), 4u);
    EXPECT_EQ(shownSlices(), (std::vector<int>{10, 11, 12, 13}));
    const Vec2 places[4] = {Vec2(0, 51), Vec2(101, 51), Vec2(0, 0), Vec2(101, 0)};
    for (int k = 0; k < 4; ++k) {
        isViewerImage* viewer = browser->getViewers()[k];
        EXPECT_EQ(viewer->getPosition(), places[k]) << k;
        EXPECT_EQ(viewer->getContentSize(), Size(99, 49)) << k;
        EXPECT_EQ(viewer->getViewerMode(), first->getViewerMode());
        isClut* clut = viewer->getImageActor()->getClut();
        EXPECT_FLOAT_EQ(clut->windowWidth, 300.0f);
        EXPECT_FLOAT_EQ(clut->windowLevel, 70.0f);
        unsigned char rgb[768];
        clut->getRGBTable(rgb);
        EXPECT_EQ(rgb[3 * 200], 200);
        EXPECT_EQ(rgb[3 * 200 + 1], 0);
    }

    // Shrinking keeps the first viewer, and it stays current even when the current one goes.
    browser->onMessage(isViewerImage::kViewTouched, nullptr, browser->getViewers()[3]);
    EXPECT_EQ(browser->getCurrentViewer(), browser->getViewers()[3]);
    browser->setTiling(1, 1);
    ASSERT_EQ(browser->getViewers().size(), 1u);
    EXPECT_EQ(browser->getCurrentViewer(), first);
    EXPECT_EQ(first->getContentSize(), Size(200, 100));

    // A size under one point leaves the tiles where they are.
    browser->setContentSize(Size(0.5f, 100));
    browser->setTiling(1, 2);
    EXPECT_EQ(browser->getViewers()[1]->getContentSize(), Size(0, 0));
}

TEST_F(BrowserViewer, CentreSeriesAndSliderPosition) {
    browser->setImageData(volume(100));
    browser->setTiling(2, 2);
    browser->centerSeries();
    EXPECT_EQ(browser->getFirstImageIndex(), 48);
    EXPECT_EQ(shownSlices(), (std::vector<int>{48, 49, 50, 51}));

    auto* root = Node::create();
    root->setName("root");
    auto* slider = ui::Slider::create();
    slider->setName("slider");
    root->addChild(slider);
    browser->addChild(root);
    browser->setFirstImageIndex(33, true);
    EXPECT_EQ(slider->getPercent(), 33); // 33 of 99 steps, not an integer quotient of 0

    auto* small = isViewerBrowser::create();
    scene->addChild(small);
    small->setImageData(volume(7));
    small->setTiling(2, 2);
    small->centerSeries();
    EXPECT_EQ(small->getFirstImageIndex(), 0);
}

TEST_F(BrowserViewer, PagingStepsFromWhatTheTilesShow) {
    browser->setImageData(volume(12));
    browser->setTiling(1, 2);
    // While stopped, 9054 on the first slice wraps to the last.
    browser->setFirstImageIndex(0, true);
    send(isViewerBrowser::kSlowerOrPrevious);
    EXPECT_EQ(browser->getFirstImageIndex(), 11);
    browser->setFirstImageIndex(0, true);
    // Slices stepped by the viewers themselves are where the next page starts.
    send(isViewerImage::kNextSlice, owner);
    send(isViewerImage::kNextSlice, owner);
    send(isViewerBrowser::kFasterOrNext);
    EXPECT_EQ(shownSlices(), (std::vector<int>{3, 4}));
    // The owner's touch on another tile stops nothing that runs and pages nowhere.
    send(isViewerImage::kViewTouched, owner);
    EXPECT_EQ(shownSlices(), (std::vector<int>{3, 4}));
    send(isViewerBrowser::kFasterOrNext);
    EXPECT_EQ(browser->getFirstImageIndex(), 4);
}

TEST_F(BrowserViewer, CineSpeedStartAndOneStepPerFrame) {
    std::vector<int> states;
    NSUI::NSNotificationCenter::getInstance()->addObserver(
        this, owner, [&](Ref*, unsigned int, NSUI::NSNotificationData* d) { states.push_back(d->intValue); },
        isViewerBrowser::kCineState);
    auto* single = isViewerBrowser::create();
    single->setOwner(owner);
    scene->addChild(single);
    single->setImageData(volume(1));
    single->onMessage(isViewerBrowser::kCine, nullptr, nullptr);
    EXPECT_FALSE(single->isPlaying());

    browser->setImageData(volume(30));
    browser->setFirstImageIndex(5, false);
    send(isViewerBrowser::kCine);
    ASSERT_TRUE(browser->isPlaying());
    frames(1);
    EXPECT_EQ(states, (std::vector<int>{0, 1}));

    send(isViewerBrowser::kFasterOrNext);
    EXPECT_EQ(browser->getTicksPerStep(), 40);
    for (int i = 0; i < 4; ++i)
        send(isViewerBrowser::kFasterOrNext);
    EXPECT_EQ(browser->getTicksPerStep(), isViewerBrowser::kMinTicksPerStep);
    // A long frame owes the 5 ms timer hundreds of calls: the tiles still move one slice.
    input->frame(0.2f);
    const int after = browser->getFirstImageIndex();
    input->frame(2.0f);
    EXPECT_EQ(browser->getFirstImageIndex(), after + 1);
    for (int i = 0; i < 8; ++i)
        send(isViewerBrowser::kSlowerOrPrevious);
    EXPECT_EQ(browser->getTicksPerStep(), isViewerBrowser::kMaxTicksPerStep);

    send(isViewerBrowser::kCine);
    EXPECT_FALSE(browser->isPlaying());
    EXPECT_EQ(browser->getFirstImageIndex(), after + 1);
}

TEST_F(BrowserViewer, RefusalsAndSingleViewerCommands) {
    browser->setImageData(volume(10));
    browser->setTiling(1, 2);
    isViewerImage* left = browser->getViewers()[0];
    isViewerImage* right = browser->getViewers()[1];

    // A zoom from one tile zooms that tile only.
    const float before = right->getZoomRatio();
    auto* zoom = new NSUI::NSNotificationData();
    zoom->floatValue = 2.0f;
    browser->onMessage(isViewerImage::kZoomKeepReference, zoom, left);
    zoom->release();
    EXPECT_NE(left->getZoomRatio(), before);
    EXPECT_EQ(right->getZoomRatio(), before);

    // While a tile is maximised the grid stays and the user is told why.
    left->maximized = true;
    send(isViewerBrowser::kTiling2x2);
    EXPECT_EQ(browser->getViewers().size(), 2u);
    auto* text = dynamic_cast<ui::Text*>(scene->getChildByNameDeep(NSUI::UIControlBase::kMessageTextName));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->getString(), isViewerBrowser::kMaximizedToast);
    left->maximized = false;
    send(isViewerBrowser::kTiling2x2);
    EXPECT_EQ(browser->getViewers().size(), 4u);

    // Commands of others go to the owner first; the owner's own come to the tiles.
    Recorder reposted;
    reposted.listen(isViewerImage::kAxial, owner);
    send(isViewerImage::kAxial, left);
    EXPECT_TRUE(until([&] { return reposted.count(isViewerImage::kAxial) == 1; }));
}

TEST_F(BrowserViewer, RetilingWithdrawsThePostsOfTheViewersItRemoves) {
    browser->setImageData(volume(10));
    browser->setTiling(1, 2);
    frames(1); // the new viewer is held by the browser alone
    isViewerImage* left = browser->getViewers()[0];
    isViewerImage* right = browser->getViewers()[1];
    Recorder touches;
    touches.listen(isViewerImage::kViewTouched, owner);
    auto post = [&](isViewerImage* from, unsigned int id, const char* text) {
        auto* data = new NSUI::NSNotificationData();
        data->text = text;
        NSUI::NSNotificationCenter::getInstance()->postNotification(from, id, data, browser, false);
        data->release();
    };
    // A drag and a touch on the right tile still wait when the grid shrinks and the tile goes.
    post(right, isViewerImage::kPan, "right");
    post(right, isViewerImage::kViewTouched, "right");
    browser->setTiling(1, 1);
    post(left, isViewerImage::kViewTouched, "left");
    ASSERT_TRUE(until([&] { return touches.count(isViewerImage::kViewTouched) > 0 &&
                                   touches.entries.back().text == "left"; }));
    ASSERT_EQ(touches.entries.size(), 1u) << "the removed tile's touch was handled: " << touches.entries[0].text;
}
