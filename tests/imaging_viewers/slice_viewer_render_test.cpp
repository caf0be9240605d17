// The CT phantom series, written as DICOM files, scanned and loaded as the workstation loads a
// series, shown by one slice viewer under Xvfb with its corner texts, a colour table and a
// measured line. The frame is written to <build>/slice_viewer_phantom.png for a look. A small
// real MR image fills the viewer as a large one does.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "PhantomFixture.h"
#include "imaging_display/display_slices.h"
#include "support/PixelProbe.h"
#include "imaging/core/data/isImageData.h"
#include "imaging/core/io/isDcmReader.h"
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

class SliceViewerPhantom : public viewertest::PhantomFixture<500, 500> {
protected:
    /// A viewer of kSide x kSide at (10, 10) showing the image, once the patient texts of its
    /// first file (read on a thread) have arrived in `info`.
    isViewerImage* show(isImageData* image, Recorder& info) {
        isViewerImage* viewer = isViewerImage::create();
        viewer->setContentSize(Size(kSide, kSide));
        viewer->setPosition(Vec2(10, 10));
        scene->addChild(viewer);
        info.listen(isViewerImage::kOverlayInfo, viewer);
        viewer->setImageData(image);
        while (info.entries.empty())
            input->frame();
        return viewer;
    }
};

} // namespace

TEST_F(SliceViewerPhantom, ShowsTheSeriesWithItsTextsAColourTableAndALine) {
    isImageData* image = loadPhantom();
    ASSERT_NE(image, nullptr);
    Recorder info;
    isViewerImage* viewer = show(image, info);
    EXPECT_EQ(viewer->getViewerMode(), uint32_t(isViewer::kModeAxial));
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

TEST_F(SliceViewerPhantom, ASmallRealImageFillsTheViewWithItsOwnPicture) {
    // 64 x 64 at 0.3125 mm: 20 mm across, less than the camera's near distance.
    auto* reader = isDcmReader::create();
    ASSERT_NE(reader, nullptr);
    reader->retain();
    reader->setFileName(qptest::pydicomDir() + "/MR_small.dcm");
    reader->Update();
    isImageData* image = reader->getOutputImage();
    isSliceInfo* slice = image ? image->getSlice(0) : nullptr;
    ASSERT_NE(slice, nullptr);
    ASSERT_EQ(slice->columns, 64);
    Recorder info;
    isViewerImage* viewer = show(image, info);
    frames(2);
    const std::vector<unsigned char> px = readAll();
    EXPECT_TRUE(savePng(px, qptest::binaryDir() + "/slice_viewer_small_mr.png"));

    // The reference: the stored values filtered at each pixel's place in the fitted image (the
    // first row at the top, the outer samples' centres on the view's edges), then windowed.
    float width = 0, level = 0;
    image->getDefaultWindow(width, level);
    const double perTexel = double(kSide) / 63.0;
    double sa = 0, sb = 0, saa = 0, sbb = 0, sab = 0;
    int n = 0, off = 0;
    // The middle, clear of the corner texts.
    for (int y = 110; y < 390; ++y) {
        for (int x = 110; x < 390; ++x) {
            const double value =
                filteredSample(*slice, (x + 0.5 - 10) / perTexel, (kSide - (y + 0.5 - 10)) / perTexel);
            const double a = std::clamp((value - (level - width / 2)) * 255.0 / width, 0.0, 255.0);
            const double b = px[(size_t(y) * kW + size_t(x)) * 4];
            sa += a, sb += b, saa += a * a, sbb += b * b, sab += a * b, ++n;
            off += std::abs(a - b) > 32.0;
        }
    }
    const double spread = sbb / n - (sb / n) * (sb / n);
    EXPECT_GT(spread, 100.0) << "the view is not blank";
    const double correlation =
        (sab / n - sa / n * sb / n) / std::sqrt((saa / n - sa / n * sa / n) * std::max(spread, 1e-9));
    EXPECT_GT(correlation, 0.95);
    // Each sample is drawn around its own place, not half a pixel beside it.
    EXPECT_LE(off, n / 1000);
    viewer->removeFromParent();
    reader->release();
}
