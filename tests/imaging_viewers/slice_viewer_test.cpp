// The slice viewer without a display: geometry, slicing, the owner rule and the commands whose
// outcome can be read back from the viewer or from what it posts.

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "imaging/core/clut/isClut.h"
#include "imaging/core/data/isImageData.h"
#include "imaging/core/data/isSliceInfo.h"
#include "imaging/display/actor/isActorCrossLine.h"
#include "imaging/display/actor/isActorImage.h"
#include "imaging/display/actor/isActorOverlay.h"
#include "imaging/display/isNodeImage.h"
#include "imaging/viewers/KeyViewProperty.h"
#include "imaging/viewers/SliceGeometry.h"
#include "imaging/viewers/isViewerImage.h"
#include "imaging_display/WindowFixture.h"
#include "imaging_display/display_volumes.h"

using namespace cocos2d;
using namespace displaytest;
using namespace isImageSDK;

namespace {

// World axes: x to the patient's left, y superior, z anterior.
const Mat4 kAxialFrame(Vec3(1, 0, 0), Vec3(0, 0, -1), Vec3(0, 1, 0), Vec3(0, 0, 0));
const Mat4 kCoronalFrame(Vec3(1, 0, 0), Vec3(0, -1, 0), Vec3(0, 0, -1), Vec3(0, 0, 0));

NSUI::NSNotificationData* payload(const std::string& text = "", float f = 0.0f, int tag = 0) {
    auto* data = new NSUI::NSNotificationData();
    data->autorelease();
    data->text = text;
    data->floatValue = f;
    data->tag = tag;
    return data;
}

// A series of separate axial images (not a volume), each `frames` frames of 16-bit pixels whose
// value is 1000 * frame + image index.
isImageData* makeSeries(int images, int frames = 1) {
    auto* data = isImageData::create();
    data->retain();
    for (int k = 0; k < images; ++k) {
        Mat4 m = kAxialFrame;
        m.m[13] = float(k * 7 + k * k); // uneven gaps keep it a series
        const int dims[2] = {8, 6};
        const float spacing[2] = {1.0f, 1.0f};
        isSliceInfo* slice = data->addSlice(dims, frames, spacing, kPixelS16, 0, 0, m);
        auto* px = reinterpret_cast<int16_t*>(slice->pixels);
        for (int f = 0; f < frames; ++f)
            for (int i = 0; i < 48; ++i)
                px[f * 48 + i] = int16_t(1000 * f + k);
        slice->modality = kModalityCT;
        slice->loaded = 1;
    }
    return data;
}

class SliceViewer : public WindowFixture {
protected:
    void TearDown() override {
        if (volume)
            volume->release();
        WindowFixture::TearDown();
    }
    isViewerImage* addViewer(Node* parent = nullptr, Vec2 at = Vec2(10, 10)) {
        isViewerImage* viewer = isViewerImage::create();
        viewer->setContentSize(Size(200, 200));
        viewer->setPosition(at);
        (parent ? parent : scene)->addChild(viewer);
        return viewer;
    }
    isImageData* phantom() {
        if (!volume)
            volume = makeVolume(16, 12, 10, kPixelS16, [](int x, int, int z) { return float(x + 100 * z); });
        return volume;
    }
    /// Draws frames until the condition holds (at most 200).
    bool until(const std::function<bool()>& done) {
        for (int i = 0; i < 200 && !done(); ++i)
            input->frame();
        return done();
    }
    isImageData* volume = nullptr;
};

} // namespace

TEST(SliceGeometry, TransformCentreAndAxialCameraPose) {
    isSliceInfo slice;
    slice.columns = 11;
    slice.rows = 21;
    slice.spacingX = 0.5f;
    slice.spacingY = 2.0f;
    slice.matrix.m[12] = 100.0f;
    const Mat4 t = SliceGeometry::sliceTransform(slice);
    EXPECT_EQ(SliceGeometry::column(t, 3), Vec3(102.5f, 20.0f, 0.0f));
    EXPECT_EQ(SliceGeometry::column(t, 2), Vec3(0, 0, 1));

    // An axial box (rows to the patient's left, columns to the back, slices upwards) is seen
    // from the feet with anterior up: the camera's frame is the slice's own.
    const int dims[3] = {11, 11, 5};
    const float spacing[3] = {1, 1, 2};
    const SliceGeometry::Pose pose = SliceGeometry::poseForPlane(dims, spacing, kAxialFrame, 0, 0, 0);
    EXPECT_EQ(pose.focalPoint, Vec3(5, 4, -5));
    EXPECT_EQ(pose.position, Vec3(5, 3, -5));
    EXPECT_EQ(pose.viewUp, Vec3(0, 0, 1));
}

