// The CT phantom series, written as DICOM files, scanned and loaded as the workstation loads a
// series, shown by one slice viewer under Xvfb with its corner texts, a colour table and a
// measured line. The frame is written to <build>/slice_viewer_phantom.png for a look.

#include <gtest/gtest.h>

#include "PhantomFixture.h"
#include "support/PixelProbe.h"
#include "imaging/core/data/isImageData.h"
#include "imaging/core/roi/ROIData.h"
#include "imaging/core/roi/isROIManager.h"
#include "imaging/display/actor/isActorImage.h"
#include "imaging/display/roi/isActorROI.h"
#include "imaging/display/roi/isActorROIBase.h"
#include "imaging/viewers/isViewerImage.h"

using namespace cocos2d;
using namespace displaytest;
using namespace isImageSDK;

namespace {

const int kSide = 480;

class SliceViewerPhantom : public viewertest::PhantomFixture<500, 500> {};

} // namespace

TEST_F(SliceViewerPhantom, ShowsTheSeriesWithItsTextsAColourTableAndALine) {
    isImageData* image = loadPhantom();
    ASSERT_NE(image, nullptr);
    isViewerImage* viewer = isViewerImage::create();
    viewer->setContentSize(Size(kSide, kSide));
    viewer->setPosition(Vec2(10, 10));
    scene->addChild(viewer);
    Recorder info;
    info.listen(isViewerImage::kOverlayInfo, viewer);
    viewer->setImageData(image);
    EXPECT_EQ(viewer->getViewerMode(), uint32_t(isViewer::kModeAxial));
    // The patient texts come from the first file, read on a thread.
    while (info.entries.empty())
        input->frame();
    EXPECT_NE(info.entries[0].text.find("PHANTOM^CT"), std::string::npos);

    viewer->onMessage(
        isViewerImage::kColorTable,
        [] {
            auto* data = new NSUI::NSNotificationData();
            data->autorelease();
            data->text = "HotMetal.plist";
            return data;
        }(),
        nullptr);
    // A line measured across the body with the pointer.
    viewer->onMessage(isViewerImage::kNewLine, nullptr, nullptr);
    input->touchBegan(0, Vec2(120, 330));
    frames(1);
    input->touchMoved(0, Vec2(250, 345));
    input->touchMoved(0, Vec2(380, 330));
    input->touchEnded(0, Vec2(380, 330));
    frames(6);
    ASSERT_NE(viewer->getROIActor(), nullptr);
    EXPECT_EQ(viewer->getROIActor()->getActors().size(), 1u);
    // Its ends lie under the finger's first and last points (the window's own coordinates).
    Vec2 start, end;
    viewer->projectToScreen(viewer->getROIActor()->getActors()[0]->getData()->getPoint(0), start);
    viewer->projectToScreen(viewer->getROIActor()->getActors()[0]->getData()->getPoint(1), end);
    EXPECT_LT(start.distance(Vec2(110, 320)), 2.0f);
    EXPECT_LT(end.distance(Vec2(370, 320)), 2.0f);

    const std::vector<unsigned char> px = readAll();
    EXPECT_TRUE(savePng(px, qptest::binaryDir() + "/slice_viewer_phantom.png"));
    // Soft tissue in the middle of the body comes out in the hot-metal reds, not grey.
    const int reddish = countWhere(px, 170, 170, 330, 330,
                                   [](const unsigned char* p) { return p[0] > 120 && p[0] > p[2] + 60; });
    EXPECT_GT(reddish, 2000);
    // Texts in the corners: orientation and window at the top, patient and study at the bottom.
    auto text = [](const unsigned char* p) { return p[0] > 180 && p[1] > 180; };
    EXPECT_GT(countWhere(px, 10, 400, 150, 490, text), 30) << "top left";
    EXPECT_GT(countWhere(px, 300, 400, 490, 490, text), 30) << "top right";
    EXPECT_GT(countWhere(px, 10, 10, 250, 120, text), 60) << "bottom left";
    viewer->removeFromParent();
}