TEST_F(SliceViewer, VolumeOrientationsSlicesAndHiding) {
    isViewerImage* viewer = addViewer();
    viewer->setImageData(phantom());
    EXPECT_EQ(viewer->getViewerMode(), uint32_t(isViewer::kModeAxial));
    EXPECT_EQ(viewer->getSliceCount(), 10);
    // The camera looks at the slice in the slice's own frame.
    isCameraState state;
    viewer->getCameraState(state);
    const Mat4 camera(Vec3(state.rightAxis), -Vec3(state.viewUp), Vec3(state.directionOfProjection),
                      Vec3(state.focalPoint));
    const Mat4 relative = viewer->getSliceTransform().getInversed() * camera;
    for (int i = 0; i < 12; ++i)
        EXPECT_NEAR(relative.m[i], Mat4::IDENTITY.m[i], 1e-5f) << i;

    // An axial acquisition shows coronal in the plane across its columns.
    viewer->onMessage(isViewerImage::kCoronal, nullptr, nullptr);
    EXPECT_EQ(viewer->getViewerMode(), uint32_t(isViewer::kModeCoronal));
    EXPECT_NE(viewer->getImageActor()->getOrientation(), 0);
    viewer->onMessage(isViewerImage::kAxial, nullptr, nullptr);
    EXPECT_EQ(viewer->getViewerMode(), uint32_t(isViewer::kModeAxial));
    EXPECT_EQ(viewer->getImageActor()->getOrientation(), 0);

    viewer->setSlice(9, false);
    EXPECT_TRUE(viewer->isBackgroundBehind());
    viewer->onMessage(isViewerImage::kNextSlice, nullptr, nullptr);
    EXPECT_FALSE(viewer->isBackgroundBehind()) << "past the last plane the window is covered";
    viewer->setSlice(0, false);
    EXPECT_TRUE(viewer->isBackgroundBehind());
    viewer->onMessage(isViewerImage::kPreviousSlice, nullptr, nullptr);
    EXPECT_FALSE(viewer->isBackgroundBehind());

    // The same data again changes nothing.
    viewer->setSlice(4, false);
    viewer->setImageData(phantom());
    EXPECT_EQ(viewer->getImageActor()->getSliceIndex(), 4);
}

TEST_F(SliceViewer, CoronalAcquisitionStaysInItsOwnPlane) {
    auto* data = isImageData::create();
    const int dims[3] = {8, 8, 6};
    const float spacing[3] = {1, 1, 1};
    ASSERT_TRUE(data->buildVolume(dims, spacing, kPixelS16, 0, 0, kCoronalFrame));
    for (isSliceInfo* slice : data->slices)
        slice->loaded = 1;
    isViewerImage* viewer = addViewer();
    viewer->setImageData(data);
    EXPECT_EQ(viewer->getViewerMode(), uint32_t(isViewer::kModeCoronal));
    viewer->onMessage(isViewerImage::kAxial, nullptr, nullptr);
    ASSERT_NE(viewer->getImageActor()->getOrientation(), 0);
    viewer->onMessage(isViewerImage::kCoronal, nullptr, nullptr);
    EXPECT_EQ(viewer->getImageActor()->getOrientation(), 0);
    EXPECT_EQ(viewer->getViewerMode(), uint32_t(isViewer::kModeCoronal));
}

TEST_F(SliceViewer, SeriesCountsItsImagesSoCineAdvances) {
    isImageData* series = makeSeries(4);
    isViewerImage* viewer = addViewer();
    Recorder names;
    names.listen(isViewerImage::kOrientationName, viewer);
    viewer->setImageData(series);
    EXPECT_EQ(viewer->getSliceCount(), 4);
    EXPECT_EQ(viewer->getViewerMode(), uint32_t(isViewer::kModeAcquired));
    viewer->refreshOverlay(true);
    EXPECT_FALSE(viewer->getActorManager()->getOverlay()->findItem("multi_next")->isVisible());
    viewer->onMessage(isViewerImage::kNextSlice, nullptr, nullptr);
    EXPECT_EQ(viewer->getImageActor()->getSliceIndex(), 1);
    EXPECT_TRUE(viewer->isBackgroundBehind());
    ASSERT_TRUE(until([&] { return !names.entries.empty(); }));
    EXPECT_EQ(names.entries.back().text, "Slice");
    viewer->removeFromParent();
    series->release();
}

TEST_F(SliceViewer, ReferencePlaneIsPostedOncePerFrameAndRotationMakesOblique) {
    isViewerImage* viewer = addViewer();
    viewer->setImageData(phantom());
    viewer->onMessage(isViewerImage::kAxial, nullptr, nullptr);
    Recorder planes;
    planes.listen(isViewerImage::kReferencePlane, viewer);
    viewer->postReferencePlane();
    frames(5);
    EXPECT_EQ(planes.count(isViewerImage::kReferencePlane), 0) << "nothing while the lines are hidden";

    viewer->getActorManager()->showCrossLines();
    viewer->postReferencePlane();
    viewer->postReferencePlane();
    ASSERT_TRUE(until([&] { return planes.count(isViewerImage::kReferencePlane) > 0; }));
    frames(5);
    EXPECT_EQ(planes.count(isViewerImage::kReferencePlane), 1);

    viewer->getActorManager()->getCrossLine()->showLines(false);
    viewer->onMessage(isViewerImage::kRotate, payload("", 90.0f), nullptr);
    EXPECT_EQ(viewer->getViewerMode(), uint32_t(isViewer::kModeOblique));
    EXPECT_FALSE(viewer->getImageActor()->isReslicing());
    // Tilted a quarter turn about its column direction, the normal lies in the old plane.
    EXPECT_NEAR(std::fabs(SliceGeometry::column(viewer->getSliceTransform(), 2).y), 0.0f, 1e-5f);
}

TEST_F(SliceViewer, OwnerRuleAndZoomMargin) {
    auto* owner = Node::create();
    scene->addChild(owner);
    isViewerImage* viewer = addViewer(owner);
    viewer->setOwnerWindow(owner);
    viewer->setImageData(phantom());
    const int start = viewer->getImageActor()->getSliceIndex();
    Recorder reposted;
    reposted.listen(isViewerImage::kNextSlice, owner);
    reposted.listen(isViewerImage::kOpenWindowEditor, owner);
    reposted.listen(isViewerImage::kResetCamera, owner);
    viewer->onMessage(isViewerImage::kResetCamera, nullptr, owner); // acted on, not handed back
    viewer->onMessage(isViewerImage::kNextSlice, nullptr, scene);
    EXPECT_EQ(viewer->getImageActor()->getSliceIndex(), start);
    viewer->onMessage(isViewerImage::kNextSlice, nullptr, owner);
    EXPECT_EQ(viewer->getImageActor()->getSliceIndex(), start + 1);
    viewer->onMessage(isViewerImage::kOpenWindowEditor, nullptr, owner);
    ASSERT_TRUE(until([&] { return reposted.entries.size() == 2; }));
    EXPECT_EQ(reposted.count(isViewerImage::kNextSlice), 1);
    EXPECT_EQ(reposted.count(isViewerImage::kOpenWindowEditor), 1) << "always the owner's";
    EXPECT_EQ(reposted.count(isViewerImage::kResetCamera), 0);
    ASSERT_FALSE(reposted.entries.empty());
    EXPECT_EQ(reposted.entries[0].sender, viewer);

    EXPECT_FLOAT_EQ(viewer->getEdgeMargin(), 0.15f);
    viewer->onMessage(isViewerImage::kZoomKeepReference, payload("", 2.0f), owner);
    EXPECT_FLOAT_EQ(viewer->getEdgeMargin(), 0.3f);
    viewer->onMessage(isViewerImage::kZoomKeepReference, payload("", 2.0f), owner);
    EXPECT_FLOAT_EQ(viewer->getEdgeMargin(), 0.4999f);
    viewer->onMessage(isViewerImage::kZoomKeepReference, payload("", 0.5f), owner);
    EXPECT_FLOAT_EQ(viewer->getEdgeMargin(), 0.15f);
}

TEST_F(SliceViewer, MaximiseOneAndRestoreBoth) {
    auto* browser = Node::create();
    browser->setPosition(Vec2(30, 40));
    scene->addChild(browser);
    isViewerImage* first = addViewer(browser, Vec2(0, 0));
    isViewerImage* second = addViewer(browser, Vec2(210, 0));
    Recorder states;
    states.listen(isViewerImage::kMaximizedState, nullptr);
    const int id = int(first->getRefID());
    NSUI::NSNotificationCenter::getInstance()->postNotification(
        nullptr, isViewerImage::kMaximize, payload("{\"w\":\"600\",\"h\":\"500\"}", 0, id), nullptr, false);
    ASSERT_TRUE(until([&] { return states.entries.size() == 1; }));
    EXPECT_TRUE(first->maximized);
    EXPECT_EQ(first->getPosition(), Vec2(-30, -40));
    EXPECT_EQ(first->getContentSize(), Size(600, 500));
    EXPECT_EQ(second->getPosition(), Vec2(10000, 10000));
    EXPECT_EQ(second->getContentSize(), Size(128, 128));

    NSUI::NSNotificationCenter::getInstance()->postNotification(nullptr, isViewerImage::kMaximize,
                                                                payload("", 0, id), nullptr, false);
    ASSERT_TRUE(until([&] { return states.entries.size() == 2; }));
    EXPECT_FALSE(first->maximized);
    EXPECT_FALSE(second->maximized);
    EXPECT_EQ(first->getPosition(), Vec2(0, 0));
    EXPECT_EQ(second->getPosition(), Vec2(210, 0));
    EXPECT_EQ(second->getContentSize(), Size(200, 200));
}

TEST_F(SliceViewer, FavouriteCopyTakesTheShownFrameOfTheNamedViewerOnly) {
    isImageData* series = makeSeries(2, 3);
    isViewerImage* named = addViewer();
    isViewerImage* other = addViewer(nullptr, Vec2(220, 10));
    named->setImageData(series);
    other->setImageData(series);
    // Several frames: a full refresh shows the cine buttons.
    named->refreshOverlay(true);
    Node* play = named->getActorManager()->getOverlay()->findItem("multi_status");
    ASSERT_NE(play, nullptr);
    EXPECT_TRUE(play->isVisible());
    std::vector<isSliceInfo*> copies;
    auto* sink = Node::create();
    sink->retain();
    NSUI::NSNotificationCenter::getInstance()->addObserver(
        sink, nullptr,
        [&copies](Ref*, unsigned int, NSUI::NSNotificationData* data) {
            copies.push_back(reinterpret_cast<isSliceInfo*>(data->userData));
        },
        isViewerImage::kSliceCopied);
    // Broadcast with tag 0 names no one: nothing is copied.
    NSUI::NSNotificationCenter::getInstance()->postNotification(nullptr, isViewerImage::kCopySlice, payload(),
                                                                nullptr, false);
    frames(5);
    EXPECT_TRUE(copies.empty());
    NSUI::NSNotificationCenter::getInstance()->postNotification(
        nullptr, isViewerImage::kCopySlice, payload("", 0, int(other->getRefID())), nullptr, false);
    ASSERT_TRUE(until([&] { return !copies.empty(); }));
    frames(5);
    ASSERT_EQ(copies.size(), 1u) << "only the viewer named";

    // A direct call with tag 0 copies the frame on show.
    named->getImageActor()->getImageNode()->onCineCommand(nullptr, 9049, nullptr);
    ASSERT_EQ(named->getImageActor()->getImageNode()->getFrameIndex(), 1);
    NSUI::NSNotificationData* direct = payload();
    named->onMessage(isViewerImage::kCopySlice, direct, nullptr);
    EXPECT_EQ(direct->tag, int(named->getRefID()));
    ASSERT_TRUE(until([&] { return copies.size() == 2; }));
    const isSliceInfo* copy = copies[1];
    EXPECT_EQ(copy->columns, 8);
    EXPECT_EQ(copy->frames, 3);
    const auto* px = reinterpret_cast<const int16_t*>(copy->pixels);
    EXPECT_EQ(px[0], 1000) << "frame 1 at the front";
    EXPECT_EQ(px[47], 1000) << "the whole frame, two bytes a pixel";
    EXPECT_EQ(px[48], 1000);
    EXPECT_EQ(px[2 * 48 + 47], 2000);
    for (isSliceInfo* c : copies) {
        std::free(c->pixels);
        delete c;
    }
    NSUI::NSNotificationCenter::getInstance()->removeObserver(sink);
    sink->release();
    named->removeFromParent();
    other->removeFromParent();
    series->release();
}

TEST_F(SliceViewer, WindowSyncKeepsFractionsAndInverseTableWhitensTheBackground) {
    auto* owner = Node::create();
    scene->addChild(owner);
    isViewerImage* viewer = addViewer(owner);
    viewer->setOwnerWindow(owner);
    isImageData* floats = makeVolume(6, 6, 4, kPixelF32, [](int x, int, int) { return float(x); });
    viewer->setImageData(floats);
    floats->release();
    EXPECT_FALSE(viewer->isInverted());
    viewer->onMessage(isViewerImage::kSetWindow, payload("{\"ww\":\"401.5\",\"wl\":\"40\"}"), owner);
    Recorder sync;
    sync.listen(isViewerImage::kWindowSync, owner);
    viewer->onMessage(isViewerImage::kWindowSync, payload(), scene);
    ASSERT_TRUE(until([&] { return sync.entries.size() == 1; }));
    EXPECT_EQ(NSUI::UIJson::getJsonString(sync.entries[0].text, "ww"), "401.500000");

    viewer->loadColorTable("bwInverse.plist");
    EXPECT_TRUE(viewer->isInverted());
    viewer->loadColorTable("noClut.plist");
    EXPECT_FALSE(viewer->isInverted());
    unsigned char white[768];
    std::memset(white, 255, sizeof white);
    viewer->setColorTable(white);
    EXPECT_TRUE(viewer->isInverted());

    // A monochrome-1 image keeps its black background under the inverse table.
    phantom()->slices[0]->displayCode = 2;
    isViewerImage* inverse = addViewer();
    inverse->setImageData(phantom());
    EXPECT_FALSE(inverse->isInverted());
    EXPECT_EQ(inverse->getImageActor()->getClut()->colors[0] >> 24, 255u);
}

TEST_F(SliceViewer, TextsReadWithoutThePatientAreReadAgainWhenShown) {
    isViewerImage* viewer = addViewer();
    viewer->setImageData(phantom());
    phantom()->setInfoText("{\"patient\":\"DOE\"}");
    viewer->onMessage(isViewerImage::kHidePatientInfo, nullptr, nullptr);
    viewer->onMessage(isViewerImage::kShowPatientInfo, nullptr, nullptr);
    EXPECT_EQ(phantom()->getInfoText(), "{\"patient\":\"DOE\"}");
    phantom()->setInfoText("{\"patientInfo\":\"M\"}");
    viewer->onMessage(isViewerImage::kHidePatientInfo, nullptr, nullptr);
    EXPECT_FALSE(viewer->isPatientInfoShown());
    viewer->onMessage(isViewerImage::kShowPatientInfo, nullptr, nullptr);
    EXPECT_EQ(phantom()->getInfoText(), "");
}

TEST(KeyViewProperty, HoldsItsViewerThroughTheInterface) {
    struct Counted : isViewer {
        int count = 0;
        void retain() override { ++count; }
        void release() override { --count; }
    } viewer;
    KeyViewProperty* tile = KeyViewProperty::create();
    tile->retain();
    EXPECT_EQ(tile->getViewerMode(), uint32_t(isViewer::kModeNone));
    EXPECT_EQ(tile->linked, 1);
    tile->setViewer(&viewer);
    EXPECT_EQ(viewer.count, 1);
    tile->cleanup();
    EXPECT_EQ(viewer.count, 0);
    EXPECT_EQ(tile->getViewer(), nullptr);
    tile->release();
}
